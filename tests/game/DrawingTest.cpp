// Drawing through the recording backend: the picture files each object asks
// the texture cache for (the shipped ones in data/Graphics, so each must
// load), each on the atlas page with its own pixels, and the one it draws for
// its state; the plain quad and the bullet's
// point; the map's walls (each edge once, in runs), half walls and fuel blocks on screen, the seam, and
// the outline switch.
#include "game/Map.h"
#include "game/Powerup.h"
#include "game/Projectiles.h"
#include "game/Ship.h"
#include "game/Turret.h"
#include "gfx/Graphics.h"
#include "gfx/RecordingBackend.h"
#include "gfx/TextureAtlas.h"
#include "tests/support/MapFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <set>
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
        const CRecordingBackend::Triangle& drawn = backend.Triangles()[0];
        for (int32_t i = 0; i < object.GetTextureCount(); ++i)
        {
            const TextureSource source = object.GetTexture(size_t(i))->Source();
            const float u = drawn.vertices[0].u, v = drawn.vertices[0].v;
            if (source.name == drawn.state.texture && (u == source.region.u0 || u == source.region.u1) &&
                (v == source.region.v0 || v == source.region.v1))
                return i;
        }
        return -2;
    }

    // The RGBA bytes uploaded under `name`.
    const std::vector<uint8_t>& Uploaded(uint32_t name) const
    {
        for (const CRecordingBackend::Upload& upload : backend.Uploads())
            if (upload.name == name)
                return upload.rgba;
        static const std::vector<uint8_t> kNone;
        return kNone;
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

// Texel (x, y) of a `width` wide RGBA picture.
uint32_t Texel(const std::vector<uint8_t>& rgba, int32_t width, int32_t x, int32_t y)
{
    const size_t at = (size_t(y) * size_t(width) + size_t(x)) * 4;
    return at + 4 <= rgba.size()
               ? uint32_t(rgba[at]) << 24 | rgba[at + 1] << 16 | rgba[at + 2] << 8 | rgba[at + 3]
               : 0xDEADBEEF;
}

// Every picture objects and the map draw is on the atlas page with the texels
// of its own file, and the texels just outside it repeat its edge, as its own
// clamped texture would: nothing of a neighbour shows at an edge.
TEST_F(Drawing, EveryObjectPictureComesOutOfTheAtlasWithItsOwnPixels)
{
    std::vector<std::unique_ptr<CGameObject>> objects;
    for (int32_t type = 0; type < CShip::kShipTypes; ++type)
    {
        auto ship = std::make_unique<CShip>();
        ship->SetShipType(type);
        objects.push_back(std::move(ship));
    }
    objects.push_back(std::make_unique<CMissile>());
    objects.push_back(std::make_unique<CMine>());
    objects.push_back(std::make_unique<CPlasmaMine>());
    objects.push_back(std::make_unique<CShrapnel>());
    objects.push_back(std::make_unique<CPowerup>());
    std::vector<CGameObject*> drawers{&map};
    for (auto& object : objects)
        drawers.push_back(object.get());
    std::vector<const CTexture*> pictures;
    for (CGameObject* drawer : drawers)
    {
        Loaded(*drawer);
        for (int32_t i = 0; i < drawer->GetTextureCount(); ++i)
            pictures.push_back(drawer->GetTexture(size_t(i)));
    }
    ASSERT_EQ(pictures.size(), 9u + 6 * 3 + 3 + 2 + 8);

    constexpr int32_t kPage = CTextureAtlas::kPageSize;
    const std::vector<uint8_t>& page = Uploaded(CTextureManager::Get().GetAtlas().GetGLName());
    ASSERT_EQ(page.size(), size_t(kPage) * kPage * 4);
    for (const CTexture* picture : pictures)
    {
        ASSERT_TRUE(picture->GetAtlasRegion()) << picture->GetName();
        const TextureRegion& region = *picture->GetAtlasRegion();
        const int32_t left = int32_t(region.u0 * kPage), top = int32_t(region.v0 * kPage);
        const int32_t width = int32_t(region.u1 * kPage) - left, height = int32_t(region.v1 * kPage) - top;
        const std::vector<uint8_t>& own = Uploaded(picture->GetGLName());
        ASSERT_EQ(own.size(), size_t(width) * size_t(height) * 4) << picture->GetName();
        int mismatches = 0;
        for (int32_t y = -1; y <= height; ++y)
            for (int32_t x = -1; x <= width; ++x)
                mismatches += Texel(page, kPage, left + x, top + y) !=
                              Texel(own, width, std::clamp(x, 0, width - 1), std::clamp(y, 0, height - 1));
        EXPECT_EQ(mismatches, 0) << picture->GetName();
    }
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
    EXPECT_TRUE(backend.Triangles().empty()) << "out of play, nothing is drawn";
    bullet.ForceRespawn(50, 40);
    EXPECT_TRUE(bullet.Draw(10, 20));
    // The 2 x 2 square as two triangles of the atlas page's white texels,
    // which draw white as the plain point did, in the pictures' batch.
    ASSERT_EQ(backend.Triangles().size(), 2u);
    const CTextureAtlas& atlas = CTextureManager::Get().GetAtlas();
    const std::vector<uint8_t>& page = Uploaded(backend.Triangles()[0].state.texture);
    for (const CRecordingBackend::Triangle& triangle : backend.Triangles())
    {
        EXPECT_TRUE(triangle.state.texturing);
        EXPECT_EQ(triangle.state.colour, (RenderColour{1, 1, 1, 1}));
        for (const RenderVertex& corner : triangle.vertices)
        {
            EXPECT_GE(corner.x, 139.0f);
            EXPECT_LE(corner.x, 141.0f);
            EXPECT_GE(corner.y, -21.0f);
            EXPECT_LE(corner.y, -19.0f);
            EXPECT_GT(corner.u, atlas.WhiteRegion().u0);
            EXPECT_LT(corner.u, atlas.WhiteRegion().u1);
            const int32_t x = int32_t(corner.u * CTextureAtlas::kPageSize);
            const int32_t y = int32_t(corner.v * CTextureAtlas::kPageSize);
            EXPECT_EQ(Texel(page, CTextureAtlas::kPageSize, x, y), 0xFFFFFFFFu);
        }
    }
    EXPECT_EQ(XY(backend.Triangles()[0].vertices[0]), std::make_pair(139.0f, -21.0f));
    EXPECT_EQ(XY(backend.Triangles()[1].vertices[1]), std::make_pair(141.0f, -19.0f));
    EXPECT_EQ(std::pair(backend.FrontFill(), backend.BackFill()),
              std::pair(PolygonFill::Fill, PolygonFill::Line));
    EXPECT_TRUE(backend.Quads().empty());
}

// The drawn lines as one-cell pieces: a piece of a grid line (both ends on
// the grid, one cell long, its ends in order) or a diagonal, each whole.
using Point = std::pair<float, float>;
using Piece = std::pair<Point, Point>;
std::set<Piece> Pieces(const std::vector<CRecordingBackend::Line>& lines)
{
    std::set<Piece> pieces;
    for (const auto& line : lines)
    {
        Point from = XY(line.from), to = XY(line.to);
        if (to < from)
            std::swap(from, to);
        const bool straight = from.first == to.first || from.second == to.second;
        const float dx = straight && from.first != to.first ? 32.0f : 0, dy = straight ? 32.0f - dx : 0;
        if (!straight)
            pieces.insert({from, to});
        for (Point at = from; straight && at != to; at = {at.first + dx, at.second + dy})
            pieces.insert({at, {at.first + dx, at.second + dy}});
    }
    return pieces;
}

// What the walls of `rows` (a 3 x 3 window at view (48, 48)) must show,
// edge by edge: a square's four edges, a half wall's two legs and diagonal,
// given in cell units from the cell's corner (x right, y down the screen).
std::set<Piece> ExpectedWallPieces(const std::vector<std::string>& rows)
{
    const std::map<char, std::vector<std::array<float, 4>>> shapes = {
        {'#', {{0, 0, 1, 0}, {1, 0, 1, 1}, {0, 1, 1, 1}, {0, 0, 0, 1}}},
        {'/', {{1, 0, 1, 1}, {0, 1, 1, 1}, {0, 1, 1, 0}}},
        {'\\', {{0, 0, 0, 1}, {0, 1, 1, 1}, {0, 0, 1, 1}}}};
    std::set<Piece> pieces;
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size(); ++c)
        {
            auto shape = shapes.find(rows[r][c]);
            for (size_t i = 0; shape != shapes.end() && i < shape->second.size(); ++i)
            {
                const auto [x0, y0, x1, y1] = shape->second[i];
                Point a{52.0f + 32 * (c + x0), 48.0f - 32 * (r + y0)},
                    b{52.0f + 32 * (c + x1), 48.0f - 32 * (r + y1)};
                pieces.insert(a < b ? Piece{a, b} : Piece{b, a});
            }
        }
    return pieces;
}

// View (48, 48) is cell (1, 1): the window runs from cell (0, 0) to (2, 2),
// and cell (c, r) has its corner of smallest x and y at screen
// (c * 32 - 48 + 100, -(r * 32 - 48)). Walls side by side share their
// edges, and a grid line's edges go out as one run.
TEST_F(Drawing, MapWallsAreBlueEdgesEachOnceInRunsAlongTheGridAndFuelBlocksTexturedQuads)
{
    const struct
    {
        std::vector<std::string> rows;
        // Runs, and each run's last cell drawn back where no other line
        // starts at or passes through its end.
        size_t lines;
    } maps[] = {
        {{"#.F", "...", "..."}, 4 + 2},      {{"##.", "##.", "..."}, 6 + 2},  {{"###", "###", "###"}, 8 + 2},
        {{"/#\\", "#.#", "..."}, 2 + 8 + 4}, {{"#.#", "...", "#.#"}, 16 + 8},
    };
    for (const auto& [rows, lines] : maps)
    {
        LoadMap(rows);
        backend.ClearFrame();
        EXPECT_TRUE(map.Draw(48, 48));
        EXPECT_EQ(Pieces(backend.Lines()), ExpectedWallPieces(rows)) << rows[0];
        EXPECT_EQ(backend.Lines().size(), lines) << rows[0];
        for (const auto& line : backend.Lines())
            EXPECT_TRUE(line.state.colour == (RenderColour{0, 0, 1, 1}) && !line.state.texturing);
    }
    LoadMap({"#.F", "...", "..."});
    ASSERT_TRUE(map.LoadTextures());
    backend.ClearFrame();
    EXPECT_TRUE(map.Draw(48, 48));

    // The fuel block at (2, 0), corner (116, 48): two white triangles over
    // the cell with its picture, mapped as an object's quad.
    ASSERT_EQ(backend.Triangles().size(), 2u);
    for (size_t i = 0; i < 2; ++i)
    {
        EXPECT_EQ(backend.Triangles()[i].state.texture, map.GetTexture(0)->Source().name);
        EXPECT_TRUE(backend.Triangles()[i].state.texturing);
        EXPECT_EQ(backend.Triangles()[i].state.colour, (RenderColour{1, 1, 1, 1}));
    }
    const auto& first = backend.Triangles()[0].vertices;
    EXPECT_EQ(XY(first[0]), std::make_pair(116.0f, 16.0f)); // world (64, 32): u 0, v 1
    const TextureRegion& fuel = *map.GetTexture(0)->GetAtlasRegion();
    EXPECT_EQ(std::pair(first[0].u, first[0].v), std::pair(fuel.u0, fuel.v1));
    EXPECT_EQ(XY(first[2]), std::make_pair(148.0f, 48.0f)); // world (96, 0): u 1, v 0
    EXPECT_EQ(backend.Binds().back(), 0u) << "the texture is unbound afterwards";
    EXPECT_TRUE(backend.LineLoops().empty()) << "outlines only with the switch on";
}

// Views either side of the seam see the wall at cell 0 as the next cell
// after the last one; a display size sets how many cells are walked, and
// the walls of a 1 x 1 map repeated over them join into runs across the seam.
TEST_F(Drawing, MapSeamIsDrawnSeamlesslyOverTheDisplaysCells)
{
    LoadMap({"#...", "....", "...."});
    const std::pair<int32_t, float> views[] = {{16, 84}, {112, 116}, {-16, 116}, {-80, 52}};
    for (auto [viewX, wallLeft] : views)
    {
        backend.ClearFrame();
        map.Draw(viewX, 16);
        ASSERT_EQ(backend.Lines().size(), 6u) << viewX;
        EXPECT_EQ(backend.Lines()[0].from.x, wallLeft) << viewX;
    }
    LoadMap({"#"});
    map.SetDisplaySize(0, 600);
    map.SetDisplaySize(64, 32); // 4 x 3 cells of a 1 x 1 map
    backend.ClearFrame();
    map.Draw(16, 16);
    EXPECT_EQ(backend.Lines().size(), 4u + 5 + 2) << "a run along each of 4 rows' and 5 columns' grid lines";
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
