// The real client program on a virtual X display, with a real server on
// loopback, driven by real key presses. CTest runs this binary inside a
// network namespace of its own (only `lo`), so the LAN search's broadcasts
// reach the test's server and nothing else. What the tests see is what a
// player sees: screenshots, checked for the colours a player would notice
// where the screen shows them; the settings files; the server's log; a
// QuorvexProbe observer; the exit status. Every screenshot a test checked
// stays in a folder it names, for a person to look at. How each screen is
// laid out, exactly, is checked in process (tests/client).
#include "tests/support/ClientUnderTest.h"
#include "tests/support/ProbeOutput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <map>

using namespace std::chrono_literals;
using namespace testing_support;

namespace
{
constexpr int kWidth = XSession::kWidth, kHeight = XSession::kHeight;

// A saved setting of 0 or 1: four bytes, little-endian.
std::string Flag(char value)
{
    return {value, 0, 0, 0};
}

bool MostlyGreen(const Picture& p, const PixelRect& line)
{
    return p.Count(line, kGreen) * 10 >= line.width * line.height * 9;
}

// The side panel as a player sees it, found on the screen rather than taken
// from the layout: a green frame down the left edge, and inside it, between
// green bars, the minimap at the top and the fuel gauge under it.
struct SidePanel
{
    PixelRect minimap, gauge;
};

std::optional<SidePanel> FindSidePanel(const Picture& p)
{
    int right = 50;
    while (right < kWidth / 2 && !MostlyGreen(p, {right, 0, 1, kHeight}))
        ++right;
    if (!MostlyGreen(p, {0, 0, 1, kHeight}) || right >= kWidth / 2)
        return std::nullopt;
    std::vector<int> bars; // rows green across the panel, below its top edge
    for (int y = 10; y < kHeight / 2 && bars.size() < 2; ++y)
        if (MostlyGreen(p, {0, y, right, 1}) && (bars.empty() || y > bars.back() + 4))
            bars.push_back(y);
    if (bars.size() < 2)
        return std::nullopt;
    return SidePanel{{2, 2, right - 2, bars[0] - 2}, {2, bars[0] + 2, right - 2, bars[1] - bars[0] - 4}};
}

// The game screen: the side panel on the left with fuel in its gauge, and
// the HUD's lines (frame rate, ping) in white at the top right.
bool ShowsGame(const Picture& p)
{
    std::optional<SidePanel> panel = FindSidePanel(p);
    return panel && p.Count(panel->gauge, kBlue) > panel->gauge.width &&
           p.Count({kWidth - 200, 0, 200, 40}, kWhite) > 40;
}

// The minimap shows the whole world, scrolled so that the ship sits at its
// centre: wherever the ship is, the colours of the map's overview picture
// come in the picture's proportions. The two commonest (open space and
// rock) must match within three points of a hundred; the shipped maps
// differ by far more.
::testing::AssertionResult MinimapShowsOverviewOf(const Picture& screen, const std::string& map)
{
    std::optional<SidePanel> panel = FindSidePanel(screen);
    std::optional<Picture> overview = Picture::Load(ShippedData() + "/Maps/" + map + ".bmp");
    if (!panel || !overview)
        return ::testing::AssertionFailure() << "no side panel, or no overview of " << map;
    const PixelRect& minimap = panel->minimap;
    const int pixels = overview->Width() * overview->Height();
    std::map<uint32_t, int> counts; // of each colour of the overview, as 0xRRGGBB
    for (int at = 0; at < pixels; ++at)
    {
        Colour c = overview->At(at % overview->Width(), at / overview->Width());
        ++counts[uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b];
    }
    std::vector<std::pair<int, uint32_t>> commonest;
    for (auto [colour, count] : counts)
        commonest.emplace_back(count, colour);
    std::sort(commonest.rbegin(), commonest.rend());
    for (size_t i = 0; i < 2 && i < commonest.size(); ++i)
    {
        const auto [count, colour] = commonest[i];
        const Colour c{uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour)};
        double want = double(count) / pixels;
        double got = double(screen.Count(minimap, c)) / double(minimap.width * minimap.height);
        if (std::fabs(want - got) > 0.03)
            return ::testing::AssertionFailure() << "colour " << std::hex << colour << std::dec << " covers "
                                                 << got << " of the minimap and " << want << " of " << map;
    }
    return ::testing::AssertionSuccess();
}

// The console's input line, typed along the screen's bottom text row from
// just right of the panel: its length in glyph cells, from the first to the
// last white pixel; 0 when the row holds no line there.
int InputLineLength(const Picture& p)
{
    int first = -1, last = -1;
    for (int x = 200; x < kWidth; ++x)
        if (p.Count({x, kHeight - 16, 1, 16}, kWhite) > 0)
        {
            first = first < 0 ? x : first;
            last = x;
        }
    return first < 200 || first >= 240 ? 0 : (last - first) / 10 + 1;
}

class ClientProgram : public ClientTest
{
protected:
    std::string ScreenSize() { return x.Xdotool({"getdisplaygeometry"}).value_or("(xdotool failed)"); }
};

} // namespace

TEST_F(ClientProgram, IntroPlaysBothCardsThenTheMainMenuWhoseQuitEndsTheProgramSavingNothing)
{
    StartClient();
    ASSERT_TRUE(WaitForScreen("intro-presents", ShowsFirstIntroCard));
    ASSERT_TRUE(WaitForScreen("intro-production", ShowsSecondIntroCard));
    ASSERT_TRUE(WaitForScreen("main-menu", MainMenuWith(1)));
    ASSERT_TRUE(x.Key("Up")) << "wraps from the first item to the last";
    ASSERT_TRUE(WaitForScreen("main-menu-quit", MainMenuWith(6)));
    ASSERT_TRUE(x.Key("Return"));
    EXPECT_EQ(Finish(*client, kClientPatience), 0) << client->Stderr();
    EXPECT_EQ(ScreenSize(), "1024 768\n") << "the display's mode is given back";
    EXPECT_FALSE(std::filesystem::exists(configHome.Path() + "/Tessaloon"))
        << "a first start writes no settings";
}

TEST_F(ClientProgram, TheNameTypedInOptionsJoinsFromTheLanBrowserAndEscapeLeavesTheGame)
{
    if (!InPrivateNetwork())
        GTEST_SKIP() << "the LAN search broadcasts: run this through ctest, which gives it a private network";
    StartClient();
    ASSERT_TRUE(PassIntro());
    ASSERT_TRUE(x.Key("Down Down Down Return"));
    ASSERT_TRUE(x.Type("Ace"));
    ASSERT_TRUE(x.Key("Return"));
    ASSERT_TRUE(WaitForScreen("main-menu-after-options", MainMenuWith(4)));
    EXPECT_TRUE(WaitForSetting("PlayerName", "Ace"));
    ASSERT_TRUE(x.Key("Up Up Up Return"));
    ASSERT_TRUE(WaitForScreen("lan-browser", ShowsArenaAlone));
    ASSERT_TRUE(x.Key("Return"));
    EXPECT_TRUE(server.Says("Ace has joined the game.", kClientPatience));
    Picture game;
    ASSERT_TRUE(WaitForScreen("game", ShowsGame, &game));
    EXPECT_TRUE(MinimapShowsOverviewOf(game, "Caves"));

    ASSERT_TRUE(x.Key("Escape"));
    ASSERT_TRUE(WaitForScreen("main-menu-after-game", MainMenuWith(1)));
    EXPECT_TRUE(server.Says("Ace has left the game", kClientPatience));
    // A second visit searches again and lists the server once.
    ASSERT_TRUE(x.Key("Return"));
    ASSERT_TRUE(WaitForScreen("lan-browser-again", ShowsArenaAlone));
    EXPECT_EQ(QuitWithF9(), 0) << client->Stderr();
}

TEST_F(ClientProgram, AltReturnSwitchesBetweenFullScreenAndAWindow)
{
    StartClient();
    ASSERT_TRUE(PassIntro());
    ASSERT_TRUE(x.Key("alt+Return"));
    ASSERT_TRUE(WaitForSetting("Windowed", Flag(1)));
    std::optional<std::string> window = x.Xdotool({"search", "--name", "^Quorvex \\(OpenGL\\)$"});
    ASSERT_TRUE(window) << "no window titled Quorvex (OpenGL)";
    std::optional<std::string> geometry =
        x.Xdotool({"getwindowgeometry", window->substr(0, window->find('\n'))});
    ASSERT_TRUE(geometry);
    EXPECT_NE(geometry->find("Geometry: 1024x768"), std::string::npos) << *geometry;

    // Still drawing, still in the main menu: the Return of Alt+Return did not
    // choose "Join a LAN Game".
    ASSERT_TRUE(x.Key("Down"));
    ASSERT_TRUE(WaitForScreen("main-menu-windowed", MainMenuWith(2)));
    ASSERT_TRUE(x.Key("alt+Return"));
    ASSERT_TRUE(WaitForSetting("Windowed", Flag(0)));
    ASSERT_TRUE(x.Key("Down"));
    ASSERT_TRUE(WaitForScreen("main-menu-full-screen", MainMenuWith(3)));

    client->Signal(SIGTERM);
    EXPECT_EQ(Finish(*client, kClientPatience), 0) << client->Stderr();
    EXPECT_EQ(ScreenSize(), "1024 768\n");
}

namespace
{
class GameScreen : public ClientTest
{
protected:
    // Opens the console line, types `text` and sends it with Return. The chat
    // key is read when a frame polls the keyboard, so typing waits for the
    // open line (a ":" at the bottom): on a loaded machine the first
    // characters would otherwise arrive in the same frame as the key.
    void TypeConsoleLine(const std::string& screen, const std::string& text)
    {
        ASSERT_TRUE(x.Key("apostrophe"));
        ASSERT_TRUE(
            WaitForScreen(screen + "-open", [](const Picture& p) { return InputLineLength(p) == 1; }));
        ASSERT_TRUE(x.Type(text));
        ASSERT_TRUE(WaitForScreen(screen, [&](const Picture& p)
                                  { return InputLineLength(p) == int(text.size()) + 1; }));
        ASSERT_TRUE(x.Key("Return"));
    }
};
} // namespace

TEST_F(GameScreen, HeldKeysFlyTheShipTheConsoleChatsAndAMapRequestEndsTheRound)
{
    // Connected before the client joins, the observer hears the ship's info.
    auto observer = server.Probe({"--duration", "120000"});
    ASSERT_TRUE(observer->WaitForLine("CONNECTED", kClientPatience));
    SaveSetting("PlayerName", "Ace");
    StartClient({"--connect", "127.0.0.1"});
    ASSERT_TRUE(server.Says("Ace has joined the game.", kClientPatience)) << "under the name saved before";
    ASSERT_TRUE(WaitForScreen("game", ShowsGame));

    ShipWatch watch(*observer);
    auto ace = [&] { return watch.Named("Ace"); };
    ASSERT_TRUE(watch.Until([&] { return ace() && ace()->states > 0; }, kClientPatience))
        << "no state of Ace's ship";
    const ShipWatch::State spawned = ace()->last;
    // The server sends a state every pass; a good many later, with no key
    // held, the ship has not moved.
    const int seen = ace()->states;
    ASSERT_TRUE(watch.Until([&] { return ace()->states >= seen + 200; }, kClientPatience));
    EXPECT_EQ(ace()->last.From(spawned), 0) << "the ship drifted with no key held";
    ASSERT_TRUE(x.KeyDown("k") && x.KeyDown("j"));
    const bool moved = watch.Until([&] { return ace()->last.From(spawned) > 64; }, kClientPatience);
    EXPECT_TRUE(x.KeyUp("j") && x.KeyUp("k"));
    EXPECT_TRUE(moved) << "the ship stayed within 64 units of (" << spawned.x << ", " << spawned.y << ")";
    EXPECT_NE(ace()->last.angle, spawned.angle) << "the ship turned";

    TypeConsoleLine("console-chat", "hello");
    EXPECT_TRUE(server.Says("Ace: hello", kClientPatience));
    TypeConsoleLine("console-map-request", "/server map Fear");
    EXPECT_TRUE(server.Says("Fear has been requested", kClientPatience));
    EXPECT_EQ(CountLines(*server.process, "Ace: /server"), 0u) << "a command is not sent as chat";
    // Alone at no frags: first place is a win.
    ASSERT_TRUE(WaitForScreen("round-over", [](const Picture& p)
                              { return ShowsCentred(p, 100, "You Won!", kGreen) && !FindSidePanel(p); }));
    EXPECT_TRUE(server.Says("Loading map... Maps\\Fear.smp", kClientPatience));
    Picture fear;
    ASSERT_TRUE(WaitForScreen("game-on-fear", ShowsGame, &fear));
    EXPECT_TRUE(MinimapShowsOverviewOf(fear, "Fear")) << "the panel follows the new map";
    observer->Signal(SIGTERM);
    EXPECT_EQ(QuitWithF9(), 0) << client->Stderr();
}
