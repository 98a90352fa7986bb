// Drawing the map through the recording backend: which textures it takes,
// where walls, half walls and fuel blocks land on screen, the seam, and the
// outline switch.
#include "game/Map.h"

#include "gfx/Graphics.h"
#include "gfx/RecordingBackend.h"
#include "tests/support/MapFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace
{
// A map of rows given top first (see MapFile: '/' is the half wall with its
// right angle at the largest x and y, code 2).
std::string WriteMap(const testing_support::TempDir& dir, const std::vector<std::string>& rows)
{
    return testing_support::MapFile(rows, "M").WriteTo(dir.File("draw.smp"));
}

struct MapDrawFixture : ::testing::Test
{
    void SetUp() override
    {
        SetRenderBackend(&backend);
        GetGraphics().GetTextureManager().Clear();
        map.SetDisplaySize(32, 32); // a 3 x 3 cell window
    }
    void TearDown() override
    {
        GetDrawToggles().outlines = false;
        GetGraphics().GetTextureManager().Clear();
        SetRenderBackend(nullptr);
    }

    CRecordingBackend backend;
    testing_support::TempDir dir;
    CMap map;
};

using MapDraw = MapDrawFixture;

std::pair<float, float> XY(const RenderVertex& v)
{
    return {v.x, v.y};
}
} // namespace

// View (48, 48) is cell (1, 1): the window runs from cell (0, 0) to (2, 2),
// and cell (c, r) has its corner of smallest x and y at screen
// (c * 32 - 48 + 100, -(r * 32 - 48)).
TEST_F(MapDraw, WallsAreBlueOutlinesAndFuelBlocksTexturedQuads)
{
    ASSERT_TRUE(map.LoadFromFile(WriteMap(dir, {"#/F", "...", "..."})));
    ASSERT_TRUE(map.LoadTextures());
    backend.ClearFrame();
    EXPECT_TRUE(map.Draw(48, 48));

    // The wall at (0, 0): four edges of the square, no diagonal.
    ASSERT_EQ(backend.Lines().size(), 4u);
    using Segment = std::pair<std::pair<float, float>, std::pair<float, float>>;
    std::vector<Segment> edges;
    for (const auto& line : backend.Lines())
    {
        edges.emplace_back(XY(line.from), XY(line.to));
        EXPECT_EQ(line.state.colour, (RenderColour{0, 0, 1, 1}));
        EXPECT_FALSE(line.state.texturing);
    }
    EXPECT_EQ(edges,
              (std::vector<Segment>{
                  {{52, 48}, {84, 48}}, {{84, 48}, {84, 16}}, {{84, 16}, {52, 16}}, {{52, 16}, {52, 48}}}));

    // The half wall at (1, 0), corner at (84, 48): its right angle at the
    // largest x and y, which is the lower right on screen.
    ASSERT_EQ(backend.Triangles().size(), 3u);
    const auto& half = backend.Triangles()[0];
    EXPECT_EQ(XY(half.vertices[0]), std::make_pair(116.0f, 48.0f));
    EXPECT_EQ(XY(half.vertices[1]), std::make_pair(116.0f, 16.0f));
    EXPECT_EQ(XY(half.vertices[2]), std::make_pair(84.0f, 16.0f));
    EXPECT_EQ(half.state.colour, (RenderColour{0, 0, 1, 1}));

    // The fuel block at (2, 0), corner (116, 48): two white textured
    // triangles over the cell, mapped as an object's quad.
    uint32_t fuelTexture = map.GetTexture(0)->GetGLName();
    for (size_t i = 1; i < 3; ++i)
    {
        const auto& t = backend.Triangles()[i];
        EXPECT_EQ(t.state.texture, fuelTexture);
        EXPECT_TRUE(t.state.texturing);
        EXPECT_EQ(t.state.colour, (RenderColour{1, 1, 1, 1}));
    }
    const auto& first = backend.Triangles()[1].vertices;
    EXPECT_EQ(XY(first[0]), std::make_pair(116.0f, 16.0f)); // world (64, 32): u 0, v 1
    EXPECT_EQ(first[0].v, 1);
    EXPECT_EQ(XY(first[2]), std::make_pair(148.0f, 48.0f)); // world (96, 0): u 1, v 0
    EXPECT_EQ(first[2].u, 1);
    EXPECT_EQ(backend.Binds().back(), 0u) << "the texture is unbound afterwards";
    EXPECT_TRUE(backend.LineLoops().empty()) << "outlines only with the switch on";
}

TEST_F(MapDraw, TheSeamIsDrawnSeamlessly)
{
    ASSERT_TRUE(map.LoadFromFile(WriteMap(dir, {"#...", "....", "...."})));
    map.Draw(16, 16); // the wall's left edge at 0 - 16 + 100
    ASSERT_EQ(backend.Lines().size(), 4u);
    EXPECT_EQ(backend.Lines()[0].from.x, 84);
    backend.ClearFrame();
    // Cell (3, 0), 16 units left of the seam: the wall appears as cell 4,
    // the next cell to the right, at 4 * 32 - 112 + 100.
    map.Draw(112, 16);
    ASSERT_EQ(backend.Lines().size(), 4u);
    EXPECT_EQ(backend.Lines()[0].from.x, 116);
    backend.ClearFrame();
    map.Draw(-16, 16); // a view left of 0 sees the same wall to its right
    ASSERT_EQ(backend.Lines().size(), 4u);
    EXPECT_EQ(backend.Lines()[0].from.x, 116);
}

TEST_F(MapDraw, TheOutlineSwitchAddsRedCollisionOutlines)
{
    ASSERT_TRUE(map.LoadFromFile(WriteMap(dir, {"#..", "...", "./."})));
    GetDrawToggles().outlines = true;
    map.Draw(48, 48);
    ASSERT_EQ(backend.LineLoops().size(), 2u);
    const auto& square = backend.LineLoops()[0];
    EXPECT_EQ(square.state.colour, (RenderColour{1, 0, 0, 1}));
    EXPECT_FALSE(square.state.texturing);
    ASSERT_EQ(square.vertices.size(), 4u);
    // About the centre of cell (0, 0), screen (68, 32), reaching 17 units.
    EXPECT_EQ(XY(square.vertices[0]), std::make_pair(51.0f, 49.0f));
    EXPECT_EQ(XY(square.vertices[2]), std::make_pair(85.0f, 15.0f));
    EXPECT_EQ(backend.LineLoops()[1].vertices.size(), 3u);
}

TEST_F(MapDraw, ADisplaySizeSetsHowManyCellsAreWalked)
{
    ASSERT_TRUE(map.LoadFromFile(WriteMap(dir, {"#"})));
    map.SetDisplaySize(0, 600);
    map.SetDisplaySize(64, 32); // 4 x 3 cells of a 1 x 1 map
    map.Draw(16, 16);
    EXPECT_EQ(backend.Lines().size(), 4u * 4 * 3);
}
