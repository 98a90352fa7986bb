// The font's glyph designs: 7 x 12 pixel drawings ('#' lit, '.' clear), rows
// from the top of the capitals (row 0) to the bottom of the descenders (row
// 11); capitals stand on row 8, lower case is rows 2 to 8.
#pragma once

#include <string>
#include <vector>

struct GlyphArt
{
    char character;
    std::vector<std::string> rows; // 12 rows of 7 characters
};

std::vector<GlyphArt> FontGlyphs();
