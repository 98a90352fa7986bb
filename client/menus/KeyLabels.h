// How the menus write the player's keys and pad controls: by their names
// (client/controls/InputNames.h), with the characters the menu font has no
// picture for spelled out (";" reads "Semicolon"), joined by ", " and cut to
// the room a screen has for them.
#pragma once

#include "client/controls/Bindings.h"

#include <cstddef>
#include <string>
#include <vector>

std::string ShownInputName(InputId input);
// The names of the first `count` of `inputs`, joined by ", ".
std::string JoinedInputNames(const std::vector<InputId>& inputs, size_t count);
// `text` itself when it has at most `room` characters, else its start
// ending in "..." in that many.
std::string FittedText(const std::string& text, size_t room);
