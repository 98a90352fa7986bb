#include "gfx/Text.h"

#include "gfx/Graphics.h"
#include "gfx/RenderBackend.h"

#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

GlyphCell FindGlyph(char c)
{
    if (c >= '0' && c <= '9')
        return {0, c - '0'};
    if (c >= 'A' && c <= 'Z')
        return {1, c - 'A'};
    if (c >= 'a' && c <= 'z')
        return {2, c - 'a'};
    static constexpr char kPunctuation[] = "_!.,\":+-=()@/'";
    if (c != '\0')
        if (const char* found = std::strchr(kPunctuation, c))
            return {0, 10 + int(found - kPunctuation)};
    if (c == ' ' || c == '?')
        return {0, 25};
    // Brackets sit past the cells above, which keep their places: computer
    // pilots' names end in "[bot]".
    if (c == '[' || c == ']')
        return {0, c == '[' ? 26 : 27};
    return {0, 10};
}

namespace
{
constexpr int kGlyphRows = 3;
constexpr int kGlyphColumns = 51; // of 10 texels in 512

// Which cells of a font picture are wholly transparent. A glyph drawn from one
// (the space) changes no pixel under blending, yet costs a software renderer
// its fill, so text leaves it out.
class CBlankGlyphs
{
public:
    bool IsBlank(const CTexture& font, GlyphCell cell)
    {
        if (&font != m_font || font.GetGLName() != m_glName)
            Survey(font);
        return cell.row >= 0 && cell.row < kGlyphRows && cell.column >= 0 && cell.column < kGlyphColumns &&
               m_blank[cell.row][cell.column];
    }

private:
    void Survey(const CTexture& font)
    {
        m_font = &font;
        m_glName = font.GetGLName();
        for (int row = 0; row < kGlyphRows; ++row)
            for (int column = 0; column < kGlyphColumns; ++column)
                m_blank[row][column] = m_glName != 0 && font.IsClear(column * 10, row * 16, 10, 16);
    }

    const CTexture* m_font = nullptr;
    uint32_t m_glName = 0;
    bool m_blank[kGlyphRows][kGlyphColumns] = {};
};

void AppendGlyphQuad(std::vector<RenderVertex>& quads, float x, float y, GlyphCell cell)
{
    float left = float(cell.column) * kGlyphCellU, right = left + kGlyphCellU;
    float top = float(cell.row) * kGlyphCellV, bottom = top + kGlyphCellV;
    quads.push_back({x, y, kGlyphDepth, left, top});
    quads.push_back({x + kGlyphWidth, y, kGlyphDepth, right, top});
    quads.push_back({x + kGlyphWidth, y + kGlyphHeight, kGlyphDepth, right, bottom});
    quads.push_back({x, y + kGlyphHeight, kGlyphDepth, left, bottom});
}
} // namespace

void DrawText(CGraphics& graphics, float x, float y, const char* format, ...)
{
    if (!format)
        return;
    std::array<char, kMaxTextLength + 1> text{};
    va_list args;
    va_start(args, format);
    std::vsnprintf(text.data(), text.size(), format, args);
    va_end(args);

    CTexture* font = graphics.GetTexture("Font2.tga");
    if (!font)
        return;
    font->Bind();
    static CBlankGlyphs blank;
    std::vector<RenderVertex> quads;
    for (const char* c = text.data(); *c; ++c, x += kGlyphWidth)
        if (!blank.IsBlank(*font, FindGlyph(*c)))
            AppendGlyphQuad(quads, x, y, FindGlyph(*c));
    if (!quads.empty())
        GetRenderBackend().DrawQuads(quads.data(), quads.size());
    CTexture::Unbind();
}
