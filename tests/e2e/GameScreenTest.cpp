// The real client in the game, on a virtual X display, with a real server on
// loopback and real key presses: the side panel, the HUD and the console as
// a player sees them, held keys flying the ship on the server, chat and
// console commands, another player in the scores, and the round-over screen
// a map request brings. What the tests see: screenshots checked for the
// colours the layout puts where it puts them, the server's log, and a
// QuorvexProbe observer that decodes what the server says about each ship.
// CTest runs this binary inside a network namespace of its own (only `lo`).
#include "tests/support/ChildProcess.h"
#include "tests/support/ClientUnderTest.h"
#include "tests/support/MenuScreens.h"
#include "tests/support/ProbeOutput.h"
#include "tests/support/ScreenText.h"
#include "tests/support/ServerUnderTest.h"
#include "tests/support/XSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using namespace std::chrono_literals;
using namespace testing_support;

namespace
{

constexpr int kHalfWidth = XSession::kWidth / 2;
constexpr int kHalfHeight = XSession::kHeight / 2;
constexpr Colour kBlue{0, 0, 255};
constexpr Colour kRed{255, 0, 0};

// The side panel, 200 pixels wide down the left edge, in screen pixels.
constexpr PixelRect kPanelLeftEdge{0, 0, 2, XSession::kHeight};
constexpr PixelRect kPanelRightEdge{198, 0, 2, XSession::kHeight};
constexpr PixelRect kMinimap{2, 2, 196, 200};
// The local ship's marker at the minimap's centre.
constexpr PixelRect kLocalMarker{99, 101, 2, 2};
// The green bars under the minimap and under the fuel gauge.
constexpr PixelRect kBarUnderMinimap{0, 202, 200, 2};
constexpr PixelRect kBarUnderGauge{0, 232, 200, 2};
// The gauge's inside, which the blue bar fills at full fuel.
constexpr PixelRect kFuelGauge{12, 212, 176, 10};

// Score line i (from 1) of the side panel: "%-14s %3d" from x = -500.
constexpr int kScoreX = -500;
int ScoreY(int i)
{
    return 124 - 16 * (i - 1);
}

// Console line n from the bottom: 0 is the input line, 2 the newest logged
// line, 6 the oldest of the five shown.
constexpr int kConsoleX = -302;
int ConsoleY(int n)
{
    return 16 * n - kHalfHeight;
}

std::string Formatted(const char* format, const std::string& name, int score)
{
    char line[64];
    std::snprintf(line, sizeof line, format, name.c_str(), score);
    return line;
}

bool FrameIsGreen(const Picture& p, const PixelRect& edge)
{
    return p.Count(edge, kGreen) == edge.width * edge.height;
}

// The panel's frame and bars, a minimap with a picture in it, the HUD.
bool ShowsPanelAndHud(const Picture& p)
{
    return FrameIsGreen(p, kPanelLeftEdge) && FrameIsGreen(p, kPanelRightEdge) &&
           FrameIsGreen(p, kBarUnderMinimap) && FrameIsGreen(p, kBarUnderGauge) &&
           CountNotBlack(p, kMinimap) > kMinimap.width * kMinimap.height / 10 &&
           ShowsAt(p, kHalfWidth - 100, kHalfHeight - 20, "FPS:", kWhite) &&
           ShowsAt(p, kHalfWidth - 100, kHalfHeight - 36, "Ping:", kWhite);
}

// A full tank: the blue bar fills the gauge (but for a sliver at its ends).
bool ShowsFullFuel(const Picture& p)
{
    return p.Count(kFuelGauge, kBlue) >= kFuelGauge.width * kFuelGauge.height * 9 / 10;
}

// Pixels of each colour in the area, the colour packed as 0xRRGGBB.
std::map<uint32_t, int> Histogram(const Picture& p, const PixelRect& area)
{
    std::map<uint32_t, int> counts;
    for (int y = area.y; y < area.y + area.height; ++y)
        for (int x = area.x; x < area.x + area.width; ++x)
        {
            Colour c = p.At(x, y);
            ++counts[uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b];
        }
    return counts;
}

// The minimap shows the whole world, scrolled so that the ship sits at its
// centre: wherever the ship is, the colours of the map's overview picture
// come in the picture's proportions. The two commonest (open space and
// rock) must match within three points of a hundred; the shipped maps
// differ by far more.
::testing::AssertionResult MinimapShowsOverviewOf(const Picture& screen, const std::string& map)
{
    const std::string path = ShippedData() + "/Maps/" + map + ".bmp";
    std::optional<Picture> overview = LoadPicture(path);
    if (!overview)
        return ::testing::AssertionFailure() << "cannot read " << path;
    std::map<uint32_t, int> expected = Histogram(*overview, {0, 0, overview->Width(), overview->Height()});
    std::map<uint32_t, int> seen = Histogram(screen, kMinimap);
    std::vector<std::pair<int, uint32_t>> commonest;
    for (auto [colour, count] : expected)
        commonest.emplace_back(count, colour);
    std::sort(commonest.rbegin(), commonest.rend());
    for (size_t i = 0; i < 2 && i < commonest.size(); ++i)
    {
        const auto [count, colour] = commonest[i];
        double want = double(count) / double(overview->Width() * overview->Height());
        double got = double(seen[colour]) / double(kMinimap.width * kMinimap.height);
        if (std::fabs(want - got) > 0.03)
            return ::testing::AssertionFailure() << "colour " << std::hex << colour << std::dec << " covers "
                                                 << got << " of the minimap and " << want << " of " << path;
    }
    return ::testing::AssertionSuccess();
}

bool ShowsScore(const Picture& p, int i, const std::string& name, int score)
{
    // The line ends 6 pixels short of the panel's right edge.
    return Blank(p, TextArea(kScoreX - 10, ScoreY(i), 1)) &&
           ShowsCells(p, kScoreX, ScoreY(i), Formatted("%-14s %3d", name, score), kWhite);
}

bool ShowsInConsole(const Picture& p, int n, const std::string& text)
{
    return ShowsAt(p, kConsoleX, ConsoleY(n), text, kWhite);
}

// Somewhere among the five logged lines.
bool ShowsLoggedLine(const Picture& p, const std::string& text)
{
    for (int n = 2; n <= 6; ++n)
        if (ShowsInConsole(p, n, text))
            return true;
    return false;
}

bool ShowsRoundOver(const Picture& p, const std::string& verdict, Colour colour,
                    const std::vector<std::pair<std::string, int>>& scores)
{
    if (!ShowsCentred(p, 100, verdict, colour))
        return false;
    for (size_t i = 0; i < scores.size(); ++i)
        if (!ShowsAt(p, -100, 80 - 16 * int(i + 1), Formatted("%-15s %4d", scores[i].first, scores[i].second),
                     colour))
            return false;
    return Blank(p, TextArea(-100, 80 - 16 * int(scores.size() + 1), 20));
}

// What a QuorvexProbe observer hears of the ships: their names from
// MSG_SHIP_INFO and their last MSG_SHIP_STATE.
class ShipWatch
{
public:
    struct State
    {
        float x = 0, y = 0, angle = 0;
    };

    explicit ShipWatch(ChildProcess& observer) : m_observer(observer) {}

    // Reads the observer's messages until `done` holds; false when it did
    // not in time.
    bool Until(const std::function<bool()>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + kClientPatience;
        while (!done())
        {
            if (std::chrono::steady_clock::now() >= deadline)
                return false;
            if (std::optional<std::string> line = m_observer.ReadLine(100ms))
                Take(*line);
        }
        return true;
    }

    std::optional<ObjectId> IdOf(const std::string& name) const
    {
        auto found = m_ids.find(name);
        return found == m_ids.end() ? std::nullopt : std::optional(found->second);
    }

    // How many states of the ship the observer has heard so far.
    int StateCount(const std::string& name) const
    {
        std::optional<ObjectId> id = IdOf(name);
        auto found = id ? m_counts.find(*id) : m_counts.end();
        return found == m_counts.end() ? 0 : found->second;
    }

    std::optional<State> LastState(const std::string& name) const
    {
        std::optional<ObjectId> id = IdOf(name);
        auto found = id ? m_states.find(*id) : m_states.end();
        return found == m_states.end() ? std::nullopt : std::optional(found->second);
    }

private:
    void Take(const std::string& line)
    {
        if (line.rfind("MSG ", 0) != 0)
            return;
        const std::string hex = line.substr(line.rfind(' ') + 1);
        if (MessageType(hex) == "05" && hex.size() >= 21 * 2)
            m_ids[TextAt(hex, 17)] = U32At(hex, 1);
        else if (MessageType(hex) == "0a" && hex.size() == 47 * 2)
            TakeState(hex);
    }

    void TakeState(const std::string& hex)
    {
        const ObjectId id = U32At(hex, 1);
        ++m_counts[id];
        m_states[id] = {std::bit_cast<float>(U32At(hex, 19)), std::bit_cast<float>(U32At(hex, 23)),
                        std::bit_cast<float>(U32At(hex, 43))};
    }

    ChildProcess& m_observer;
    std::map<std::string, ObjectId> m_ids;
    std::map<ObjectId, State> m_states;
    std::map<ObjectId, int> m_counts;
};

double Distance(const ShipWatch::State& a, const ShipWatch::State& b)
{
    return std::hypot(a.x - b.x, a.y - b.y);
}

class GameScreen : public ::testing::Test
{
protected:
    // Rounds last until a map request ends one, and the score screen shows
    // long enough for a few screenshots.
    GameScreen()
        : server(ServerUnderTest::Setup()
                     .Args({"-name", "Arena"})
                     .Config("DefaultFragLimit 50\nServerEOR 5000\n")
                     .Data(ShippedData())),
          client(x, QUORVEX_CLIENT_SCREENSHOTS)
    {
    }

    void SetUp() override
    {
        ASSERT_TRUE(x.Ready()) << x.Problem();
        ASSERT_TRUE(server.ready) << "the server did not start";
    }

    // Joins straight away under the name an earlier run saved.
    void JoinAsAce()
    {
        client.SaveSetting("PlayerName", "Ace");
        client.Start(server.port, {"--connect", "127.0.0.1"});
        ASSERT_TRUE(ServerSays("Ace has joined the game."));
    }

    ::testing::AssertionResult ServerSays(const std::string& line)
    {
        if (server.process->WaitForLine("Console: " + line, kClientPatience))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the server did not log \"" << line << "\"";
    }

    // Opens the console line, types `text` and sends it with Return, after
    // seeing the typed line at the bottom of the console. The chat key is
    // read when a frame polls the keyboard, so typing waits for the open
    // line: on a loaded machine the first characters would otherwise arrive
    // in the same frame as the key, before the line is open.
    void TypeConsoleLine(const std::string& screen, const std::string& text)
    {
        ASSERT_TRUE(x.Key("apostrophe"));
        ASSERT_TRUE(client.WaitForScreen(screen + "-open",
                                         [](const Picture& p) { return ShowsInConsole(p, 0, ":"); }));
        ASSERT_TRUE(x.Type(text));
        ASSERT_TRUE(
            client.WaitForScreen(screen, [&](const Picture& p) { return ShowsInConsole(p, 0, ":" + text); }));
        ASSERT_TRUE(x.Key("Return"));
    }

    void QuitWithF9() { EXPECT_EQ(client.QuitWithF9(), 0) << client.Process().Stderr(); }

    XSession x;
    ServerUnderTest server;
    ClientUnderTest client;
};

} // namespace

TEST_F(GameScreen, JoinedFromTheBrowserUnderTheTypedNameShowsPanelAndHudAndEscapeLeaves)
{
    if (!InPrivateNetwork())
        GTEST_SKIP() << "the LAN search broadcasts: run this through ctest, which gives it a private network";
    client.Start(server.port);
    ASSERT_TRUE(client.PassIntro());
    ASSERT_TRUE(x.Key("Down Down Down Return"));
    ASSERT_TRUE(x.Type("Ace"));
    ASSERT_TRUE(x.Key("Return"));
    ASSERT_TRUE(client.WaitForScreen("main-menu-after-options", MainMenuWith(4)));
    ASSERT_TRUE(x.Key("Up Up Up Return"));
    ASSERT_TRUE(client.WaitForScreen("lan-browser", ShowsArenaAlone));
    ASSERT_TRUE(x.Key("Return"));
    EXPECT_TRUE(ServerSays("Ace has joined the game."));

    Picture game;
    ASSERT_TRUE(client.WaitForScreen(
        "game",
        [](const Picture& p)
        {
            return ShowsPanelAndHud(p) && ShowsFullFuel(p) && ShowsScore(p, 1, "Ace", 0) &&
                   Blank(p, TextArea(kScoreX, ScoreY(2), 18)) &&
                   ShowsLoggedLine(p, "Ace has joined the game.");
        },
        &game));
    EXPECT_TRUE(MinimapShowsOverviewOf(game, "Caves"));
    EXPECT_EQ(game.Count(kLocalMarker, kGreen), 4) << "the local ship's marker at the minimap's centre";
    EXPECT_EQ(game.Count(kMinimap, kRed), 0) << "no other ship on the minimap";

    ASSERT_TRUE(x.Key("Escape"));
    ASSERT_TRUE(client.WaitForScreen("main-menu-after-game", MainMenuWith(1)));
    EXPECT_TRUE(ServerSays("Ace has left the game"));
    QuitWithF9();
}

TEST_F(GameScreen, HeldThrustAndTurnKeysFlyTheShipOnTheServer)
{
    // Connected before the client joins, the observer hears the ship's info.
    auto observer = server.Probe({"--duration", "60000"});
    ASSERT_TRUE(observer->WaitForLine("CONNECTED", kClientPatience));
    JoinAsAce();
    ASSERT_TRUE(client.WaitForScreen("game", ShowsPanelAndHud));
    ShipWatch watch(*observer);
    ASSERT_TRUE(watch.Until([&] { return watch.LastState("Ace").has_value(); })) << "no state of Ace's ship";
    const ShipWatch::State spawned = *watch.LastState("Ace");
    // The server sends a state every pass; a good many later, with no key
    // held, the ship has not moved.
    const int seen = watch.StateCount("Ace");
    ASSERT_TRUE(watch.Until([&] { return watch.StateCount("Ace") >= seen + 200; }));
    EXPECT_EQ(Distance(*watch.LastState("Ace"), spawned), 0) << "the ship drifted with no key held";

    ASSERT_TRUE(x.KeyDown("k"));
    ASSERT_TRUE(x.KeyDown("j"));
    const bool moved = watch.Until([&] { return Distance(*watch.LastState("Ace"), spawned) > 64; });
    EXPECT_TRUE(x.KeyUp("j"));
    EXPECT_TRUE(x.KeyUp("k"));
    EXPECT_TRUE(moved) << "the ship stayed within 64 units of (" << spawned.x << ", " << spawned.y << ")";
    EXPECT_NE(watch.LastState("Ace")->angle, spawned.angle) << "the ship turned";
    observer->Signal(SIGTERM);
    QuitWithF9();
}

TEST_F(GameScreen, ConsoleLineGoesOutAsChatAndSlashHelpPrintsLocally)
{
    JoinAsAce();
    ASSERT_TRUE(client.WaitForScreen("game", ShowsPanelAndHud));
    TypeConsoleLine("console-typing-chat", "hello");
    EXPECT_TRUE(ServerSays("Ace: hello"));
    ASSERT_TRUE(client.WaitForScreen(
        "console-chat", [](const Picture& p)
        { return ShowsInConsole(p, 2, "Ace: hello") && Blank(p, TextArea(kConsoleX, ConsoleY(0), 20)); }));

    // Twelve lines, of which the log keeps the newest five.
    TypeConsoleLine("console-typing-help", "/help");
    ASSERT_TRUE(client.WaitForScreen("console-help",
                                     [](const Picture& p)
                                     {
                                         return Blank(p, TextArea(kConsoleX, ConsoleY(2), 20)) &&
                                                ShowsInConsole(p, 3, "   server halt") &&
                                                ShowsInConsole(p, 4, "Server Commands:") &&
                                                Blank(p, TextArea(kConsoleX, ConsoleY(5), 20)) &&
                                                ShowsInConsole(p, 6, "   help") &&
                                                Blank(p, TextArea(kConsoleX, ConsoleY(7), 20));
                                     }));
    // The server logs in order: the chat after the command comes, the
    // command itself never did.
    TypeConsoleLine("console-typing-bye", "bye");
    EXPECT_TRUE(ServerSays("Ace: bye"));
    EXPECT_FALSE(server.process->WaitForLine("Console: Ace: /help", 0ms)) << "a command is not sent as chat";
    QuitWithF9();
}

TEST_F(GameScreen, SecondPlayerJoinsTheScoresAndAMapRequestShowsTheRoundOverScreen)
{
    JoinAsAce();
    auto rival = server.Probe({"--join", "--name", "Rival", "--duration", "60000"});
    ASSERT_TRUE(ServerSays("Rival has joined the game."));
    Picture caves;
    ASSERT_TRUE(client.WaitForScreen(
        "game-with-rival",
        [](const Picture& p)
        {
            return ShowsPanelAndHud(p) && ShowsScore(p, 1, "Ace", 0) && ShowsScore(p, 2, "Rival", 0) &&
                   p.Count(kMinimap, kRed) == 4;
        },
        &caves));

    TypeConsoleLine("console-typing-map", "/server map Fear");
    EXPECT_TRUE(ServerSays("Fear has been requested"));
    // Both at no frags: a tie for first place is a win, and ties list by name.
    ASSERT_TRUE(
        client.WaitForScreen("round-over",
                             [](const Picture& p) {
                                 return ShowsRoundOver(p, "You Won!", kGreen, {{"Ace", 0}, {"Rival", 0}});
                             }));
    EXPECT_TRUE(ServerSays("Loading map... Maps\\Fear.smp"));
    Picture fear;
    ASSERT_TRUE(client.WaitForScreen(
        "game-on-fear",
        [](const Picture& p)
        { return ShowsPanelAndHud(p) && ShowsScore(p, 1, "Ace", 0) && ShowsScore(p, 2, "Rival", 0); },
        &fear));
    EXPECT_TRUE(MinimapShowsOverviewOf(caves, "Caves"));
    EXPECT_TRUE(MinimapShowsOverviewOf(fear, "Fear")) << "the panel follows the new map";
    rival->Signal(SIGTERM);
    QuitWithF9();
}
