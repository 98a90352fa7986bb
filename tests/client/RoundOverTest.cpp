// The round-over screen: the score list's order and name cut, who sees
// "You Won!" and who "You Lost", and the lines as drawn through the
// recording backend with the shipped font.
#include "client/game/RoundOverScreen.h"
#include "game/Ship.h"
#include "game/World.h"
#include "gfx/Graphics.h"
#include "gfx/RecordingBackend.h"
#include "tests/client/FrameReading.h"
#include "tests/client/ShippedDrawing.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace
{
const RenderColour kGreen{0, 1, 0, 1};
const RenderColour kRed{1, 0, 0, 1};

// Adds a player with `name` and `frags`; the first one added is the local ship.
void AddPlayer(CGameWorld& world, const char* name, int frags)
{
    auto* ship = new CShip();
    ship->SetName(name);
    ship->SetFrags(frags);
    world.AddPlayer(ship);
}

class RoundOverTest : public ::testing::Test
{
protected:
    std::vector<TextRun> DrawFrame(CGameWorld& world)
    {
        m_backend.ClearFrame();
        DrawRoundOver(world);
        EXPECT_TRUE(m_backend.CurrentState().texturing);
        return ReadTextRuns(m_backend, GetGraphics().GetTexture("Font2.tga")->GetGLName());
    }

    CShippedDrawing m_drawing;
    CRecordingBackend& m_backend = m_drawing.backend;

private:
};
} // namespace

TEST(ScoreList, HighestFirstThenNamesByteWise)
{
    CGameWorld world;
    AddPlayer(world, "Zed", 3);
    AddPlayer(world, "Low", -2);
    AddPlayer(world, "ace", 3);
    AddPlayer(world, "Top", 7);
    AddPlayer(world, "Bob", 3);
    AddPlayer(world, "\xC3\xA9tienne", 3); // a byte above 127 sorts after ASCII
    EXPECT_EQ(BuildScoreList(world), (std::vector<ScoreEntry>{
                                         {"Top", 7},
                                         {"Bob", 3},
                                         {"Zed", 3},
                                         {"ace", 3},
                                         {"\xC3\xA9tienne", 3},
                                         {"Low", -2},
                                     }));
}

TEST(ScoreList, NamesAreCutTo14AndEqualEntriesKeepTheirOrder)
{
    CGameWorld world;
    AddPlayer(world, "ABCDEFGHIJKLMNOPQ", 1);
    AddPlayer(world, "ABCDEFGHIJKLMNxyz", 1);
    AddPlayer(world, "", 0);
    std::vector<ScoreEntry> list = BuildScoreList(world);
    EXPECT_EQ(list, (std::vector<ScoreEntry>{{"ABCDEFGHIJKLMN", 1}, {"ABCDEFGHIJKLMN", 1}, {"", 0}}));
    CGameWorld empty;
    EXPECT_TRUE(BuildScoreList(empty).empty());
}

TEST_F(RoundOverTest, TiedLeadersBothWin)
{
    CGameWorld aceWorld, bobWorld;
    AddPlayer(aceWorld, "Ace", 5);
    AddPlayer(aceWorld, "Bob", 5);
    AddPlayer(bobWorld, "Bob", 5);
    AddPlayer(bobWorld, "Ace", 5);
    const std::vector<TextRun> expected = {
        TextAt(-40, 100, kGreen, "You Won!"),
        TextAt(-100, 64, kGreen, "Ace                5"),
        TextAt(-100, 48, kGreen, "Bob                5"),
    };
    EXPECT_EQ(DrawFrame(aceWorld), expected);
    EXPECT_EQ(DrawFrame(bobWorld), expected);
}

TEST_F(RoundOverTest, LowerScoreLosesInRed)
{
    CGameWorld world;
    AddPlayer(world, "Me", -1);
    AddPlayer(world, "AChampionOfTheSkies", 12);
    AddPlayer(world, "Other", 0);
    EXPECT_EQ(DrawFrame(world), (std::vector<TextRun>{
                                    TextAt(-40, 100, kRed, "You Lost"),
                                    TextAt(-100, 64, kRed, "AChampionOfThe    12"),
                                    TextAt(-100, 48, kRed, "Other              0"),
                                    TextAt(-100, 32, kRed, "Me                -1"),
                                }));
}
