// The text form of a map, the one people edit. One character per cell, the
// first grid line being row 0 (the top of the map, smallest y) and each
// line's first character column 0:
//
//   .  empty space            F  fuel block
//   #  wall                   S  ship spawn point
//   7  half wall, solid corner upper left     P  powerup spawner
//   9  half wall, solid corner upper right    ^  turret facing up
//   1  half wall, solid corner lower left     <  turret facing left
//   3  half wall, solid corner lower right    v  turret facing down
//                                             >  turret facing right
//
// (The half-wall digits sit where their solid corner is on a numeric keypad.)
// Besides the grid: "title NAME" once, above the grid; lines starting with
// ';' and empty lines are ignored anywhere; "cell X Y CODE STATE" lines after
// the grid set one cell's raw code and state byte (for codes without a
// character and for state bytes, so any map file survives the trip to text
// and back). Trailing spaces, tabs and carriage returns are ignored.
#pragma once

#include "tools/maptool/MapGrid.h"

#include <string>
#include <string_view>

namespace maptool
{

// The character of a tile code; 0 for codes that have none (13 and above).
char TileCharacter(uint8_t code);
// The tile code of a character; -1 for characters that are not tiles.
int CodeForCharacter(char c);
// Every tile character in code order, for messages.
std::string TileAlphabet();

struct TextError
{
    int line = 0;   // 1-based; 0 when the problem is the whole file
    int column = 0; // 1-based; 0 when the problem is a whole line
    std::string message;
};

// Reads the text form. False with the first problem in `error`.
bool ParseMapText(std::string_view text, MapGrid& grid, TextError& error);
// Writes the text form; ParseMapText of it gives the grid back. False with a
// reason when the title cannot be written on one text line.
bool FormatMapText(const MapGrid& grid, std::string& text, std::string& error);

// "FILE:LINE:COLUMN: message", leaving out what the error lacks.
std::string Describe(const std::string& file, const TextError& error);

} // namespace maptool
