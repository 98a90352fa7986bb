// The round-over screen: the score list's order and name cut, who sees
// "You Won!" and who "You Lost", and the lines as drawn through the
// recording backend with the shipped font.
#include "client/game/RoundOverScreen.h"
#include "game/Ship.h"
#include "game/World.h"
#include "tests/client/FrameReading.h"
#include "tests/client/ShippedDrawing.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace
{
// A world of these players; the first is the local ship.
void AddPlayers(CGameWorld& world, const std::vector<std::pair<std::string, int>>& players)
{
    for (const auto& [name, frags] : players)
    {
        auto* ship = new CShip();
        ship->SetName(name.c_str());
        ship->SetFrags(frags);
        world.AddPlayer(ship);
    }
}

// The frame's text, each run ended by "|"; all of it in `colour`.
std::string DrawnText(CGameWorld& world, const RenderColour& colour)
{
    CShippedDrawing drawing;
    DrawRoundOver(world);
    EXPECT_TRUE(drawing.backend.CurrentState().texturing);
    std::string text;
    for (const TextRun& run : ReadText(drawing.backend))
    {
        text += run.text + "|";
        EXPECT_EQ(run.colour, colour) << run.text;
        EXPECT_EQ(run.x, run.text.size() == 8 ? -40 : -100) << "the verdict centred, the scores in a column";
    }
    return text;
}
} // namespace

TEST(RoundOver, ScoresHighestFirstThenNamesByteWiseCutTo14)
{
    CGameWorld world;
    AddPlayers(world, {{"Zed", 3},
                       {"Low", -2},
                       {"ace", 3},
                       {"Top", 7},
                       {"Bob", 3},
                       {"\xC3\xA9tienne", 3},
                       {"ABCDEFGHIJKLMNOPQ", 1},
                       {"", 1}});
    // A byte above 127 sorts after ASCII.
    EXPECT_EQ(BuildScoreList(world), (std::vector<ScoreEntry>{{"Top", 7},
                                                              {"Bob", 3},
                                                              {"Zed", 3},
                                                              {"ace", 3},
                                                              {"\xC3\xA9tienne", 3},
                                                              {"", 1},
                                                              {"ABCDEFGHIJKLMN", 1},
                                                              {"Low", -2}}));
    CGameWorld empty;
    EXPECT_TRUE(BuildScoreList(empty).empty());
}

TEST(RoundOver, TiedLeadersBothWinInGreenAndALowerScoreLosesInRed)
{
    const std::string tied = "You Won!|Ace                5|Bob                5|";
    for (const char* local : {"Ace", "Bob"})
    {
        CGameWorld world;
        AddPlayers(world, {{local, 5}, {local == std::string("Ace") ? "Bob" : "Ace", 5}});
        EXPECT_EQ(DrawnText(world, {0, 1, 0, 1}), tied) << local;
    }
    CGameWorld world;
    AddPlayers(world, {{"Me", -1}, {"AChampionOfTheSkies", 12}, {"Other", 0}});
    EXPECT_EQ(DrawnText(world, {1, 0, 0, 1}),
              "You Lost|AChampionOfThe    12|Other              0|Me                -1|");
}
