// The player's settings kept between runs: name, ship type and display mode
// (and whether to play in a window). They live in the settings store of the
// user (platform/SettingsStore.h), key "Software\Tessaloon\Quorvex\Settings",
// one raw binary value each: "PlayerName" (the name's bytes, no terminating
// zero), "ShipType", "ResWidth", "ResHeight", "ResDepth", "ResFreq" and
// "Windowed" (4-byte little-endian ints).
#pragma once

// The settings key, as the game names it.
constexpr const char* kSettingsKey = "Software\\Tessaloon\\Quorvex\\Settings";

// Reads the stored values into the globals; missing values (or a missing
// key) leave the defaults. Opens the key read-only.
void LoadSettings();
// Takes name, ship and mode from the options screen into the globals and
// writes every value. A key that cannot be created saves nothing, silently.
void SaveSettings();
// Writes only the windowed choice (Alt+Enter).
void SaveWindowedSetting();
