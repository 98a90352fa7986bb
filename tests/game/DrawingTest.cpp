// Drawing through the recording backend: the picture files each object asks
// the texture cache for (the shipped ones in data/Graphics, so each must
// load) and the one it draws for its state; the plain quad and the bullet's
// point; the map's walls, half walls and fuel blocks on screen, the seam, and
// the outline switch.
#include "game/Map.h"
#include "game/Powerup.h"
#include "game/Projectiles.h"
#include "game/Turret.h"
#include "gfx/Graphics.h"
#include "gfx/RecordingBackend.h"
#include "tests/support/MapFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
using Names = std::vector<std::string>;

class Drawing : public ::testing::Test
{
protected:
    Drawing()
    {
        SetRenderBackend(&backend);
        GetGraphics().GetTextureManager().Clear();
        map.SetDisplaySize(32, 32); // a 3 x 3 cell window
    }
    ~Drawing() override
    {
        GetDrawToggles().outlines = false;
        GetGraphics().GetTextureManager().Clear();
        SetRenderBackend(nullptr);
    }

    // A map of rows given top first (see MapFile: '/' is the half wall with
    // its right angle at the largest x and y, code 2).
    void LoadMap(const std::vector<std::string>& rows)
    {
        ASSERT_TRUE(map.LoadFromFile(testing_support::MapFile(rows, "M").WriteTo(dir.File("draw.smp"))));
    }

    // The names of the object's textures, each of which must have loaded.
    Names Loaded(CGameObject& object)
    {
        EXPECT_TRUE(object.LoadTextures());
        Names names;
        for (int32_t i = 0; i < object.GetTextureCount(); ++i)
        {
            names.push_back(object.GetTexture(size_t(i))->GetName());
            EXPECT_NE(object.GetTexture(size_t(i))->GetGLName(), 0u) << names.back() << " did not load";
        }
        return names;
    }

    // Which of its textures the object draws its two triangles with; -1 for
    // no drawing at all.
    int Drawn(CGameObject& object)
    {
        backend.ClearFrame();
        object.Draw(0, 0);
        if (backend.Triangles().empty())
            return -1;
        EXPECT_EQ(backend.Triangles().size(), 2u);
        for (int32_t i = 0; i < object.GetTextureCount(); ++i)
            if (object.GetTexture(size_t(i))->GetGLName() == backend.Triangles()[0].state.texture)
                return i;
        return -2;
    }

    CRecordingBackend backend;
    testing_support::TempDir dir;
    CMap map;
};

const std::pair<int32_t, std::string> kFacings[] = {
    {FACING_UP, "up"}, {FACING_RIGHT, "right"}, {FACING_DOWN, "down"}, {FACING_LEFT, "left"}};

std::pair<float, float> XY(const RenderVertex& v)
{
    return {v.x, v.y};
}
} // namespace

TEST_F(Drawing, EachObjectAsksForItsOwnFiles)
{
    CMissile missile;
    CMine mine;
    CPlasmaMine plasma;
    CBullet bullet;
    CShrapnel shrapnel;
    EXPECT_EQ(Loaded(missile), Names{"missile.tga"});
    EXPECT_EQ(Loaded(mine), Names{"mine.tga"});
    EXPECT_EQ(Loaded(plasma), Names{"plasmamine.tga"}) << "not the plain mine's picture as well";
    EXPECT_EQ(Loaded(bullet), Names{}) << "bullets are plain points";
    EXPECT_EQ(Loaded(shrapnel), (Names{"shrapnel1.tga", "shrapnel2.tga"}));
    CPowerup powerup;
    Names types;
    for (int32_t type = 0; type < CPowerup::kTypes; ++type)
        types.push_back(CPowerup::TextureName(type));
    EXPECT_EQ(Loaded(powerup), types);
    EXPECT_EQ(Loaded(map), (Names{"FuelBlock.tga", "turret_ok_up.tga", "turret_dead_up.tga",
                                  "turret_ok_left.tga", "turret_dead_left.tga", "turret_ok_down.tga",
                                  "turret_dead_down.tga", "turret_ok_right.tga", "turret_dead_right.tga"}));
    backend.SetPendingError(0x0505);
    EXPECT_FALSE(map.LoadTextures()) << "a pending library error fails the load";
}

// A turret asks for its facing's two pictures, draws the alive one in play
// and the dead one while it waits; shrapnel draws its shape's picture, a
// powerup its type's, and only in play.
TEST_F(Drawing, ObjectsDrawThePictureOfTheirState)
{
    for (const auto& [facing, direction] : kFacings)
    {
        CTurret turret;
        turret.SetFacing(facing);
        EXPECT_EQ(Loaded(turret),
                  (Names{"turret_ok_" + direction + ".tga", "turret_dead_" + direction + ".tga"}));
        turret.ForceRespawn(0, 0);
        EXPECT_EQ(Drawn(turret), 0) << direction;
        turret.Kill();
        EXPECT_EQ(Drawn(turret), 1) << direction;
    }
    CShrapnel shrapnel;
    shrapnel.SetShape(1);
    shrapnel.LoadTextures();
    shrapnel.ForceRespawn(0, 0);
    EXPECT_EQ(Drawn(shrapnel), 1);
    CPowerup powerup;
    powerup.LoadTextures();
    powerup.ForceRespawn(0, 0);
    for (int32_t type : {POWERUP_MISSILES, POWERUP_CLOAK})
    {
        powerup.SetType(type);
        EXPECT_EQ(Drawn(powerup), type);
    }
    powerup.Kill();
    EXPECT_EQ(Drawn(powerup), -1);
}

// Screen point (50 - 10 + 100, -(40 - 20)) = (140, -20) for both.
TEST_F(Drawing, ObjectWithoutAPictureDrawsAQuadAboutTheScreenPoint)
{
    CGameObject object;
    object.Draw(0, 0);
    EXPECT_TRUE(backend.Triangles().empty()) << "inactive objects draw nothing";
    object.ForceRespawn(50, 40);
    object.Draw(10, 20);
    ASSERT_EQ(backend.Triangles().size(), 2u);
    const RenderVertex& b = backend.Triangles()[0].vertices[0]; // corner (-16, 16)
    EXPECT_EQ(XY(b), std::make_pair(124.0f, -36.0f));
    EXPECT_EQ(b.v, 1);
}

TEST_F(Drawing, BulletIsAWhitePointAboutTheScreenPointOnlyInPlay)
{
    CBullet bullet;
    EXPECT_TRUE(bullet.Draw(0, 0));
    EXPECT_TRUE(backend.Quads().empty()) << "out of play, nothing is drawn";
    backend.SetTexturing(true);
    bullet.ForceRespawn(50, 40);
    EXPECT_TRUE(bullet.Draw(10, 20));
    ASSERT_EQ(backend.Quads().size(), 1u);
    const CRecordingBackend::Quad& quad = backend.Quads()[0];
    EXPECT_EQ(XY(quad.vertices[0]), std::make_pair(139.0f, -21.0f));
    EXPECT_EQ(XY(quad.vertices[2]), std::make_pair(141.0f, -19.0f));
    EXPECT_FALSE(quad.state.texturing);
    EXPECT_EQ(quad.state.colour, (RenderColour{1, 1, 1, 1}));
    EXPECT_EQ(std::pair(backend.FrontFill(), backend.BackFill()),
              std::pair(PolygonFill::Fill, PolygonFill::Line));
    EXPECT_TRUE(backend.Triangles().empty());
}

// View (48, 48) is cell (1, 1): the window runs from cell (0, 0) to (2, 2),
// and cell (c, r) has its corner of smallest x and y at screen
// (c * 32 - 48 + 100, -(r * 32 - 48)).
TEST_F(Drawing, MapWallsAreBlueOutlinesAndFuelBlocksTexturedQuads)
{
    LoadMap({"#/F", "...", "..."});
    ASSERT_TRUE(map.LoadTextures());
    backend.ClearFrame();
    EXPECT_TRUE(map.Draw(48, 48));

    // The wall at (0, 0): four edges of the square, no diagonal.
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

    // The fuel block at (2, 0), corner (116, 48): two white triangles over
    // the cell with its picture, mapped as an object's quad.
    for (size_t i = 1; i < 3; ++i)
    {
        EXPECT_EQ(backend.Triangles()[i].state.texture, map.GetTexture(0)->GetGLName());
        EXPECT_TRUE(backend.Triangles()[i].state.texturing);
        EXPECT_EQ(backend.Triangles()[i].state.colour, (RenderColour{1, 1, 1, 1}));
    }
    const auto& first = backend.Triangles()[1].vertices;
    EXPECT_EQ(XY(first[0]), std::make_pair(116.0f, 16.0f)); // world (64, 32): u 0, v 1
    EXPECT_EQ(std::pair(first[0].u, first[0].v), std::pair(0.0f, 1.0f));
    EXPECT_EQ(XY(first[2]), std::make_pair(148.0f, 48.0f)); // world (96, 0): u 1, v 0
    EXPECT_EQ(backend.Binds().back(), 0u) << "the texture is unbound afterwards";
    EXPECT_TRUE(backend.LineLoops().empty()) << "outlines only with the switch on";
}

// Views either side of the seam see the wall at cell 0 as the next cell
// after the last one; a display size sets how many cells are walked.
TEST_F(Drawing, MapSeamIsDrawnSeamlesslyOverTheDisplaysCells)
{
    LoadMap({"#...", "....", "...."});
    const std::pair<int32_t, float> views[] = {{16, 84}, {112, 116}, {-16, 116}, {-80, 52}};
    for (auto [viewX, wallLeft] : views)
    {
        backend.ClearFrame();
        map.Draw(viewX, 16);
        ASSERT_EQ(backend.Lines().size(), 4u) << viewX;
        EXPECT_EQ(backend.Lines()[0].from.x, wallLeft) << viewX;
    }
    LoadMap({"#"});
    map.SetDisplaySize(0, 600);
    map.SetDisplaySize(64, 32); // 4 x 3 cells of a 1 x 1 map
    backend.ClearFrame();
    map.Draw(16, 16);
    EXPECT_EQ(backend.Lines().size(), 4u * 4 * 3);
}

TEST_F(Drawing, MapOutlineSwitchAddsRedCollisionOutlines)
{
    LoadMap({"#..", "...", "./."});
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
