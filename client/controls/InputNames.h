// The names of keys and gamepad controls, as controls.cfg and the screens
// write them: keys by SDL's names ("K", "Up", "Right Ctrl", "'"), pad
// controls as "Pad A", "Pad Left Shoulder", "Pad Left Stick Up" and so on.
// Names are read without regard to case.
#pragma once

#include "client/controls/Bindings.h"

#include <optional>
#include <string>
#include <string_view>

// Empty for an input that has no name.
std::string InputName(InputId input);
std::optional<InputId> InputNamed(std::string_view name);
