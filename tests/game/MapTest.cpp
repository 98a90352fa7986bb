// CMap: loading good and bad map files, wrapped lookups, outlines, the
// spawn walk and the title.
#include "game/Map.h"

#include "platform/ByteIo.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

namespace
{
// A map file as the game lays it out; `codes` are column by column (x outer,
// y inner), each with state byte 100 + its index, and `cellBytes` cuts the
// cell block short when it is smaller than 2 x codes.
std::string MapFile(const std::string& title, int32_t columns, int32_t rows,
                    const std::vector<uint8_t>& codes, size_t cellBytes = SIZE_MAX)
{
    std::vector<uint8_t> bytes;
    platform::ByteWriter out(bytes);
    out.I32(static_cast<int32_t>(title.size()));
    out.Bytes(title.data(), title.size());
    out.I32(columns);
    out.I32(rows);
    for (size_t i = 0; i < codes.size(); ++i)
    {
        out.U8(codes[i]);
        out.U8(static_cast<uint8_t>(100 + i));
    }
    if (cellBytes < 2 * codes.size())
        bytes.resize(bytes.size() - 2 * codes.size() + cellBytes);
    return std::string(bytes.begin(), bytes.end());
}

// A header that claims `titleLength` bytes of title and holds `present`.
std::string BadTitle(int32_t titleLength, const std::string& present)
{
    std::vector<uint8_t> bytes;
    platform::ByteWriter out(bytes);
    out.I32(titleLength);
    out.Bytes(present.data(), present.size());
    return std::string(bytes.begin(), bytes.end());
}

struct MapFixture : ::testing::Test
{
    bool Load(const std::string& contents) { return map.LoadFromFile(dir.Write("test.smp", contents)); }

    testing_support::TempDir dir;
    CMap map;
};

using Map = MapFixture;

std::vector<std::pair<int32_t, int32_t>> HandOut(CMap& map, int count)
{
    std::vector<std::pair<int32_t, int32_t>> cells;
    for (int i = 0; i < count; ++i)
    {
        int32_t x = -1, y = -1;
        EXPECT_TRUE(map.NextSpawnCell(x, y));
        cells.emplace_back(x, y);
    }
    return cells;
}
} // namespace

// Cells, states and the turrets' cells all go column by column.
TEST_F(Map, LoadsTitleSizeCellsStatesAndTurretsColumnByColumn)
{
    // 3 columns x 2 rows: (0,0)=1 (0,1)=10 (1,0)=6 (1,1)=0 (2,0)=9 (2,1)=12.
    ASSERT_TRUE(Load(MapFile("Caves", 3, 2, {1, TILE_TURRET_LEFT, 6, 0, TILE_TURRET_UP, TILE_TURRET_RIGHT})));
    EXPECT_EQ(map.GetName(), "Caves");
    EXPECT_EQ(map.GetColumns(), 3);
    EXPECT_EQ(map.GetRows(), 2);
    EXPECT_EQ(map.GetWorldWidth(), 96);
    EXPECT_EQ(map.GetWorldHeight(), 64);
    EXPECT_EQ(map.GetTile(0, 1), TILE_TURRET_LEFT);
    EXPECT_EQ(map.GetTile(1, 0), 6);
    EXPECT_EQ(map.GetTile(2, 1), 12);
    EXPECT_EQ(map.GetTileState(0, 1), 101) << "the state byte follows its code";
    EXPECT_EQ(map.GetTileState(2, 0), 104);
    map.SetTileState(-1, 2, 7);
    EXPECT_EQ(map.GetTileState(2, 0), 7) << "state writes wrap like reads";
    EXPECT_EQ(map.GetTurretCells(), (std::vector<CMap::Cell>{{0, 1}, {2, 0}, {2, 1}}));
}

// The design's promise for a short file: it fails, and the title, the size
// and the spawn points read so far stay. The grid itself is not kept, so the
// map reads as empty space rather than as half a map.
TEST_F(Map, ShortCellDataFailsButKeepsTitleSizeAndWhatWasRead)
{
    // 2 x 3: column 0 = spawn, spawner, spawn; column 1 = wall, spawn, wall.
    std::string file = MapFile("Fear", 2, 3, {7, 8, 7, 1, 7, 1}, 9);
    EXPECT_FALSE(Load(file)) << "four and a half cells of six";
    EXPECT_EQ(map.GetName(), "Fear");
    EXPECT_EQ(map.GetColumns(), 2);
    EXPECT_EQ(map.GetRows(), 3);
    EXPECT_FALSE(map.HasCells());
    EXPECT_EQ(map.GetTile(1, 0), TILE_EMPTY);
    EXPECT_TRUE(map.GetTurretCells().empty());
    // (1, 1) is read up to its code byte, so it counts, as the design's
    // byte-by-byte reading counts it.
    ASSERT_EQ(map.GetSpawnCount(), 3);
    EXPECT_EQ(map.GetSpawnPoints()[0], (CMap::Cell{1, 1})) << "newest first";
    EXPECT_EQ(map.GetSpawnPoints()[2], (CMap::Cell{0, 0}));
    ASSERT_EQ(map.GetSpawnerCount(), 1);
    EXPECT_EQ(map.GetSpawners()[0].y, 1);
}

// A map without cells, as a refused size leaves it, is empty space to every
// lookup.
TEST_F(Map, RefusesSizesOutOfRangeAndLeavesNoCells)
{
    const std::pair<int32_t, int32_t> sizes[] = {{0, 5},        {5, 0},    {-1, 5},      {5, -3},
                                                 {4097, 1},     {1, 4097}, {INT_MAX, 2}, {INT_MIN, INT_MIN},
                                                 {65536, 65536}};
    for (auto [columns, rows] : sizes)
    {
        EXPECT_FALSE(Load(MapFile("Odd", columns, rows, {1, 1, 1, 1}))) << columns << " x " << rows;
        EXPECT_EQ(map.GetName(), "Odd") << "the title was read before the size";
        EXPECT_EQ(map.GetColumns(), 0);
        EXPECT_EQ(map.GetRows(), 0);
        EXPECT_FALSE(map.HasCells());
    }
    EXPECT_EQ(map.GetTile(-5, 9), TILE_EMPTY);
    EXPECT_EQ(map.GetTileState(1, 1), 0);
    map.SetTileState(2, 2, 9);
    EXPECT_TRUE(map.GetTileOutline(0, 0).GetPoints().empty());
    EXPECT_TRUE(map.GetTurretCells().empty());
    int32_t x = 0, y = 0;
    EXPECT_FALSE(map.NextSpawnCell(x, y));
    EXPECT_TRUE(map.Draw(100, 100));
}

TEST_F(Map, LargestSizeWithLittleDataAllocatesNoGrid)
{
    EXPECT_FALSE(Load(MapFile("Huge", 4096, 4096, {7, 1, 8})));
    EXPECT_EQ(map.GetColumns(), 4096);
    EXPECT_FALSE(map.HasCells());
    EXPECT_EQ(map.GetSpawnCount(), 1);
    EXPECT_EQ(map.GetSpawnerCount(), 1);
    ASSERT_TRUE(Load(MapFile("Tiny", 1, 1, {6})));
    EXPECT_EQ(map.GetSpawnCount(), 0) << "a new load starts from a cleared map";
}

// Titles the file cannot hold, and files that are not there, fail with
// nothing loaded.
TEST_F(Map, FilesThatCannotHoldTheirTitleOrAreNotThereFailWithNothingLoaded)
{
    EXPECT_FALSE(Load(BadTitle(1000000000, "abc")));
    EXPECT_EQ(map.GetName(), "");
    EXPECT_FALSE(Load(BadTitle(-4, "abc")));
    EXPECT_FALSE(Load(BadTitle(3, "ab")));
    EXPECT_FALSE(Load("\x01\x00"));
    EXPECT_FALSE(Load(""));
    EXPECT_EQ(map.GetColumns(), 0);
    EXPECT_FALSE(map.LoadFromFile(""));
    EXPECT_FALSE(map.LoadFromFile(dir.File("missing.smp")));
    EXPECT_FALSE(map.LoadFromFile(dir.Path()));
}

TEST_F(Map, TitleStopsAtItsFirstNulAndGetNameAlwaysTerminates)
{
    ASSERT_TRUE(Load(MapFile(std::string("HCPlay\0ground", 13), 1, 1, {0})));
    EXPECT_EQ(map.GetName(), "HCPlay");
    char buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), 'x');
    map.GetName(buffer, 5);
    EXPECT_STREQ(buffer, "HCPl");
    map.GetName(buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "HCPlay");
    map.GetName(buffer, 0);
    EXPECT_STREQ(buffer, "HCPlay") << "a size of 0 touches nothing";
    map.Clear();
    map.GetName(buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "") << "no title gives an empty string";
}

TEST_F(Map, LookupsWrapOntoTheGrid)
{
    std::vector<uint8_t> codes(40 * 2, TILE_EMPTY);
    codes[39 * 2] = TILE_WALL;    // (39, 0)
    codes[0 * 2 + 1] = TILE_FUEL; // (0, 1)
    codes[0 * 2] = TILE_WALL_LOWER_LEFT;
    ASSERT_TRUE(Load(MapFile("Wrap", 40, 2, codes)));
    EXPECT_EQ(map.GetTile(-1, 0), TILE_WALL) << "-1 reads column 39";
    EXPECT_EQ(map.GetTile(40, 0), TILE_WALL_LOWER_LEFT) << "40 reads column 0";
    EXPECT_EQ(map.GetTile(0, -1), TILE_FUEL);
    EXPECT_EQ(map.GetTile(80, 3), TILE_FUEL);
    EXPECT_EQ(map.GetTile(-41, -2), TILE_WALL);
    EXPECT_EQ(map.GetTile(INT_MIN, INT_MIN), map.GetTile(int32_t(int64_t(INT_MIN) % 40 + 40), 0));
    EXPECT_EQ(map.GetTile(INT_MAX, INT_MAX), map.GetTile(INT_MAX % 40, INT_MAX % 2));
}

TEST_F(Map, OneByOneMapIsLegalAndUnknownCodesAreEmpty)
{
    ASSERT_TRUE(Load(MapFile("One", 1, 1, {TILE_WALL})));
    EXPECT_EQ(map.GetTile(5, -7), TILE_WALL);
    for (uint8_t code : {13, 14, 200, 255})
    {
        ASSERT_TRUE(Load(MapFile("One", 1, 1, {code})));
        EXPECT_EQ(map.GetTile(0, 0), TILE_EMPTY) << int(code);
        EXPECT_TRUE(map.GetTileOutline(0, 0).GetPoints().empty());
        EXPECT_EQ(map.GetTileState(0, 0), 100) << "the state byte is kept all the same";
    }
}

// Spawn points and powerup spawners both come newest first (the file goes
// column by column); spawn cells are handed out round robin.
TEST_F(Map, SpawnPointsAndSpawnersComeInReverseFileOrder)
{
    // File order: A = (0, 1) in column 0, then B = (1, 0) in column 1.
    ASSERT_TRUE(Load(MapFile("Two", 2, 2, {0, 7, 7, 0})));
    using Cells = std::vector<std::pair<int32_t, int32_t>>;
    EXPECT_EQ(HandOut(map, 5), (Cells{{1, 0}, {0, 1}, {1, 0}, {0, 1}, {1, 0}}));
    map.ResetSpawnCursor();
    EXPECT_EQ(HandOut(map, 1), (Cells{{1, 0}}));

    ASSERT_TRUE(Load(MapFile("Pups", 3, 1, {8, 8, 8})));
    int32_t x = 3, y = 4;
    EXPECT_FALSE(map.NextSpawnCell(x, y));
    EXPECT_EQ(std::pair(x, y), std::pair(3, 4)) << "the world then places ships at (0, 0) itself";
    ASSERT_EQ(map.GetSpawnerCount(), 3);
    EXPECT_EQ(map.GetSpawners()[0].x, 2);
    EXPECT_EQ(map.GetSpawners()[2].x, 0);
}

TEST_F(Map, OutlinesFollowTheTileCodes)
{
    using Points = std::vector<std::pair<float, float>>;
    const std::pair<int, Points> table[] = {
        {TILE_WALL, {{-17, -17}, {17, -17}, {17, 17}, {-17, 17}}},
        {TILE_WALL_LOWER_RIGHT, {{17, -17}, {17, 17}, {-17, 17}}},
        {TILE_WALL_LOWER_LEFT, {{17, 17}, {-17, 17}, {-17, -17}}},
        {TILE_WALL_UPPER_LEFT, {{-17, 17}, {-17, -17}, {17, -17}}},
        {TILE_WALL_UPPER_RIGHT, {{-17, -17}, {17, -17}, {17, 17}}},
        {TILE_FUEL, {{-17, -17}, {17, -17}, {17, 17}, {-17, 17}}},
    };
    for (const auto& [code, expected] : table)
    {
        Points points;
        CollisionPolygon outline = CMap::OutlineForCode(code);
        for (const CollisionPolygon::Point& p : outline.GetPoints())
            points.emplace_back(p.x, p.y);
        EXPECT_EQ(points, expected) << "code " << code;
        EXPECT_TRUE(IsSolidTile(code));
    }
    for (int code : {0, 7, 8, 9, 10, 11, 12, 13})
    {
        EXPECT_TRUE(CMap::OutlineForCode(code).GetPoints().empty()) << "code " << code;
        EXPECT_FALSE(IsSolidTile(code));
    }
    ASSERT_TRUE(Load(MapFile("Out", 2, 1, {0, TILE_WALL_UPPER_LEFT})));
    EXPECT_EQ(map.GetTileOutline(-1, 0).GetPoints().size(), 3u);
}
