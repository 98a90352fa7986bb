// The game view on a small wrapping world, drawn through the recording
// backend: the draw order, wrapping across the seam, off-screen objects,
// names and collision outlines.
#include "client/game/GameView.h"
#include "game/Map.h"
#include "game/Projectiles.h"
#include "game/Ship.h"
#include "game/World.h"
#include "tests/client/ShippedDrawing.h"
#include "tests/support/MapFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

namespace
{
class GameViewTest : public ::testing::Test
{
protected:
    // A 64 x 64 empty map: 2048 x 2048 units, seen through a 1024 x 768 view.
    void SetUp() override
    {
        const std::vector<std::string> rows(64, std::string(64, '.'));
        auto* map = new CMap();
        ASSERT_TRUE(map->LoadFromFile(m_dir.Write("open.smp", testing_support::MapFile(rows).Bytes())));
        m_world.AttachMap(map);
        Ship(2040, 1000, "Me")->SetLocal(true);
        m_view.SetWorld(&m_world);
        m_view.SetViewSize(1024, 768);
        GetDrawToggles() = DrawToggles{};
    }
    void TearDown() override { GetDrawToggles() = DrawToggles{}; }

    CShip* Ship(float x, float y, const char* name)
    {
        auto* ship = new CShip();
        ship->ForceRespawn(x, y);
        ship->SetName(name);
        m_world.AddPlayer(ship);
        return ship;
    }

    // The centre of each picture drawn: pictures are two triangles.
    std::vector<std::pair<float, float>> PictureCentres() const
    {
        std::vector<std::pair<float, float>> centres;
        const auto& triangles = m_drawing.backend.Triangles();
        for (size_t i = 0; i + 1 < triangles.size(); i += 2)
        {
            float x = 0, y = 0;
            for (const auto* t : {&triangles[i], &triangles[i + 1]})
                for (const RenderVertex& v : t->vertices)
                    x += v.x / 6, y += v.y / 6;
            centres.emplace_back(std::round(x), std::round(y));
        }
        return centres;
    }

    testing_support::TempDir m_dir;
    CShippedDrawing m_drawing;
    CGameWorld m_world;
    CGameView m_view;
};
} // namespace

TEST_F(GameViewTest, DrawOrderAndTheSeam)
{
    Ship(10, 1000, "Across"); // 18 units right of the local ship, across the seam
    Ship(1000, 1000, "Far");  // beyond half the view at every wrap position
    auto* debris = new CShrapnel();
    debris->ForceRespawn(2030, 1010);
    m_world.AddObject(debris);
    m_view.UpdateCamera();
    EXPECT_EQ(std::make_pair(m_view.GetCameraX(), m_view.GetCameraY()), std::make_pair(2040, 1000));
    m_view.DrawWorld();
    // Screen x = world x - view x + 100 (the panel's half width), y flipped:
    // the local ship first, again as the first of the players, the ship
    // across the seam at the left edge of the world, the objects last; the
    // far ship not at all.
    EXPECT_EQ(PictureCentres(),
              (std::vector<std::pair<float, float>>{{100, 0}, {100, 0}, {118, 0}, {90, -10}}));
}

TEST_F(GameViewTest, OffScreenCentresAreNotDrawn)
{
    CShip* edge = Ship(2040 - 512, 1000, "Edge");
    m_view.UpdateCamera();
    EXPECT_TRUE(m_view.DrawObject(*edge)) << "exactly half a view away";
    edge->SetPosition(CVector(2040 - 513, 1000, 1));
    EXPECT_FALSE(m_view.DrawObject(*edge));
    edge->SetPosition(CVector(2040, 1000 + 385, 1));
    EXPECT_FALSE(m_view.DrawObject(*edge)) << "below the view";
    edge->SetPosition(CVector(2040, (1000 + 384 + 2048) % 2048, 1));
    EXPECT_TRUE(m_view.DrawObject(*edge)) << "at the bottom edge, across the seam";
}

TEST_F(GameViewTest, NamesAndOutlinesFollowTheToggles)
{
    Ship(10, 1000, "Ace");
    m_view.UpdateCamera();
    m_view.DrawWorld();
    CRecordingBackend& backend = m_drawing.backend;
    auto redGlyphs = [&]
    {
        int count = 0;
        for (const auto& quad : backend.Quads())
            count += quad.state.colour == RenderColour{1, 0, 0, 1};
        return count;
    };
    EXPECT_EQ(redGlyphs(), 3) << "the other ship's name, not the local one's";
    EXPECT_TRUE(backend.LineLoops().empty());
    backend.ClearFrame();
    GetDrawToggles().names = false;
    GetDrawToggles().outlines = true;
    m_view.DrawWorld();
    EXPECT_EQ(redGlyphs(), 0);
    EXPECT_FALSE(backend.LineLoops().empty()) << "collision outlines";
}
