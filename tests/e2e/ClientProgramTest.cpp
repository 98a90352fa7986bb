// The real client program on a virtual X display, with a real server on
// loopback, driven by real key presses. CTest runs this binary inside a
// network namespace of its own (only `lo`), so the LAN search's broadcasts
// reach the test's server and nothing else. What the tests see is what a
// player sees: screenshots, checked for pure white and green text where the
// layout puts it; the settings files; the exit status. Every screenshot a
// test checked stays in a folder it names, for a person to look at.
#include "tests/support/ChildProcess.h"
#include "tests/support/ClientUnderTest.h"
#include "tests/support/MenuScreens.h"
#include "tests/support/ScreenText.h"
#include "tests/support/ServerUnderTest.h"
#include "tests/support/XSession.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>

using namespace std::chrono_literals;
using namespace testing_support;

namespace
{

constexpr int kHalfWidth = XSession::kWidth / 2;
constexpr int kHalfHeight = XSession::kHeight / 2;

// A 32 x 32 image the client centres at (x, y).
PixelRect ImageArea(int x, int y)
{
    return {kHalfWidth + x - 16, kHalfHeight - y - 16, 32, 32};
}

// The game view's console, right of the side panel at the bottom, lists
// the join among its five newest lines (the newest lowest).
bool ShowsJoinInConsole(const Picture& picture)
{
    for (int n = 2; n <= 6; ++n)
        if (ShowsAt(picture, 210 - kHalfWidth, 16 * n - kHalfHeight, "Player has joined the game.", kWhite))
            return true;
    return false;
}

bool ShowsOptionsHeadings(const Picture& picture)
{
    return ShowsCentred(picture, kHalfHeight - 70, "Choose Your Ship", kGreen) &&
           ShowsCentred(picture, kHalfHeight - 200, "Enter Your Name", kGreen) &&
           ShowsCentred(picture, kHalfHeight - 300, "Resolutions", kGreen) &&
           ShowsAt(picture, -60, kHalfHeight - 340, "1024x 768x32", kGreen) &&
           Blank(picture, TextArea(-60, kHalfHeight - 360, 12));
}

PixelRect NameArea(int length)
{
    return CentredTextArea(kHalfHeight - 232, length);
}

// The typed name: white, centred, `length` glyphs without spaces, and
// nothing else on its line.
bool ShowsName(const Picture& picture, int length)
{
    return ShowsCentred(picture, kHalfHeight - 232, std::string(size_t(length), '?'), kWhite) &&
           picture.Count(NameArea(60), kWhite) == picture.Count(NameArea(length), kWhite);
}

bool ShowsInstructions(const Picture& picture)
{
    const int lx = 20 - kHalfWidth;
    const int rx = kHalfWidth - 370;
    const int hh = kHalfHeight;
    const Colour blue{0, 0, 255};
    // The gauge's bar spans y = hh - 550 down to hh - 560: screen rows 550 to 560.
    const PixelRect fuelBar{kHalfWidth + lx + 21, 550, 149, 10};
    return ShowsCentred(picture, hh - 60, "Instructions", kGreen) &&
           ShowsAt(picture, lx, hh - 120, "Controlling Your Ship", kGreen) &&
           ShowsAt(picture, lx + 20, hh - 140, "J        Turn Left", kWhite) &&
           ShowsAt(picture, lx, hh - 420, "Miscellaneous", kGreen) &&
           ShowsAt(picture, lx + 20, hh - 440, "F9       Quick Exit", kWhite) &&
           ShowsAt(picture, rx, hh - 120, "Powerups", kGreen) &&
           ShowsAt(picture, lx, hh - 540, "Fuel", kGreen) && picture.Count(fuelBar, blue) > 100 &&
           ShowsAt(picture, lx + 236, hh - 563, "Current Fuel Level", kWhite);
}

bool ShowsCredits(const Picture& picture)
{
    const int hh = kHalfHeight;
    return ShowsCentred(picture, hh - 60, "Quorvex!", kGreen) &&
           ShowsCentred(picture, hh - 100, "Created By", kGreen) &&
           Coloured(picture, CentredTextArea(hh - 120, 60), kWhite) &&
           ShowsCentred(picture, hh - 320, "Level Design", kGreen) &&
           Coloured(picture, CentredTextArea(hh - 340, 60), kWhite);
}

std::string LittleEndian(uint32_t value)
{
    std::string bytes;
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

class ClientProgram : public ::testing::Test
{
protected:
    ClientProgram()
        : server(ServerUnderTest::Setup().Args({"-name", "Arena"}).Data(ShippedData())),
          client(x, QUORVEX_CLIENT_SCREENSHOTS)
    {
    }

    void SetUp() override
    {
        ASSERT_TRUE(x.Ready()) << x.Problem();
        ASSERT_TRUE(server.ready) << "the server did not start";
    }

    void StartClient() { client.Start(server.port); }

    ::testing::AssertionResult WaitForScreen(const std::string& screen,
                                             const std::function<bool(const Picture&)>& shows,
                                             Picture* seen = nullptr)
    {
        return client.WaitForScreen(screen, shows, seen);
    }

    void PassIntro() { ASSERT_TRUE(client.PassIntro()); }

    int QuitWithF9() { return client.QuitWithF9(); }
    std::string SettingPath(const std::string& name) const { return client.SettingPath(name); }
    std::string Setting(const std::string& name) const { return client.Setting(name); }
    ::testing::AssertionResult WaitForSetting(const std::string& name, const std::string& expected)
    {
        return client.WaitForSetting(name, expected);
    }

    std::string ScreenSize() { return x.Xdotool({"getdisplaygeometry"}).value_or("(xdotool failed)"); }

    XSession x;
    ServerUnderTest server;
    ClientUnderTest client;
};

} // namespace

TEST_F(ClientProgram, IntroPlaysBothCardsThenTheMainMenuWhoseQuitEndsTheProgram)
{
    StartClient();
    ASSERT_TRUE(WaitForScreen("intro-presents", ShowsFirstIntroCard));
    ASSERT_TRUE(WaitForScreen("intro-production", ShowsSecondIntroCard));
    ASSERT_TRUE(WaitForScreen("main-menu", MainMenuWith(1)));
    ASSERT_TRUE(x.Key("Up")) << "wraps from the first item to the last";
    ASSERT_TRUE(WaitForScreen("main-menu-quit", MainMenuWith(6)));
    ASSERT_TRUE(x.Key("Return"));
    EXPECT_EQ(Finish(client.Process(), kClientPatience), 0) << client.Process().Stderr();
}

TEST_F(ClientProgram, KeyLeavesTheIntroEscapeStaysInTheMenuAndF9Quits)
{
    StartClient();
    PassIntro();
    ASSERT_TRUE(x.Key("Escape Down"));
    ASSERT_TRUE(WaitForScreen("main-menu-second-item", MainMenuWith(2)));
    EXPECT_EQ(QuitWithF9(), 0) << client.Process().Stderr();
    EXPECT_EQ(ScreenSize(), "1024 768\n");
    EXPECT_FALSE(std::filesystem::exists(client.ConfigHome() + "/Tessaloon"))
        << "a first start writes no settings";
}

TEST_F(ClientProgram, LanBrowserListsTheServerAndLeadsIntoTheGame)
{
    if (!InPrivateNetwork())
        GTEST_SKIP() << "the LAN search broadcasts: run this through ctest, which gives it a private network";
    StartClient();
    PassIntro();
    ASSERT_TRUE(x.Key("Return"));
    ASSERT_TRUE(WaitForScreen("lan-browser", ShowsArenaAlone));

    // With no saved name the player joins as "Player".
    ASSERT_TRUE(x.Key("Return"));
    EXPECT_TRUE(server.process->WaitForLine("Console: Player has joined the game.", kClientPatience));
    ASSERT_TRUE(WaitForScreen("game", ShowsJoinInConsole));
    ASSERT_TRUE(x.Key("Escape"));
    ASSERT_TRUE(WaitForScreen("main-menu-after-game", MainMenuWith(1)));
    EXPECT_TRUE(server.process->WaitForLine("Console: Player has left the game", kClientPatience));

    // A second visit searches again and lists the server once.
    ASSERT_TRUE(x.Key("Return"));
    ASSERT_TRUE(WaitForScreen("lan-browser-again", ShowsArenaAlone));
    EXPECT_EQ(QuitWithF9(), 0) << client.Process().Stderr();
}

TEST_F(ClientProgram, OptionsSaveTheNameShipAndModeOnReturnAndKeepEditsOnEscape)
{
    StartClient();
    PassIntro();
    ASSERT_TRUE(x.Key("Down Down Down Return"));
    Picture fresh, named, edited;
    ASSERT_TRUE(WaitForScreen(
        "options", [](const Picture& p) { return ShowsOptionsHeadings(p) && Blank(p, NameArea(60)); },
        &fresh));

    // Right moves the shield from the first ship (x -160) to the second (x -96).
    const int shipsY = kHalfHeight - 106;
    ASSERT_TRUE(x.Type("Ace"));
    ASSERT_TRUE(x.Key("Right"));
    ASSERT_TRUE(WaitForScreen(
        "options-named",
        [&](const Picture& p)
        {
            return ShowsOptionsHeadings(p) && ShowsName(p, 3) &&
                   !SamePixels(p, fresh, ImageArea(-96, shipsY)) &&
                   SamePixels(p, fresh, ImageArea(32, shipsY));
        },
        &named));
    EXPECT_FALSE(SamePixels(named, fresh, ImageArea(-160, shipsY)));
    EXPECT_FALSE(std::filesystem::exists(SettingPath("PlayerName"))) << "nothing is saved before Return";

    ASSERT_TRUE(x.Key("Return"));
    ASSERT_TRUE(WaitForScreen("main-menu-after-saving", MainMenuWith(4)));
    EXPECT_TRUE(WaitForSetting("PlayerName", "Ace"));
    EXPECT_EQ(Setting("ShipType"), LittleEndian(5)) << "the second ship from the left is type 5";
    EXPECT_EQ(Setting("ResWidth"), LittleEndian(1024));
    EXPECT_EQ(Setting("ResHeight"), LittleEndian(768));
    EXPECT_EQ(Setting("ResDepth"), LittleEndian(32));
    EXPECT_EQ(Setting("ResFreq"), LittleEndian(60));

    // Escape leaves without saving, but the screen keeps the edited name.
    ASSERT_TRUE(x.Key("Return"));
    ASSERT_TRUE(WaitForScreen("options-again", [](const Picture& p) { return ShowsName(p, 3); }));
    ASSERT_TRUE(x.Key("BackSpace BackSpace BackSpace"));
    ASSERT_TRUE(x.Type("Bob"));
    ASSERT_TRUE(x.Key("Escape"));
    ASSERT_TRUE(WaitForScreen("main-menu-after-escape", MainMenuWith(4)));
    EXPECT_EQ(Setting("PlayerName"), "Ace");
    ASSERT_TRUE(x.Key("Return"));
    ASSERT_TRUE(WaitForScreen(
        "options-kept-edit", [](const Picture& p) { return ShowsOptionsHeadings(p) && ShowsName(p, 3); },
        &edited));
    EXPECT_FALSE(SamePixels(edited, named, NameArea(3))) << "shows Bob, not Ace";
    ASSERT_TRUE(x.Key("Return"));
    EXPECT_TRUE(WaitForSetting("PlayerName", "Bob"));

    ASSERT_TRUE(WaitForScreen("main-menu-after-saving-again", MainMenuWith(4)));
    ASSERT_TRUE(x.Key("Return"));
    ASSERT_TRUE(WaitForScreen("options-last", ShowsOptionsHeadings));
    EXPECT_EQ(QuitWithF9(), 0) << client.Process().Stderr();
}

TEST_F(ClientProgram, AltReturnSwitchesBetweenFullScreenAndAWindow)
{
    StartClient();
    PassIntro();
    ASSERT_TRUE(x.Key("alt+Return"));
    ASSERT_TRUE(WaitForSetting("Windowed", LittleEndian(1)));
    std::optional<std::string> window = x.Xdotool({"search", "--name", "^Quorvex \\(OpenGL\\)$"});
    ASSERT_TRUE(window) << "no window titled Quorvex (OpenGL)";
    std::string id = window->substr(0, window->find('\n'));
    std::optional<std::string> geometry = x.Xdotool({"getwindowgeometry", id});
    ASSERT_TRUE(geometry);
    EXPECT_NE(geometry->find("Geometry: 1024x768"), std::string::npos) << *geometry;

    // Still drawing, still in the main menu: the Return of Alt+Return did not
    // choose "Join a LAN Game".
    ASSERT_TRUE(x.Key("Down"));
    ASSERT_TRUE(WaitForScreen("main-menu-windowed", MainMenuWith(2)));

    ASSERT_TRUE(x.Key("alt+Return"));
    ASSERT_TRUE(WaitForSetting("Windowed", LittleEndian(0)));
    ASSERT_TRUE(x.Key("Down"));
    ASSERT_TRUE(WaitForScreen("main-menu-full-screen", MainMenuWith(3)));

    client.Process().Signal(SIGTERM);
    EXPECT_EQ(Finish(client.Process(), kClientPatience), 0) << client.Process().Stderr();
    EXPECT_EQ(ScreenSize(), "1024 768\n");
}

TEST_F(ClientProgram, InstructionsAndCreditsShowTheirTextAndALetterLeaves)
{
    StartClient();
    PassIntro();
    ASSERT_TRUE(x.Key("Down Down Return"));
    ASSERT_TRUE(WaitForScreen("instructions", ShowsInstructions));
    ASSERT_TRUE(x.Key("q"));
    ASSERT_TRUE(WaitForScreen("main-menu-after-instructions", MainMenuWith(3)));
    ASSERT_TRUE(x.Key("Down Down Return"));
    ASSERT_TRUE(WaitForScreen("credits", ShowsCredits));
    EXPECT_EQ(QuitWithF9(), 0) << client.Process().Stderr();
}
