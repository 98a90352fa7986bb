// The pilot's map and way finding: paths over the torus that keep off rock
// and never cut its corners, offsets the short way round, and the aiming
// geometry.
#include "ai/PathPlanner.h"
#include "ai/Gunnery.h"
#include "ai/NavGrid.h"
#include "tests/support/MapFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

using namespace testing_support;

namespace
{
// A grid built from rows of map characters.
class GridFromRows
{
public:
    explicit GridFromRows(const std::vector<std::string>& rows)
    {
        m_map.LoadFromFile(MapFile(rows).WriteTo(m_dir.Path() + "/Test.smp"));
        m_grid.Follow(m_map, 2);
    }
    const CNavGrid& Grid() const { return m_grid; }
    CNavGrid::CellIndex Cell(int32_t x, int32_t y) const { return m_grid.Index(x, y); }

private:
    TempDir m_dir;
    CMap m_map;
    CNavGrid m_grid;
};

std::vector<CNavGrid::CellIndex> Plan(const GridFromRows& map, CNavGrid::CellIndex from,
                                      CNavGrid::CellIndex to)
{
    CPathPlanner planner;
    std::vector<CNavGrid::CellIndex> path;
    EXPECT_TRUE(planner.FindPath(map.Grid(), from, to, path));
    return path;
}
} // namespace

TEST(PathPlanner, GoesRoundTheSeamWhenThatIsShorter)
{
    // Rock across the middle: from column 7 to column 12 the way is over
    // the left and right edges, which meet.
    std::vector<std::string> rows(6, ".........##.........");
    GridFromRows map(rows);
    auto path = Plan(map, map.Cell(7, 2), map.Cell(12, 2));
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.back(), map.Cell(12, 2));
    bool crossed = false;
    for (size_t i = 0; i < path.size(); ++i)
    {
        EXPECT_FALSE(map.Grid().IsBlocked(path[i]));
        CNavGrid::CellIndex before = i == 0 ? map.Cell(7, 2) : path[i - 1];
        crossed |= std::abs(map.Grid().ColumnOf(path[i]) - map.Grid().ColumnOf(before)) > 1;
    }
    EXPECT_TRUE(crossed) << "the path wraps from one edge to the other";
    EXPECT_LE(path.size(), 16u) << "fifteen steps round the seam, against 5 for the blocked way";
}

TEST(PathPlanner, KeepsOffTheOuterWallWhereThereIsRoom)
{
    GridFromRows map({
        "##########",
        "#........#",
        "#........#",
        "#..####..#",
        "#........#",
        "#........#",
        "##########",
    });
    auto path = Plan(map, map.Cell(1, 2), map.Cell(8, 2));
    // The two rows between the outer wall and the block are both beside rock;
    // the path may not do better, but it never runs along the outer wall.
    int besideRock = 0;
    for (CNavGrid::CellIndex cell : path)
    {
        EXPECT_NE(map.Grid().RowOf(cell), 1)
            << "hugging the outer wall at column " << map.Grid().ColumnOf(cell);
        besideRock += map.Grid().ExtraCost(cell) > 0;
    }
    EXPECT_GT(besideRock, 0);
}

// A diagonal step beside a lone rock would clip its corner: each way round
// it takes the two straight steps, whichever side of the step the rock is on.
TEST(PathPlanner, GoesRoundARocksCornerRatherThanAcrossIt)
{
    GridFromRows map({".....", ".....", "..#..", ".....", "....."});
    const int32_t corners[][4] = {{1, 2, 2, 1}, {2, 1, 3, 2}, {3, 2, 2, 3}, {2, 3, 1, 2}};
    for (const auto& c : corners)
    {
        auto path = Plan(map, map.Cell(c[0], c[1]), map.Cell(c[2], c[3]));
        EXPECT_EQ(path.size(), 2u) << "from " << c[0] << ", " << c[1];
    }
}

TEST(PathPlanner, FailsWhenTheGoalIsWalledOff)
{
    GridFromRows map({
        "..........",
        "..#####...",
        "..#...#...",
        "..#####...",
        "..........",
    });
    CPathPlanner planner;
    std::vector<CNavGrid::CellIndex> path{1, 2, 3};
    EXPECT_FALSE(planner.FindPath(map.Grid(), map.Cell(0, 0), map.Cell(4, 2), path));
    EXPECT_TRUE(path.empty());
    EXPECT_FALSE(planner.FindPath(map.Grid(), map.Cell(0, 0), map.Cell(3, 1), path)) << "a rock goal";
}

TEST(NavGrid, FliesTwoCellTunnelsDownTheMiddleAndFindsFuelStations)
{
    GridFromRows map({
        "##########",
        "..........",
        "..........",
        "##########",
        "..........",
        "....F.....",
        "..........",
        "..........",
    });
    const CNavGrid& grid = map.Grid();
    EXPECT_DOUBLE_EQ(grid.FlyPoint(map.Cell(5, 1)).GetY(), 64.0);
    EXPECT_DOUBLE_EQ(grid.FlyPoint(map.Cell(5, 2)).GetY(), 64.0);
    EXPECT_TRUE(grid.IsBlocked(map.Cell(4, 5)));
    ASSERT_FALSE(grid.GetFuelStations().empty());
    for (CNavGrid::CellIndex station : grid.GetFuelStations())
    {
        int32_t dx = 0, dy = 0;
        grid.Offset(map.Cell(4, 5), station, dx, dy);
        EXPECT_LE(std::max(std::abs(dx), std::abs(dy)), 2) << "within the fuel range";
        EXPECT_GE(std::max(std::abs(dx), std::abs(dy)), 2) << "not right beside the block";
    }
}

// Offsets are the short way round on each axis: across the left and right
// edges, and across the top and bottom ones.
TEST(NavGrid, OffsetsTakeTheShortWayAcrossEveryEdge)
{
    GridFromRows map(std::vector<std::string>(12, std::string(20, '.')));
    const int32_t cases[][6] = {
        // from x, y, to x, y, then dx, dy
        {1, 5, 18, 5, -3, 0}, {18, 5, 1, 5, 3, 0}, {5, 1, 5, 10, 0, -3},
        {5, 10, 5, 1, 0, 3},  {2, 3, 7, 8, 5, 5},  {19, 11, 0, 0, 1, 1},
    };
    for (const auto& c : cases)
    {
        int32_t dx = 99, dy = 99;
        map.Grid().Offset(map.Cell(c[0], c[1]), map.Cell(c[2], c[3]), dx, dy);
        EXPECT_EQ(dx, c[4]) << c[0] << ", " << c[1] << " to " << c[2] << ", " << c[3];
        EXPECT_EQ(dy, c[5]) << c[0] << ", " << c[1] << " to " << c[2] << ", " << c[3];
    }
}

TEST(Gunnery, HeadingsTurnsAndLead)
{
    EXPECT_FLOAT_EQ(gunnery::HeadingAngle(CVector(0, 1, 0)), 0.0f);
    EXPECT_FLOAT_EQ(gunnery::HeadingAngle(CVector(-1, 0, 0)), 90.0f);
    EXPECT_FLOAT_EQ(gunnery::HeadingAngle(CVector(1, 0, 0)), 270.0f);
    EXPECT_FLOAT_EQ(gunnery::TurnNeeded(350, 10), 20.0f);
    EXPECT_FLOAT_EQ(gunnery::TurnNeeded(10, 350), -20.0f);

    // A target 300 units ahead crossing at 100 units/s, a shot at 256: the
    // shot and the target meet where the lead says.
    CVector offset(0, 300, 0), velocity(100, 0, 0);
    double time = 0;
    ASSERT_TRUE(gunnery::InterceptTime(offset, velocity, 256, time));
    CVector meet = offset + velocity * time;
    EXPECT_NEAR(std::sqrt(meet.Dot(meet)), 256 * time, 1e-6);
    EXPECT_FALSE(gunnery::InterceptTime(CVector(0, 300, 0), CVector(0, 400, 0), 256, time)) << "running away";

    EXPECT_NEAR(gunnery::ClosestApproach(CVector(100, 10, 0), CVector(-200, 0, 0), 1.0), 10.0, 1e-9);
    EXPECT_NEAR(gunnery::ClosestApproach(CVector(100, 10, 0), CVector(-200, 0, 0), 0.1), std::hypot(80, 10),
                1e-9);
    double speed = gunnery::StoppingSpeed(200, 700, 0.5);
    EXPECT_NEAR(speed * 0.5 + speed * speed / 1400, 200, 1e-6);
}
