// Reads a frame back from the recording backend the way a player reads the
// screen: every glyph quad drawn with the font picture turned back into its
// character, glyphs that follow one another on a baseline (10 units apart,
// one colour) joined into runs of text; and the other quads as pictures and
// plain shapes, the boxes they cover and the pixels they show. Header-only
// so that any test file can use it without a build change.
#pragma once

#include "gfx/Graphics.h"
#include "gfx/RecordingBackend.h"
#include "gfx/Text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

// One piece of text as a screen drew it: the corner of its first glyph.
struct TextRun
{
    std::string text;
    float x = 0, y = 0;
    RenderColour colour;
    bool operator==(const TextRun&) const = default;
};

inline void PrintTo(const TextRun& run, std::ostream* out)
{
    const RenderColour& c = run.colour;
    *out << "\"" << run.text << "\" at (" << run.x << ", " << run.y << ") colour (" << c.r << ", " << c.g
         << ", " << c.b << ", " << c.a << ")";
}

inline TextRun TextAt(float x, float y, const RenderColour& colour, std::string text)
{
    return {std::move(text), x, y, colour};
}

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

inline bool ContinuesRun(const TextRun& run, const CRecordingBackend::Quad& glyph)
{
    const RenderVertex& corner = glyph.vertices[0];
    return corner.y == run.y && glyph.state.colour == run.colour &&
           corner.x == run.x + kGlyphWidth * float(run.text.size());
}

// The runs drawn with the font texture `font`, top to bottom, then left to
// right, so layouts compare in reading order.
inline std::vector<TextRun> ReadTextRuns(const CRecordingBackend& backend, uint32_t font)
{
    std::vector<TextRun> runs;
    bool open = false;
    for (const CRecordingBackend::Quad& quad : backend.Quads())
    {
        open = open && quad.state.texture == font;
        if (font == 0 || quad.state.texture != font)
            continue;
        if (!open || !ContinuesRun(runs.back(), quad))
            runs.push_back({"", quad.vertices[0].x, quad.vertices[0].y, quad.state.colour});
        runs.back().text += CharacterOfGlyph(quad);
        open = true;
    }
    std::sort(runs.begin(), runs.end(),
              [](const TextRun& a, const TextRun& b) { return a.y != b.y ? a.y > b.y : a.x < b.x; });
    return runs;
}

// The text of a frame drawn with the shipped font.
inline std::vector<TextRun> ReadText(const CRecordingBackend& backend)
{
    return ReadTextRuns(backend, GetGraphics().GetTexture("Font2.tga")->GetGLName());
}

inline std::vector<TextRun> InColour(const std::vector<TextRun>& runs, const RenderColour& colour)
{
    std::vector<TextRun> found;
    std::copy_if(runs.begin(), runs.end(), std::back_inserter(found),
                 [&colour](const TextRun& run) { return run.colour == colour; });
    return found;
}

// The area a quad covers.
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
    const uint32_t font = GetGraphics().GetTexture("Font2.tga")->GetGLName();
    std::vector<CRecordingBackend::Quad> pictures;
    for (const CRecordingBackend::Quad& quad : backend.Quads())
        if (quad.state.texturing && quad.state.texture != font)
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
