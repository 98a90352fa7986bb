// The bitmap font. "Font2.tga" is a 512 x 128 picture read as a grid of
// cells 10 pixels wide (0.01953125 in u) and 16 high (0.125 in v, v running
// down the image as loaded):
//   row 0: digits "0" to "9" in columns 0 to 9, then the punctuation
//          _ ! . , " : + - = ( ) @ / ' in columns 10 to 23; column 25 is the
//          cell of both the space and "?"; column 24 is not used; "[" and
//          "]" are in columns 26 and 27;
//   row 1: "A" to "Z";   row 2: "a" to "z".
// Any other character is drawn with the "_" cell. Each character is one quad
// 10 units wide and 16 high at depth 5, texture (left, top) at its (x, y)
// corner; the next character starts 10 units to the right. The colour is
// whatever is current (textures modulate it).
#pragma once

#include <cstddef>

struct GlyphCell
{
    int row = 0;
    int column = 10;
};

constexpr float kGlyphCellU = 10.0f / 512.0f;
constexpr float kGlyphCellV = 0.125f;
constexpr float kGlyphWidth = 10.0f;
constexpr float kGlyphHeight = 16.0f;
constexpr float kGlyphDepth = 5.0f;
// Formatted text is cut to this many characters.
constexpr size_t kMaxTextLength = 1023;

// The cell of a character in the font picture.
GlyphCell FindGlyph(char c);
