// How every line the player types is edited, whether a name, an address or
// a console line: backspace drops the last character, anything else is
// appended while the line is shorter than 1023 characters.
#pragma once

#include <cstddef>

constexpr size_t kMaxTypedLength = 1023;

// Edits the zero-terminated `line` (room for kMaxTypedLength + 1 bytes) by
// one typed character.
void EditTypedLine(char* line, char c);
