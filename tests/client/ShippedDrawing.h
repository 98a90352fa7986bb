// For tests that draw: CShippedDrawing puts the recording backend in use
// with the repository's shipped font and pictures; the readers below turn a
// frame back into what a player sees: glyph quads of the shipped font into
// their characters, joined into runs of text (glyphs that follow one another
// on a baseline, 10 units apart, in one colour); the other quads into
// pictures and plain shapes, the boxes they cover and the pixels they show.
#pragma once

#include "gfx/Graphics.h"
#include "gfx/RecordingBackend.h"
#include "gfx/Text.h"
#include "tests/support/ScopedEnv.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

// The recording backend in use, the texture cache empty, and pictures read
// from the repository's data folder, all put back as they were when it goes.
class CShippedDrawing
{
public:
    CShippedDrawing()
    {
        GetGraphics().GetTextureManager().Clear();
        SetRenderBackend(&backend);
    }
    ~CShippedDrawing()
    {
        GetGraphics().GetTextureManager().Clear();
        SetRenderBackend(nullptr);
    }

    // Pictures (and maps) come from `folder` from now on, read afresh; the
    // folder before this object is put back when it goes.
    static void UseData(const std::string& folder)
    {
        setenv("QUORVEX_DATA", folder.c_str(), 1);
        GetGraphics().GetTextureManager().Clear();
    }

    CRecordingBackend backend;

private:
    testing_support::ScopedEnv m_data{"QUORVEX_DATA", (std::string(QUORVEX_SOURCE_DIR) + "/data").c_str()};
};

// The flat colours the screens draw in.
inline constexpr RenderColour kGreen{0, 1, 0, 1}, kWhite{1, 1, 1, 1}, kBlack{0, 0, 0, 1}, kBlue{0, 0, 1, 1},
    kRed{1, 0, 0, 1};

// The area a quad or a run of text covers.
struct Box
{
    float left = 0, bottom = 0, right = 0, top = 0;
    float Width() const { return right - left; }
    float CentreX() const { return (left + right) / 2; }
    float CentreY() const { return (bottom + top) / 2; }
    bool Contains(const Box& other) const
    {
        return left <= other.left && other.right <= right && bottom <= other.bottom && other.top <= top;
    }
    bool Overlaps(const Box& other) const
    {
        return left < other.right && other.left < right && bottom < other.top && other.bottom < top;
    }
};

// One piece of text as a screen drew it: the corner of its first glyph.
struct TextRun
{
    std::string text;
    float x = 0, y = 0;
    RenderColour colour;
    bool operator==(const TextRun&) const = default;
    Box Area() const { return {x, y, x + kGlyphWidth * float(text.size()), y + kGlyphHeight}; }
};

// The character a glyph quad shows: a space for the cell it shares with "?",
// "_" also for every character the font lacks, "#" for a cell no character has.
inline char CharacterOfGlyph(const CRecordingBackend::Quad& glyph)
{
    int row = int(std::lround(glyph.vertices[0].v / kGlyphCellV));
    int column = int(std::lround(glyph.vertices[0].u / kGlyphCellU));
    static const std::string kRowZero = "0123456789_!.,\":+-=()@/'# ";
    if (row == 0 && column < int(kRowZero.size()))
        return kRowZero[size_t(column)];
    if ((row == 1 || row == 2) && column < 26)
        return char((row == 1 ? 'A' : 'a') + column);
    return '#';
}

inline uint32_t ShippedFont()
{
    return GetGraphics().GetTexture("Font2.tga")->GetGLName();
}

// The runs drawn with the shipped font, top to bottom, then left to right,
// so layouts compare in reading order.
inline std::vector<TextRun> ReadText(const CRecordingBackend& backend)
{
    const uint32_t font = ShippedFont();
    std::vector<TextRun> runs;
    bool open = false;
    for (const CRecordingBackend::Quad& quad : backend.Quads())
    {
        open = open && quad.state.texture == font;
        if (quad.state.texture != font)
            continue;
        // A glyph continues a run right after its last one, on its baseline, in its colour.
        const RenderVertex& corner = quad.vertices[0];
        if (!open || corner.y != runs.back().y || quad.state.colour != runs.back().colour ||
            corner.x != runs.back().Area().right)
            runs.push_back({"", corner.x, corner.y, quad.state.colour});
        runs.back().text += CharacterOfGlyph(quad);
        open = true;
    }
    std::sort(runs.begin(), runs.end(),
              [](const TextRun& a, const TextRun& b) { return a.y != b.y ? a.y > b.y : a.x < b.x; });
    return runs;
}

inline std::vector<TextRun> InColour(const std::vector<TextRun>& runs, const RenderColour& colour)
{
    std::vector<TextRun> found;
    std::copy_if(runs.begin(), runs.end(), std::back_inserter(found),
                 [&colour](const TextRun& run) { return run.colour == colour; });
    return found;
}

inline Box BoxOf(const CRecordingBackend::Quad& quad)
{
    Box box{quad.vertices[0].x, quad.vertices[0].y, quad.vertices[0].x, quad.vertices[0].y};
    for (const RenderVertex& v : quad.vertices)
        box = {std::min(box.left, v.x), std::min(box.bottom, v.y), std::max(box.right, v.x),
               std::max(box.top, v.y)};
    return box;
}

// The textured quads that are not glyphs of the shipped font.
inline std::vector<CRecordingBackend::Quad> Pictures(const CRecordingBackend& backend)
{
    std::vector<CRecordingBackend::Quad> pictures;
    for (const CRecordingBackend::Quad& quad : backend.Quads())
        if (quad.state.texturing && quad.state.texture != ShippedFont())
            pictures.push_back(quad);
    return pictures;
}

// The boxes of the untextured quads, of `colour` or of any, in drawing order.
inline std::vector<Box> PlainBoxes(const CRecordingBackend& backend, const RenderColour* colour = nullptr)
{
    std::vector<Box> boxes;
    for (const CRecordingBackend::Quad& quad : backend.Quads())
        if (!quad.state.texturing && (!colour || quad.state.colour == *colour))
            boxes.push_back(BoxOf(quad));
    return boxes;
}

// The pixels uploaded for `texture` (none when it never was): screens load
// the same picture under differently spelt names, so pictures compare by
// what they show.
inline const std::vector<uint8_t>& PixelsOf(const CRecordingBackend& backend, uint32_t texture)
{
    static const std::vector<uint8_t> kNone;
    for (const CRecordingBackend::Upload& upload : backend.Uploads())
        if (upload.name == texture)
            return upload.rgba;
    return kNone;
}

inline const std::vector<uint8_t>& PixelsOf(const CRecordingBackend& backend, const std::string& file)
{
    return PixelsOf(backend, GetGraphics().GetTexture(file)->GetGLName());
}

// The boxes of the pictures that show what `file` shows, in drawing order.
inline std::vector<Box> PicturesShowing(const CRecordingBackend& backend, const std::string& file)
{
    std::vector<Box> boxes;
    for (const CRecordingBackend::Quad& picture : Pictures(backend))
        if (PixelsOf(backend, picture.state.texture) == PixelsOf(backend, file))
            boxes.push_back(BoxOf(picture));
    return boxes;
}
