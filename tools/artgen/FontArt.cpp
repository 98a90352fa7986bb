// "Font2.tga": white glyphs with a soft shadow on a transparent 512 x 128
// picture, in the cells where the game's text drawing looks for them
// (FindGlyph). The text drawing puts a cell's first loaded row at the bottom
// of the glyph on screen, so the picture is drawn upright with the glyph
// grid's row 0 (digits) in the bottom 16 pixels, and stored top row first.
#include "gfx/Text.h"
#include "tools/artgen/Artwork.h"
#include "tools/artgen/FontGlyphs.h"

namespace
{
constexpr int kWidth = 512;
constexpr int kHeight = 128;
constexpr int kCellWidth = 10;
constexpr int kCellHeight = 16;
// Where a glyph drawing's top left pixel sits inside its cell, as seen.
constexpr int kGlyphLeft = 1;
constexpr int kGlyphTop = 3;
// The cell that the text drawing never uses; it holds the question mark,
// because the cell the question mark is mapped to is also the space's.
constexpr int kSpareColumn = 24;

GlyphCell CellFor(char c)
{
    if (c == '?')
        return {0, kSpareColumn};
    return FindGlyph(c);
}

void DrawGlyph(CCanvas& canvas, const GlyphArt& glyph)
{
    GlyphCell cell = CellFor(glyph.character);
    int left = cell.column * kCellWidth + kGlyphLeft;
    int top = kHeight - (cell.row + 1) * kCellHeight + kGlyphTop;
    for (int pass = 0; pass < 2; ++pass)
        for (size_t row = 0; row < glyph.rows.size(); ++row)
            for (size_t column = 0; column < glyph.rows[row].size(); ++column)
            {
                if (glyph.rows[row][column] != '#')
                    continue;
                int x = left + int(column), y = top + int(row);
                if (pass == 0)
                    canvas.Blend(x + 1, y + 1, {0, 0, 0, 150});
                else
                    canvas.Set(x, y, {255, 255, 255, 255});
            }
}
} // namespace

Picture MakeFont()
{
    Picture font{"Font2.tga", CCanvas(kWidth, kHeight), ScreenMapping::Text};
    for (const GlyphArt& glyph : FontGlyphs())
        DrawGlyph(font.canvas, glyph);
    return font;
}
