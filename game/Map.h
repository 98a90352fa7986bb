// CMap is the round's playing field: a grid of square tiles read from a map
// file ("Maps\<name>.smp"). The grid wraps in both directions, so the world is
// a torus of columns x 32 by rows x 32 units. The map answers what the rest of
// the game asks of the grid: which tile lies at a cell, what collision outline
// a cell has, where ships appear, where powerups are spawned and where
// turrets stand. The server loads it at every round start; the client loads
// the same file by the name the server announces and draws it.
//
// The file, little-endian, no magic number:
//   int32 N, N bytes of title, int32 columns W, int32 rows H,
//   then 2 x W x H bytes of cells, column by column (x outer, y inner), each
//   a tile code and a state byte. Trailing bytes are ignored.
//
// Loading never trusts the numbers in the file: a title or cell block larger
// than the file holds is never allocated, sizes outside [1, kMaxSide] are
// refused, and every lookup is safe on a map without cells (it reads empty
// space).
#pragma once

#include "game/CollisionPolygon.h"
#include "game/GameObject.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The tile codes of the map file. Any other code behaves as empty space.
enum TileCode : uint8_t
{
    TILE_EMPTY = 0,
    TILE_WALL = 1,
    TILE_WALL_LOWER_RIGHT = 2, // half wall, right angle at largest x, largest y
    TILE_WALL_LOWER_LEFT = 3,  // right angle at smallest x, largest y
    TILE_WALL_UPPER_LEFT = 4,  // right angle at smallest x, smallest y
    TILE_WALL_UPPER_RIGHT = 5, // right angle at largest x, smallest y
    TILE_FUEL = 6,             // solid like a wall; ships refuel near it
    TILE_SPAWN_POINT = 7,
    TILE_POWERUP_SPAWNER = 8,
    TILE_TURRET_UP = 9,
    TILE_TURRET_LEFT = 10,
    TILE_TURRET_DOWN = 11,
    TILE_TURRET_RIGHT = 12,
    TILE_CODE_COUNT = 13,
};

// "Up" is towards smaller y, the top of the map.
inline bool IsTurretTile(int32_t code)
{
    return code >= TILE_TURRET_UP && code <= TILE_TURRET_RIGHT;
}
// Walls, half walls and fuel blocks: the codes with a collision outline.
inline bool IsSolidTile(int32_t code)
{
    return code >= TILE_WALL && code <= TILE_FUEL;
}

namespace platform
{
class ByteReader;
}

// A map file's header, as far as it was read.
struct MapFileHeader
{
    int32_t titleLength = 0; // as the file announces it
    std::string title;       // up to its first NUL
    int32_t columns = 0, rows = 0;
};
enum class MapHeaderStatus
{
    Ok,
    TitleTooLong,   // the length field is missing, negative or past the end
    SizeMissing,    // the file ends inside the size fields
    SizeOutOfRange, // a side outside [1, CMap::kMaxSide]
};
// Reads the header of a map file: the one decoding of it, shared by the
// game's loader and the map tool. On Ok the reader is at the first cell.
MapHeaderStatus ReadMapHeader(platform::ByteReader& in, MapFileHeader& header);

class CMap : public CGameObject
{
public:
    static constexpr int32_t kTileSize = 32;
    // Larger maps are refused: the biggest one worth playing is far smaller,
    // and it bounds what a file can make us allocate (32 MB of cells).
    static constexpr int32_t kMaxSide = 4096;
    // Wall outlines reach one unit past the half tile.
    static constexpr float kOutlineReach = 17.0f;

    struct Cell
    {
        int32_t x = 0, y = 0;
        bool operator==(const Cell&) const = default;
    };
    struct PowerupSpawner
    {
        int32_t x = 0, y = 0;
        uint32_t lastSpawn = 0; // tick count of the last powerup
    };

    CMap();
    CMap(const CMap&) = delete;
    CMap& operator=(const CMap&) = delete;

    // Forgets everything: no title, 0 x 0 cells, no spawn points or spawners.
    void Clear();
    // Loads a map file named by a game path ("Maps\\Caves.smp"; backslashes
    // and case do not matter). False for an empty path, a missing or unreadable
    // file, a size outside [1, kMaxSide], or a file shorter than its header
    // says; see Map.cpp for what such a file leaves behind.
    bool LoadFromFile(const std::string& path);

    // Lookups wrap the cell onto the grid; without cells they see empty space.
    int32_t GetTile(int32_t x, int32_t y) const;
    uint8_t GetTileState(int32_t x, int32_t y) const;
    // Stores the state byte of a cell (MSG_TILE); nothing without cells.
    void SetTileState(int32_t x, int32_t y, uint8_t value);
    // The cell's collision outline about its centre; empty for open codes.
    const CollisionPolygon& GetTileOutline(int32_t x, int32_t y) const;
    // The tile codes of the 3 x 3 cells around (x, y), wrapped:
    // codes[dx + 1][dy + 1] is the code of cell (x + dx, y + dy).
    void GetNeighbourhood(int32_t x, int32_t y, int32_t (&codes)[3][3]) const;
    static const CollisionPolygon& OutlineForCode(int32_t code);
    // Every turret cell (codes 9 to 12), x outer, y inner.
    std::vector<Cell> GetTurretCells() const;

    // Clears `size` bytes of `buffer` and copies the title in, always leaving
    // it terminated (at most size - 1 characters).
    void GetName(char* buffer, size_t size) const;
    const std::string& GetName() const { return m_name; }

    int32_t GetColumns() const { return m_columns; }
    int32_t GetRows() const { return m_rows; }
    int32_t GetTileWidth() const { return m_tileWidth; }
    int32_t GetTileHeight() const { return m_tileHeight; }
    // The torus in world units.
    int32_t GetWorldWidth() const { return m_columns * m_tileWidth; }
    int32_t GetWorldHeight() const { return m_rows * m_tileHeight; }
    bool HasCells() const { return !m_cells.empty(); }

    // Spawn points in reverse file order. NextSpawnCell hands them out round
    // robin: false when there are none (ships then appear at (0, 0)).
    const std::vector<Cell>& GetSpawnPoints() const { return m_spawnPoints; }
    int32_t GetSpawnCount() const { return static_cast<int32_t>(m_spawnPoints.size()); }
    bool NextSpawnCell(int32_t& x, int32_t& y);
    void ResetSpawnCursor() { m_spawnCursor = 0; }

    // Powerup spawners in reverse file order; the world keeps their times.
    std::vector<PowerupSpawner>& GetSpawners() { return m_spawners; }
    const std::vector<PowerupSpawner>& GetSpawners() const { return m_spawners; }
    int32_t GetSpawnerCount() const { return static_cast<int32_t>(m_spawners.size()); }

    // The display size in pixels that Draw covers (800 x 600 until set);
    // sizes outside [1, 16384] are ignored.
    void SetDisplaySize(int32_t width, int32_t height);

    // Fetches the fuel block and the eight turret pictures, in that order.
    bool LoadTextures() override;
    // Draws the cells around the view point, seamlessly across the wrap:
    // walls as blue outlines, fuel blocks textured, outlines in red when the
    // outline switch is on.
    bool Draw(int32_t viewX, int32_t viewY) override;

private:
    struct TileCell
    {
        uint8_t code = 0;
        uint8_t state = 0;
    };

    bool ReadHeader(platform::ByteReader& in);
    bool ReadCells(platform::ByteReader& in);
    void NoteSpecialCell(int32_t x, int32_t y, uint8_t code);
    // The cell index of a wrapped lookup; only valid while there are cells.
    size_t CellIndex(int32_t x, int32_t y) const;

    std::string m_name;
    int32_t m_columns = 0;
    int32_t m_rows = 0;
    int32_t m_tileWidth = kTileSize;
    int32_t m_tileHeight = kTileSize;
    std::vector<TileCell> m_cells; // row-major: cell (x, y) is y * columns + x
    std::vector<Cell> m_spawnPoints;
    size_t m_spawnCursor = 0;
    std::vector<PowerupSpawner> m_spawners;
    int32_t m_displayWidth = 800;
    int32_t m_displayHeight = 600;
};
