// Builders of small image files for the reader tests, written field by field
// as the formats define them and independently of the readers' own byte
// helpers, so a shared mistake cannot hide.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline void PutU16(Bytes& out, uint32_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

inline void PutU32(Bytes& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

struct TargaSpec
{
    uint8_t type = 2;
    uint16_t width = 2;
    uint16_t height = 2;
    uint8_t depth = 24;
    uint8_t descriptor = 0;
    Bytes id = {};
    uint8_t colourMapType = 0;
    uint16_t colourMapLength = 0;
    uint8_t colourMapEntrySize = 0;
};

inline Bytes TargaHeader(const TargaSpec& layout)
{
    Bytes out = {uint8_t(layout.id.size()), layout.colourMapType, layout.type};
    PutU16(out, 0);
    PutU16(out, layout.colourMapLength);
    out.push_back(layout.colourMapEntrySize);
    PutU16(out, 0);
    PutU16(out, 0);
    PutU16(out, layout.width);
    PutU16(out, layout.height);
    out.push_back(layout.depth);
    out.push_back(layout.descriptor);
    out.insert(out.end(), layout.id.begin(), layout.id.end());
    return out;
}

inline Bytes Targa(const TargaSpec& layout, const Bytes& pixels)
{
    Bytes out = TargaHeader(layout);
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

// The version 2 footer: extension and developer directory offsets, signature.
inline void AppendTargaFooter(Bytes& out, uint32_t extension, uint32_t developer)
{
    PutU32(out, extension);
    PutU32(out, developer);
    std::string signature = "TRUEVISION-XFILE.";
    out.insert(out.end(), signature.begin(), signature.end());
    out.push_back(0);
}

struct BitmapSpec
{
    int32_t width = 4;
    int32_t height = 2;
    uint16_t bits = 24;
    uint32_t compression = 0;
    uint32_t imageSize = 0;
    uint32_t infoSize = 40;
    uint32_t coloursUsed = 0;
    Bytes palette = {}; // 4 bytes an entry
};

inline Bytes Bitmap(const BitmapSpec& layout, const Bytes& pixels)
{
    Bytes out = {'B', 'M'};
    uint32_t offset = 14 + layout.infoSize + uint32_t(layout.palette.size());
    PutU32(out, offset + uint32_t(pixels.size()));
    PutU32(out, 0);
    PutU32(out, offset);
    PutU32(out, layout.infoSize);
    PutU32(out, uint32_t(layout.width));
    PutU32(out, uint32_t(layout.height));
    PutU16(out, 1);
    PutU16(out, layout.bits);
    PutU32(out, layout.compression);
    PutU32(out, layout.imageSize);
    PutU32(out, 2835);
    PutU32(out, 2835);
    PutU32(out, layout.coloursUsed);
    PutU32(out, 0);
    out.resize(out.size() + (layout.infoSize > 40 ? layout.infoSize - 40 : 0), 0xEE);
    out.insert(out.end(), layout.palette.begin(), layout.palette.end());
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

// A palette of `count` entries where entry i is (blue i, green 2i, red 3i).
inline Bytes RampPalette(int count)
{
    Bytes palette;
    for (int i = 0; i < count; ++i)
        palette.insert(palette.end(), {uint8_t(i), uint8_t(2 * i), uint8_t(3 * i), 0});
    return palette;
}
