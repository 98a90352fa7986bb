// controls.cfg: the player's bindings as text a person can read and edit.
//
//   # comments and blank lines are skipped
//   thrust = K, Up, Pad Left Stick Up
//
// One line per bindable action (client/controls/Bindings.h), its inputs by
// name (client/controls/InputNames.h), separated by commas. A line names the
// whole set of its action's inputs; actions the file does not name keep the
// designed keys. An unknown action, an unknown or unbindable name, and a
// line that is not `name = names` are each reported as "FILE:LINE: what"
// and skipped (a bad name alone, not its line); the rest still loads.
#pragma once

#include "client/controls/Bindings.h"

#include <string>
#include <string_view>
#include <vector>

constexpr const char* kControlsFileName = "controls.cfg";

// Reads `text` into `bindings` (the designed keys first); returns one line
// per problem.
std::vector<std::string> ParseControls(std::string_view text, std::string_view fileName, CBindings& bindings);
// Every bindable action, one line each, as ParseControls reads them.
std::string FormatControls(const CBindings& bindings);

// The player's controls.cfg from the settings folder; a missing file is
// the designed keys, and each problem is one line on standard error.
CBindings LoadControls();
// Writes controls.cfg whole (a crash leaves the old file or the new one);
// false when it cannot be written.
bool SaveControls(const CBindings& bindings);
