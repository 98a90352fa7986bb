// The map tool's picture of a map: the title and every cell's tile code and
// state byte, as a plain grid it can check, draw and turn into either form.
// Encoding writes the game's ".smp" layout; decoding is strict and says in
// words what is wrong with a file, where the game's loader only fails.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace maptool
{

struct MapGrid
{
    std::string title;
    int32_t columns = 0;
    int32_t rows = 0;
    std::vector<uint8_t> codes;  // row-major: cell (x, y) is y * columns + x
    std::vector<uint8_t> states; // same layout

    // Makes a grid of empty cells.
    void Resize(int32_t newColumns, int32_t newRows);
    // The cell, wrapped onto the torus.
    uint8_t Code(int32_t x, int32_t y) const { return codes[Index(x, y)]; }
    uint8_t State(int32_t x, int32_t y) const { return states[Index(x, y)]; }
    void Set(int32_t x, int32_t y, uint8_t code, uint8_t state = 0);
    size_t Index(int32_t x, int32_t y) const;

    bool operator==(const MapGrid&) const = default;
};

// The ".smp" bytes of a grid.
std::vector<uint8_t> EncodeMapFile(const MapGrid& grid);
// Reads ".smp" bytes; false with a sentence in `error` when the bytes are not
// a whole map (trailing bytes are ignored, as the game does).
bool DecodeMapFile(std::span<const uint8_t> bytes, MapGrid& grid, std::string& error);

// A title that can name the map's files: the server announces the title and
// every client then loads "Maps/<title>.smp" and "Maps/<title>.bmp", and the
// console's map request takes one word. So: 1 to 127 of A-Z a-z 0-9 _ -.
bool IsUsableMapName(const std::string& title);

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, size_t limit);
bool WriteWholeFile(const std::string& path, std::span<const uint8_t> bytes);

} // namespace maptool
