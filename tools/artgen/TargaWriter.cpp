#include "tools/artgen/TargaWriter.h"

#include <fstream>
#include <vector>

bool WriteTarga(const std::string& path, const CCanvas& canvas, TargaOrigin origin)
{
    int w = canvas.Width(), h = canvas.Height();
    uint8_t descriptor = origin == TargaOrigin::TopLeft ? 0x28 : 0x08;
    std::vector<uint8_t> bytes = {
        0,  0,         2, 0, 0, 0, 0, 0, 0, 0, 0, 0, uint8_t(w), uint8_t(w >> 8), uint8_t(h), uint8_t(h >> 8),
        32, descriptor};
    for (int row = 0; row < h; ++row)
    {
        int y = origin == TargaOrigin::TopLeft ? row : h - 1 - row;
        for (int x = 0; x < w; ++x)
        {
            Colour c = canvas.Get(x, y);
            // Fully transparent pixels are stored as transparent black, so
            // nearest filtering never shows a stray colour at an edge.
            if (c.a == 0)
                c = {};
            bytes.insert(bytes.end(), {c.b, c.g, c.r, c.a});
        }
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}
