// Any bytes as a map file, read by the game's loader (through a file, as the
// game reads it) and by the map tool's strict decoder. Neither may read out of
// bounds or allocate beyond the file, both must agree on whether the bytes
// are a whole map and on every tile of one, and every lookup of the loaded
// map must be safe whether it has cells or not.
#include "game/Map.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tools/maptool/MapGrid.h"

#include <string>

namespace
{
void ProbeLookups(CMap& map)
{
    for (int32_t v : {-1, 0, 1, 4095, 4096, -4097, INT32_MAX, INT32_MIN})
    {
        Check(map.GetTile(v, ~v) >= 0 && map.GetTile(v, ~v) < TILE_CODE_COUNT);
        map.GetTileOutline(v, v);
        map.SetTileState(v, v, 1);
    }
    int32_t x = 0, y = 0;
    for (int i = 0; i < 3 && map.NextSpawnCell(x, y); ++i)
        Check(x >= 0 && x < map.GetColumns() && y >= 0 && y < map.GetRows());
    char name[16];
    map.GetName(name, sizeof name);
    Check(name[sizeof name - 1] == '\0');
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CMap map;
    bool loaded = false;
    {
        CFuzzTempFile file("map.smp", data, size);
        if (!file.IsWritten())
            return 0;
        loaded = map.LoadFromFile(file.GetPath());
    }
    maptool::MapGrid grid;
    std::string error;
    bool decoded = maptool::DecodeMapFile({data, size}, grid, error);
    Check(loaded == decoded);
    Check(loaded == map.HasCells());
    if (loaded)
    {
        Check(map.GetColumns() == grid.columns && map.GetRows() == grid.rows && map.GetName() == grid.title);
        for (int32_t gy = 0; gy < grid.rows; ++gy)
            for (int32_t gx = 0; gx < grid.columns; ++gx)
            {
                uint8_t code = grid.Code(gx, gy);
                Check(map.GetTile(gx, gy) == (code < TILE_CODE_COUNT ? code : 0));
                Check(map.GetTileState(gx, gy) == grid.State(gx, gy));
            }
    }
    ProbeLookups(map);
    return 0;
}
