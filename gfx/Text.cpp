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
    std::vector<RenderVertex> quads;
    for (const char* c = text.data(); *c; ++c, x += kGlyphWidth)
        AppendGlyphQuad(quads, x, y, FindGlyph(*c));
    if (!quads.empty())
        GetRenderBackend().DrawQuads(quads.data(), quads.size());
    CTexture::Unbind();
}
