// Builders of small image files for the reader tests, written field by field
// as the formats define them.
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

inline Bytes TargaHeader(const TargaSpec& spec)
{
    Bytes out = {uint8_t(spec.id.size()), spec.colourMapType, spec.type};
    PutU16(out, 0);
    PutU16(out, spec.colourMapLength);
    out.push_back(spec.colourMapEntrySize);
    PutU16(out, 0);
    PutU16(out, 0);
    PutU16(out, spec.width);
    PutU16(out, spec.height);
    out.push_back(spec.depth);
    out.push_back(spec.descriptor);
    out.insert(out.end(), spec.id.begin(), spec.id.end());
    return out;
}

inline Bytes Targa(const TargaSpec& spec, const Bytes& pixels)
{
    Bytes out = TargaHeader(spec);
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

inline Bytes Bitmap(const BitmapSpec& spec, const Bytes& pixels)
{
    Bytes out = {'B', 'M'};
    uint32_t offset = 14 + spec.infoSize + uint32_t(spec.palette.size());
    PutU32(out, offset + uint32_t(pixels.size()));
    PutU32(out, 0);
    PutU32(out, offset);
    PutU32(out, spec.infoSize);
    PutU32(out, uint32_t(spec.width));
    PutU32(out, uint32_t(spec.height));
    PutU16(out, 1);
    PutU16(out, spec.bits);
    PutU32(out, spec.compression);
    PutU32(out, spec.imageSize);
    PutU32(out, 2835);
    PutU32(out, 2835);
    PutU32(out, spec.coloursUsed);
    PutU32(out, 0);
    out.resize(out.size() + (spec.infoSize > 40 ? spec.infoSize - 40 : 0), 0xEE);
    out.insert(out.end(), spec.palette.begin(), spec.palette.end());
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
