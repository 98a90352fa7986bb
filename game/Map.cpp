// Loading, lookups and the spawn walk of the map. Drawing is in MapDraw.cpp.
//
// What a bad file leaves behind:
//   - empty path, missing or unreadable file, or a title longer than the
//     file: nothing (the map stays cleared);
//   - a size outside [1, kMaxSide], or a file ending inside the size fields:
//     the title, and a 0 x 0 map;
//   - cell data shorter than 2 x W x H bytes: the title, the declared size,
//     and the spawn points and spawners of the cells that are present, but
//     no cells, so the map reads as empty space. The grid is only allocated
//     once the file is known to hold it.
#include "game/Map.h"

#include "platform/ByteIo.h"
#include "platform/Files.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>

namespace
{
// The bytes of a map file that loading can use: the header, as far as the
// title's length field says it reaches, and at most the largest grid; the
// rest would be ignored anyway. False when the path is not a regular file
// (the size of anything else says nothing) or cannot be read.
bool ReadMapFileBytes(const std::string& nativePath, std::vector<uint8_t>& bytes)
{
    if (!platform::FileExists(nativePath))
        return false;
    std::ifstream in(nativePath, std::ios::binary | std::ios::ate);
    std::streamoff size = in ? std::streamoff(in.tellg()) : -1;
    if (size < 0)
        return false;
    in.seekg(0);
    auto readUpTo = [&](uint64_t total)
    {
        size_t had = bytes.size();
        bytes.resize(static_cast<size_t>(std::min<uint64_t>(total, uint64_t(size))));
        in.read(reinterpret_cast<char*>(bytes.data() + had),
                static_cast<std::streamsize>(bytes.size() - had));
        bytes.resize(had + static_cast<size_t>(in.gcount()));
    };
    readUpTo(4);
    platform::ByteReader head(bytes.data(), bytes.size());
    uint64_t titleLength = static_cast<uint64_t>(std::max(head.I32(), 0));
    readUpTo(12 + titleLength + 2 * uint64_t(CMap::kMaxSide) * uint64_t(CMap::kMaxSide));
    return true;
}

// Brings a cell number into [0, size), as repeated adding or subtracting
// would; size must be at least 1.
int32_t WrapCell(int32_t value, int32_t size)
{
    // Lookups are almost always inside the map or one cell off its edge.
    if (value >= 0 && value < size)
        return value;
    if (value < 0 && value >= -size)
        return value + size;
    int64_t wrapped = int64_t(value) % size;
    return static_cast<int32_t>(wrapped < 0 ? wrapped + size : wrapped);
}
} // namespace

CMap::CMap() : CGameObject(KIND_MAP) {}

void CMap::Clear()
{
    m_name.clear();
    m_columns = 0;
    m_rows = 0;
    m_tileWidth = kTileSize;
    m_tileHeight = kTileSize;
    m_cells.clear();
    m_cells.shrink_to_fit();
    m_spawnPoints.clear();
    m_spawnCursor = 0;
    m_spawners.clear();
}

bool CMap::LoadFromFile(const std::string& path)
{
    if (path.empty())
        return false;
    Clear();
    std::vector<uint8_t> bytes;
    if (!ReadMapFileBytes(platform::DataPath(path), bytes))
        return false;
    platform::ByteReader in(bytes.data(), bytes.size());
    return ReadHeader(in) && ReadCells(in);
}

MapHeaderStatus ReadMapHeader(platform::ByteReader& in, MapFileHeader& header)
{
    header.titleLength = in.I32();
    if (in.Failed() || header.titleLength < 0 || size_t(header.titleLength) > in.Remaining())
        return MapHeaderStatus::TitleTooLong;
    // The title is a C string to everything that reads it.
    std::string title = in.String(size_t(header.titleLength));
    header.title = title.substr(0, title.find('\0'));
    header.columns = in.I32();
    header.rows = in.I32();
    if (in.Failed())
        return MapHeaderStatus::SizeMissing;
    int32_t columns = header.columns, rows = header.rows;
    if (columns < 1 || rows < 1 || columns > CMap::kMaxSide || rows > CMap::kMaxSide)
        return MapHeaderStatus::SizeOutOfRange;
    return MapHeaderStatus::Ok;
}

bool CMap::ReadHeader(platform::ByteReader& in)
{
    MapFileHeader header;
    MapHeaderStatus status = ReadMapHeader(in, header);
    if (status == MapHeaderStatus::TitleTooLong)
        return false;
    m_name = header.title;
    if (status != MapHeaderStatus::Ok)
        return false;
    m_columns = header.columns;
    m_rows = header.rows;
    return true;
}

// The cells come column by column. Every cell whose code is in the file is
// scanned for spawn points and spawners; the cells are kept only when the
// whole grid is there.
bool CMap::ReadCells(platform::ByteReader& in)
{
    size_t cellCount = size_t(m_columns) * size_t(m_rows);
    bool whole = 2 * cellCount <= in.Remaining();
    std::vector<TileCell> cells(whole ? cellCount : 0);
    size_t available = std::min(2 * cellCount, in.Remaining());
    const uint8_t* bytes = in.Bytes(available);
    size_t present = (available + 1) / 2, index = 0;
    for (int32_t x = 0; x < m_columns && index < present; ++x)
        for (int32_t y = 0; y < m_rows && index < present; ++y, ++index)
        {
            uint8_t code = bytes[2 * index];
            NoteSpecialCell(x, y, code);
            if (whole)
                cells[size_t(y) * m_columns + x] = TileCell{code, bytes[2 * index + 1]};
        }
    // Collected in file order; the game hands them out newest first.
    std::reverse(m_spawnPoints.begin(), m_spawnPoints.end());
    std::reverse(m_spawners.begin(), m_spawners.end());
    if (whole)
        m_cells = std::move(cells);
    return whole;
}

void CMap::NoteSpecialCell(int32_t x, int32_t y, uint8_t code)
{
    if (code == TILE_SPAWN_POINT)
        m_spawnPoints.push_back(Cell{x, y});
    else if (code == TILE_POWERUP_SPAWNER)
        m_spawners.push_back(PowerupSpawner{x, y, 0});
}

size_t CMap::CellIndex(int32_t x, int32_t y) const
{
    return size_t(WrapCell(y, m_rows)) * size_t(m_columns) + size_t(WrapCell(x, m_columns));
}

int32_t CMap::GetTile(int32_t x, int32_t y) const
{
    if (m_cells.empty())
        return TILE_EMPTY;
    uint8_t code = m_cells[CellIndex(x, y)].code;
    return code < TILE_CODE_COUNT ? int32_t(code) : int32_t(TILE_EMPTY);
}

void CMap::GetNeighbourhood(int32_t x, int32_t y, int32_t (&codes)[3][3]) const
{
    if (m_cells.empty())
    {
        std::memset(codes, 0, sizeof codes);
        return;
    }
    int32_t columns[3], rows[3];
    for (int32_t d = -1; d <= 1; ++d)
    {
        columns[d + 1] = WrapCell(x + d, m_columns);
        rows[d + 1] = WrapCell(y + d, m_rows);
    }
    for (int dx = 0; dx < 3; ++dx)
        for (int dy = 0; dy < 3; ++dy)
        {
            uint8_t code = m_cells[size_t(rows[dy]) * size_t(m_columns) + size_t(columns[dx])].code;
            codes[dx][dy] = code < TILE_CODE_COUNT ? int32_t(code) : int32_t(TILE_EMPTY);
        }
}

uint8_t CMap::GetTileState(int32_t x, int32_t y) const
{
    return m_cells.empty() ? 0 : m_cells[CellIndex(x, y)].state;
}

void CMap::SetTileState(int32_t x, int32_t y, uint8_t value)
{
    if (!m_cells.empty())
        m_cells[CellIndex(x, y)].state = value;
}

namespace
{
// Every tile code's outline, made once: the world asks for cell outlines many
// times a tick. Codes without one have an empty polygon.
std::array<CollisionPolygon, 13> MakeOutlines()
{
    const float r = CMap::kOutlineReach;
    std::array<CollisionPolygon, 13> outlines;
    outlines[TILE_WALL] = CollisionPolygon{{-r, -r}, {r, -r}, {r, r}, {-r, r}};
    outlines[TILE_FUEL] = outlines[TILE_WALL];
    outlines[TILE_WALL_LOWER_RIGHT] = CollisionPolygon{{r, -r}, {r, r}, {-r, r}};
    outlines[TILE_WALL_LOWER_LEFT] = CollisionPolygon{{r, r}, {-r, r}, {-r, -r}};
    outlines[TILE_WALL_UPPER_LEFT] = CollisionPolygon{{-r, r}, {-r, -r}, {r, -r}};
    outlines[TILE_WALL_UPPER_RIGHT] = CollisionPolygon{{-r, -r}, {r, -r}, {r, r}};
    return outlines;
}
} // namespace

const CollisionPolygon& CMap::OutlineForCode(int32_t code)
{
    static const std::array<CollisionPolygon, 13> kOutlines = MakeOutlines();
    return kOutlines[code >= 0 && code < 13 ? code : 0];
}

const CollisionPolygon& CMap::GetTileOutline(int32_t x, int32_t y) const
{
    return OutlineForCode(GetTile(x, y));
}

std::vector<CMap::Cell> CMap::GetTurretCells() const
{
    std::vector<Cell> turrets;
    for (int32_t x = 0; x < m_columns && HasCells(); ++x)
        for (int32_t y = 0; y < m_rows; ++y)
            if (IsTurretTile(GetTile(x, y)))
                turrets.push_back(Cell{x, y});
    return turrets;
}

void CMap::GetName(char* buffer, size_t size) const
{
    if (buffer == nullptr || size == 0)
        return;
    std::memset(buffer, 0, size);
    std::memcpy(buffer, m_name.data(), std::min(m_name.size(), size - 1));
}

bool CMap::NextSpawnCell(int32_t& x, int32_t& y)
{
    if (m_spawnPoints.empty())
        return false;
    if (m_spawnCursor >= m_spawnPoints.size())
        m_spawnCursor = 0;
    x = m_spawnPoints[m_spawnCursor].x;
    y = m_spawnPoints[m_spawnCursor].y;
    ++m_spawnCursor;
    return true;
}
