// The player's settings kept between runs: name, ship type and display mode
// (and whether to play in a window). They live in the settings store of the
// user (platform/SettingsStore.h), key "Software\Tessaloon\Quorvex\Settings",
// one raw binary value each: "PlayerName" (the name's bytes, no terminating
// zero), "ShipType", "ResWidth", "ResHeight", "ResDepth", "ResFreq",
// "ResDesktop", "Windowed", "SoundVolume" and "MaxFps" (4-byte little-endian
// ints; ResDesktop 1 plays full screen at the desktop's own mode, 0 in the
// Res* mode, which is also the window's size in windowed play; a
// volume outside 0 to 10 is brought into that range when loaded; MaxFps is
// the frame cap, 0 for none, and -1 or any value outside 0 to 1000 leaves
// the default cap, see ChooseFrameCap).
#pragma once

#include "client/FramePacer.h"
#include "platform/VideoModes.h"

#include <cstddef>

// The settings key, as the game names it.
constexpr const char* kSettingsKey = "Software\\Tessaloon\\Quorvex\\Settings";

// The name holds at most this many characters less one (the buffer keeps a
// zero).
constexpr size_t kPlayerNameSize = 128;

struct ClientSettings
{
    char playerName[kPlayerNameSize] = {};
    int shipType = 0;
    int resWidth = 1024;
    int resHeight = 768;
    int resDepth = 32;
    int resFreq = 60;
    // Full screen at the desktop's own mode rather than the Res* mode.
    int resDesktop = 1;
    // A window instead of full screen.
    int windowed = 0;
    // 0 (silent) to 10.
    int soundVolume = 7;
    // Frames a second at most (0: no cap).
    int maxFps = kDefaultFrameCap;
};

// The Res* mode.
platform::VideoMode SavedMode(const ClientSettings& settings);

// Reads the stored values into `settings`; missing values (or a missing key)
// leave what `settings` holds. Opens the key read-only.
void LoadSettings(ClientSettings& settings);
// Writes every value. A key that cannot be created saves nothing, silently.
void SaveSettings(const ClientSettings& settings);
// Writes only the windowed choice (Alt+Enter).
void SaveWindowedSetting(const ClientSettings& settings);
