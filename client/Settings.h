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
// the default cap, see ChooseFrameCap). Two text values hold addresses, one
// a line: "Favourites", the last servers joined, most recent first
// ("a.b.c.d:port"), and "Masters", the master servers the internet browser
// asks ("host" or "host:port"; none unless the player writes some).
#pragma once

#include "client/FramePacer.h"
#include "platform/VideoModes.h"

#include "session/SessionTypes.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

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
    // The servers last joined, most recent first.
    std::vector<session::HostAddress> favourites;
    // "host" or "host:port" of each master server to ask.
    std::vector<std::string> masters;
};

// Servers kept as favourites, and master servers asked, at most.
constexpr size_t kMostFavourites = 5;
constexpr size_t kMostMasters = 8;

// The "Favourites" text: its well-formed "a.b.c.d:port" lines, the first
// kMostFavourites of them without repeats; anything else is skipped.
std::vector<session::HostAddress> ParseFavourites(std::string_view text);
std::string FormatFavourites(const std::vector<session::HostAddress>& favourites);
// Puts `joined` first, dropping an earlier mention and the oldest beyond
// kMostFavourites.
void RememberFavourite(std::vector<session::HostAddress>& favourites, const session::HostAddress& joined);
// The "Masters" text: its non-empty lines of printable characters (at most
// 255 each, kMostMasters of them), spaces around them trimmed.
std::vector<std::string> ParseMasters(std::string_view text);

// The Res* mode.
platform::VideoMode SavedMode(const ClientSettings& settings);

// Reads the stored values into `settings`; missing values (or a missing key)
// leave what `settings` holds. Opens the key read-only.
void LoadSettings(ClientSettings& settings);
// Writes every value. A key that cannot be created saves nothing, silently.
void SaveSettings(const ClientSettings& settings);
// Writes only the windowed choice (Alt+Enter).
void SaveWindowedSetting(const ClientSettings& settings);
// Writes only the favourites (after a join).
void SaveFavourites(const ClientSettings& settings);
