// The game view on a small wrapping world, drawn through the recording
// backend: the draw order, wrapping across the seam, off-screen objects,
// names and collision outlines.
#include "client/game/GameView.h"
#include "game/Map.h"
#include "game/Projectiles.h"
#include "game/Ship.h"
#include "game/World.h"
#include "gfx/Graphics.h"
#include "gfx/RecordingBackend.h"
#include "tests/support/MapFile.h"
#include "tests/support/ServerUnderTest.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace
{
// The centre of each picture drawn: pictures are two triangles.
std::vector<std::pair<float, float>> PictureCentres(const CRecordingBackend& backend)
{
    std::vector<std::pair<float, float>> centres;
    const auto& triangles = backend.Triangles();
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

class GameViewTest : public ::testing::Test
{
protected:
    // A 64 x 64 empty map: 2048 x 2048 units, seen through a 1024 x 768 view.
    void SetUp() override
    {
        setenv("QUORVEX_DATA", testing_support::ShippedData().c_str(), 1);
        SetRenderBackend(&backend);
        std::string path = dir.Write(
            "open.smp", testing_support::MapFile(std::vector<std::string>(64, std::string(64, '.'))).Bytes());
        auto* map = new CMap();
        ASSERT_TRUE(map->LoadFromFile(path));
        world.AttachMap(map);
        local = Ship(2040, 1000, "Me");
        local->SetLocal(true);
        view.SetWorld(&world);
        view.SetViewSize(1024, 768);
        GetDrawToggles() = DrawToggles{};
    }
    void TearDown() override
    {
        GetDrawToggles() = DrawToggles{};
        SetRenderBackend(nullptr);
        unsetenv("QUORVEX_DATA");
    }

    CShip* Ship(float x, float y, const char* name)
    {
        auto* ship = new CShip();
        ship->ForceRespawn(x, y);
        ship->SetName(name);
        world.AddPlayer(ship);
        return ship;
    }

    testing_support::TempDir dir;
    CRecordingBackend backend;
    CGameWorld world;
    CShip* local = nullptr;
    CGameView view;
};
} // namespace

TEST_F(GameViewTest, DrawOrderAndTheSeam)
{
    Ship(10, 1000, "Across"); // 18 units right of the local ship, across the seam
    Ship(1000, 1000, "Far");  // beyond half the view at every wrap position
    auto* debris = new CShrapnel();
    debris->ForceRespawn(2030, 1010);
    world.AddObject(debris);
    view.UpdateCamera();
    EXPECT_EQ(view.GetCameraX(), 2040);
    EXPECT_EQ(view.GetCameraY(), 1000);
    view.DrawWorld();

    // Screen x = world x - view x + 100 (the panel's half width), y flipped.
    std::vector<std::pair<float, float>> expected = {
        {100, 0}, // the local ship first
        {100, 0}, // and again as the first of the players
        {118, 0}, // drawn at the left edge of the world, seen across the seam
        {90, -10} // the objects last
    };
    EXPECT_EQ(PictureCentres(backend), expected) << "the far ship is not drawn";
}

TEST_F(GameViewTest, OffScreenCentresAreNotDrawn)
{
    CShip* edge = Ship(2040 - 512, 1000, "Edge");
    view.UpdateCamera();
    EXPECT_TRUE(view.DrawObject(*edge)) << "exactly half a view away";
    edge->SetPosition(CVector(2040 - 513, 1000, 1));
    EXPECT_FALSE(view.DrawObject(*edge));
    edge->SetPosition(CVector(2040, 1000 + 385, 1));
    EXPECT_FALSE(view.DrawObject(*edge)) << "below the view";
    edge->SetPosition(CVector(2040, (1000 + 384 + 2048) % 2048, 1));
    EXPECT_TRUE(view.DrawObject(*edge));
}

TEST_F(GameViewTest, NamesAndOutlinesFollowTheToggles)
{
    Ship(10, 1000, "Ace");
    view.UpdateCamera();
    view.DrawWorld();
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
    view.DrawWorld();
    EXPECT_EQ(redGlyphs(), 0);
    EXPECT_FALSE(backend.LineLoops().empty()) << "collision outlines";
}
