// Pilots flying the shipped maps (ShippedMapsTest holds data/Maps to these
// three): they keep off the walls, fill up at fuel blocks, and fly and fight
// the same way every time from the same seed.
#include "tests/ai/PilotArena.h"

#include <gtest/gtest.h>

#include <set>

using namespace testing_support;

class PilotAlone : public ::testing::TestWithParam<std::string>
{
};

// Crashes are counted and printed; the bound is loose on purpose. The pilot
// must get about, too: a ship that stays put never crashes.
TEST_P(PilotAlone, RarelyCrashesInTwoMinutes)
{
    PilotArena arena(PilotArena::Shipped(GetParam()), 4242);
    ASSERT_TRUE(arena.IsLoaded());
    CShip& ship = arena.AddPilot("Vega [bot]");
    std::set<int32_t> cells;
    arena.Run(120000,
              [&]
              {
                  CVector at = ship.GetPosition();
                  cells.insert(static_cast<int32_t>(at.GetX()) / 32 * 4096 +
                               static_cast<int32_t>(at.GetY()) / 32);
              });
    int crashes = arena.Count("tried to land");
    std::printf("%s: %d crashes in 120 s, %zu cells visited\n", GetParam().c_str(), crashes, cells.size());
    EXPECT_LE(crashes, 3);
    EXPECT_GE(cells.size(), 150u);
}

INSTANTIATE_TEST_SUITE_P(ShippedMaps, PilotAlone, ::testing::Values("Caves", "Fear", "HCPlayground"),
                         [](const auto& info) { return info.param; });

TEST(PilotFuel, LowOnFuelItReachesAFuelBlockAndFillsUp)
{
    PilotArena arena(PilotArena::Shipped("Caves"), 77);
    ASSERT_TRUE(arena.IsLoaded());
    CShip& ship = arena.AddPilot("Vega [bot]");
    arena.Run(PilotArena::kTickMs);
    ASSERT_TRUE(ship.IsActive());
    ship.SetFuel(10);
    bool fuelled = false;
    arena.Run(60000, [&] { fuelled |= ship.TestStatusBits(STATUS_FUELLING); });
    EXPECT_TRUE(fuelled);
    EXPECT_GE(ship.GetFuel(), 0.9f * ship.GetCapacity());
    EXPECT_EQ(arena.Count("tried to land"), 0);
}

// Four pilots for a minute, twice from one seed: every ship ends in the same
// place with the same fuel and frags, and they have fought.
TEST(PilotDeterminism, SameSeedSameGame)
{
    int kills = 0;
    auto play = [&kills]
    {
        PilotArena arena(PilotArena::Shipped("HCPlayground"), 2024);
        for (int i = 0; i < 4; ++i)
            arena.AddPilot("Bot " + std::to_string(i), i);
        arena.Run(60000);
        std::vector<std::string> states;
        for (const CShip& ship : arena.World().Players())
        {
            char text[160];
            std::snprintf(text, sizeof text, "%d %.6f %.6f %.6f %.6f %.4f %.6f %d", ship.IsActive(),
                          ship.GetPosition().GetX(), ship.GetPosition().GetY(), ship.GetVelocity().GetX(),
                          ship.GetVelocity().GetY(), ship.GetAngle(), ship.GetFuel(), ship.GetFrags());
            states.push_back(text);
        }
        states.push_back(std::to_string(arena.Lines().size()) + " lines");
        kills = arena.Count("was killed by") + arena.Count("ran over") + arena.Count("debris field");
        return states;
    };
    std::vector<std::string> first = play();
    EXPECT_EQ(first, play());
    std::printf("kills between the pilots in 60 s: %d\n", kills);
    EXPECT_GE(kills, 1);
}
