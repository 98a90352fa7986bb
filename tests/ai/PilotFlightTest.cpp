// Pilots flying the shipped maps: they keep off the walls, fill up at fuel
// blocks, and fly the same way every time from the same seed.
#include "tests/ai/PilotArena.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace
{
const char* const kLanding = "tried to land";
}

class PilotAlone : public ::testing::TestWithParam<const char*>
{
};

// Crashes are counted and printed; the bound is loose on purpose.
TEST_P(PilotAlone, RarelyCrashesInTwoMinutes)
{
    PilotArena arena(PilotArena::Shipped(GetParam()), 4242);
    ASSERT_TRUE(arena.IsLoaded());
    arena.AddPilot("Vega [bot]");
    arena.Run(120000);
    int crashes = arena.Count(kLanding);
    std::printf("%s: %d crashes in 120 s\n", GetParam(), crashes);
    for (const std::string& line : arena.Lines())
        std::printf("  %s\n", line.c_str());
    EXPECT_LE(crashes, 3);
}

INSTANTIATE_TEST_SUITE_P(ShippedMaps, PilotAlone, ::testing::Values("Caves", "Fear", "HCPlayground"));
