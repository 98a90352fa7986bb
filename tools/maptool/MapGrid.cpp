#include "tools/maptool/MapGrid.h"

#include "game/Map.h"
#include "platform/ByteIo.h"

#include <fstream>

namespace maptool
{

void MapGrid::Resize(int32_t newColumns, int32_t newRows)
{
    columns = newColumns;
    rows = newRows;
    codes.assign(size_t(columns) * size_t(rows), TILE_EMPTY);
    states.assign(codes.size(), 0);
}

size_t MapGrid::Index(int32_t x, int32_t y) const
{
    int64_t cx = int64_t(x) % columns, cy = int64_t(y) % rows;
    cx += cx < 0 ? columns : 0;
    cy += cy < 0 ? rows : 0;
    return size_t(cy) * size_t(columns) + size_t(cx);
}

void MapGrid::Set(int32_t x, int32_t y, uint8_t code, uint8_t state)
{
    size_t at = Index(x, y);
    codes[at] = code;
    states[at] = state;
}

std::vector<uint8_t> EncodeMapFile(const MapGrid& grid)
{
    std::vector<uint8_t> bytes;
    platform::ByteWriter out(bytes);
    out.I32(static_cast<int32_t>(grid.title.size()));
    out.Bytes(grid.title.data(), grid.title.size());
    out.I32(grid.columns);
    out.I32(grid.rows);
    // Column by column, as the game reads them.
    for (int32_t x = 0; x < grid.columns; ++x)
        for (int32_t y = 0; y < grid.rows; ++y)
        {
            out.U8(grid.Code(x, y));
            out.U8(grid.State(x, y));
        }
    return bytes;
}

bool DecodeMapFile(std::span<const uint8_t> bytes, MapGrid& grid, std::string& error)
{
    platform::ByteReader in(bytes.data(), bytes.size());
    MapFileHeader header;
    switch (ReadMapHeader(in, header))
    {
    case MapHeaderStatus::TitleTooLong:
        error = "the file is too short for its title (" + std::to_string(header.titleLength) +
                " bytes announced)";
        return false;
    case MapHeaderStatus::SizeMissing:
        error = "the file ends before the map's size";
        return false;
    case MapHeaderStatus::SizeOutOfRange:
        error = "the size " + std::to_string(header.columns) + " x " + std::to_string(header.rows) +
                " is outside 1 to " + std::to_string(CMap::kMaxSide) + " cells a side";
        return false;
    case MapHeaderStatus::Ok:
        break;
    }
    int32_t columns = header.columns, rows = header.rows;
    size_t cells = size_t(columns) * size_t(rows);
    if (in.Remaining() < 2 * cells)
    {
        error = "the cells end early: " + std::to_string(in.Remaining() / 2) + " of " +
                std::to_string(cells) + " are in the file";
        return false;
    }
    grid.title = header.title;
    grid.Resize(columns, rows);
    for (int32_t x = 0; x < columns; ++x)
        for (int32_t y = 0; y < rows; ++y)
        {
            uint8_t code = in.U8();
            grid.Set(x, y, code, in.U8());
        }
    return true;
}

bool IsUsableMapName(const std::string& title)
{
    if (title.empty() || title.size() > 127)
        return false;
    for (char c : title)
    {
        bool letterOrDigit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!letterOrDigit && c != '_' && c != '-')
            return false;
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, size_t limit)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.clear();
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
    {
        bytes.insert(bytes.end(), buffer, buffer + in.gcount());
        if (bytes.size() > limit)
            return false;
    }
    return !in.bad();
}

bool WriteWholeFile(const std::string& path, std::span<const uint8_t> bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    out.close();
    return bool(out);
}

} // namespace maptool
