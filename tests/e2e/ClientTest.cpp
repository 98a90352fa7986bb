// The real client program on a virtual X display, with a real server on
// loopback, driven by real key presses. CTest runs this binary inside a
// network namespace of its own (only `lo`), so the LAN search's broadcasts
// reach the test's server and nothing else. What the tests see is what a
// player sees: screenshots, checked for the colours a player would notice
// where the screen shows them; the settings files; the server's log; a
// QuorvexProbe observer; the exit status. Every screenshot a test checked
// stays in screenshots/client/ in the build folder as "<test>-<screen>.png",
// for a person to look at. How each screen is laid out, exactly, is checked
// in process (tests/client).
#include "platform/ByteIo.h"
#include "tests/e2e/ScreenReader.h"
#include "tests/support/MapFile.h"
#include "tests/support/Ports.h"
#include "tests/support/ProbeOutput.h"
#include "tests/support/ServerUnderTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <sstream>
#include <string_view>
#include <thread>

using namespace std::chrono_literals;
using namespace testing_support;

namespace
{
// For a slow, sanitized build on a busy machine.
constexpr std::chrono::seconds kClientPatience{30};
const std::string kSettings = "Tessaloon/Quorvex/Settings/";
const std::string kShotFolder = std::string(QUORVEX_BUILD_DIR) + "/screenshots/client";
constexpr std::string_view kMenuItems[] = {
    "Join a LAN Game", "Join an Internet Game", "Instructions", "Options", "Credits", "Quit"};

bool ShowsFirstIntroCard(const Picture& picture)
{
    return ShowsCentred(picture, 20, "Tessaloon", kWhite) && Blank(picture, TextArea(picture, -100, 0, 20)) &&
           ShowsCentred(picture, -20, "presents", kWhite);
}

bool ShowsSecondIntroCard(const Picture& picture)
{
    return ShowsCentred(picture, 20, "a", kWhite) && ShowsCentred(picture, 0, "Brindlecap", kWhite) &&
           ShowsCentred(picture, -20, "production", kWhite);
}

// The white title and the six items, item `selected` (1 to 6) green.
std::function<bool(const Picture&)> MainMenuWith(int selected)
{
    return [selected](const Picture& picture)
    {
        if (!ShowsCentred(picture, kHalfHeight - 200, "Quorvex!", kWhite))
            return false;
        for (int k = 1; k <= 6; ++k)
            if (!ShowsCentred(picture, kHalfHeight - 300 - (k + 1) * 16, kMenuItems[k - 1],
                              k == selected ? kGreen : kWhite))
                return false;
        return true;
    };
}

// The LAN browser with exactly one server, selected: "Arena" (the test's
// server), its map, then "00/04" (no players, four places: the server's own
// player is not counted) and a measured ping. Entry k's 75-character line
// (name 28, map 16, players 6, ping 6, version mark 15, one space apart)
// starts at x -375 and sits at kHalfHeight - 120 - (k + 1) * 16.
bool ShowsArenaAlone(const Picture& picture)
{
    const int first = kHalfHeight - 152, second = first - 16;
    return ShowsCentred(picture, kHalfHeight - 60, "Select A Server To Play On", kGreen) &&
           ShowsAt(picture, -375, kHalfHeight - 132, "Server Name", kWhite) &&
           ShowsAt(picture, -375, first, "Arena", kGreen) &&
           !Blank(picture, TextArea(picture, -85, first, 16)) &&
           ShowsAt(picture, 95, first, "00/04", kGreen) &&
           !Blank(picture, TextArea(picture, 155, first, 6)) &&
           Blank(picture, TextArea(picture, -375, second, 75));
}

// Only the loopback interface is there: the namespace is private, and a LAN
// search by broadcast reaches nothing outside it.
bool InPrivateNetwork()
{
    std::ifstream devices("/proc/self/net/dev");
    std::vector<std::string> names;
    std::string line, name;
    for (int row = 0; std::getline(devices, line); ++row) // after two heading rows
        if (row >= 2 && std::istringstream(line.substr(0, line.find(':'))) >> name)
            names.push_back(name);
    return names == std::vector<std::string>{"lo"};
}

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
    int right = 0; // the frame's right edge
};

std::optional<SidePanel> FindSidePanel(const Picture& p)
{
    const int width = p.Width(), height = p.Height(), edge = int(std::ceil(Scale(p)));
    int right = 50;
    while (right < width / 2 && !MostlyGreen(p, {right, 0, 1, height}))
        ++right;
    // A scaled frame's left edge may start a pixel in.
    if (!MostlyGreen(p, {0, 0, 1, height}) && !MostlyGreen(p, {edge, 0, 1, height}))
        return std::nullopt;
    if (right >= width / 2)
        return std::nullopt;
    std::vector<int> bars; // rows green across the panel, below its top edge: each bar's first
    for (int y = 10, previous = 0; y < height / 2 && bars.size() < 2; ++y)
        if (MostlyGreen(p, {0, y, right, 1}))
        {
            if (y > previous + 1)
                bars.push_back(y);
            previous = y;
        }
    if (bars.size() < 2)
        return std::nullopt;
    return SidePanel{{2, 2, right - 2, bars[0] - 2},
                     {2, bars[0] + 2 * edge, right - 2, bars[1] - bars[0] - 4 * edge},
                     right};
}

// The game screen: the side panel on the left with fuel in its gauge, and
// the HUD's lines (frame rate, ping) in white at the top right.
bool ShowsGame(const Picture& p)
{
    std::optional<SidePanel> panel = FindSidePanel(p);
    return panel && p.Count(panel->gauge, kBlue) > panel->gauge.width &&
           p.Count(UnitArea(p, p.Width() / Scale(p) / 2 - 200, kHalfHeight - 40, 200, 40), kWhite) > 40;
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
    for (int x = 200; x < p.Width(); ++x)
        if (p.Count({x, p.Height() - 16, 1, 16}, kWhite) > 0)
        {
            first = first < 0 ? x : first;
            last = x;
        }
    return first < 200 || first >= 240 ? 0 : (last - first) / 10 + 1;
}

// As a file name: a parameterised test's "Name/1" becomes "Name-1".
std::string RunningTestName()
{
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '-');
    return name;
}

// The client with a virtual X display of its own, a server named "Arena" on
// the shipped maps whose rounds last until a map request ends one (the score
// screen shows for 5 s), a settings folder of its own and software OpenGL.
class ClientTest : public ::testing::Test
{
protected:
    // The client and the server play on `data` (Maps/, Graphics/, Sounds/),
    // on a screen of `screenSize` ("WxH").
    explicit ClientTest(const std::string& data = ShippedData(), const std::string& screenSize = "1024x768")
        : x(screenSize), server(ServerUnderTest::Setup()
                                    .Args({"-name", "Arena"})
                                    .Config("DefaultFragLimit 50\nServerEOR 5000\n")
                                    .Data(data)),
          clientData(data)
    {
        // Those an earlier run of the same test left are removed first.
        std::filesystem::create_directories(kShotFolder);
        for (const auto& entry : std::filesystem::directory_iterator(kShotFolder))
            if (entry.path().filename().string().starts_with(RunningTestName() + "-"))
                std::filesystem::remove(entry.path());
        std::cout << "Screenshots: " << ShotPath("*") << std::endl;
    }

    void SetUp() override
    {
        ASSERT_TRUE(x.Ready()) << x.Problem();
        ASSERT_TRUE(server.ready) << "the server did not start";
    }

    // Starts the client searching and joining on the server's port, with more
    // options. Its environment replaces whatever the test inherited.
    void StartClient(const std::vector<std::string>& options = {},
                     const std::vector<std::string>& moreEnvironment = {})
    {
        std::vector<std::string> args{"--port", std::to_string(server.port)};
        args.insert(args.end(), options.begin(), options.end());
        std::vector<std::string> environment{"DISPLAY=" + x.Display(), "XDG_CONFIG_HOME=" + configHome.Path(),
                                             "LIBGL_ALWAYS_SOFTWARE=1", "ASAN_OPTIONS=detect_leaks=0",
                                             "QUORVEX_DATA=" + clientData};
        environment.insert(environment.end(), moreEnvironment.begin(), moreEnvironment.end());
        client = std::make_unique<ChildProcess>(ProgramPath("QuorvexClient"), args,
                                                ChildProcess::Options{"", environment});
    }

    std::string ShotPath(const std::string& screen) const
    {
        return kShotFolder + "/" + RunningTestName() + "-" + screen + ".png";
    }

    // Takes screenshots until one shows what `shows` expects; that one stays
    // in the folder under the screen's name, and in `seen`. Fails when the
    // client ends first or the screen does not come in time.
    ::testing::AssertionResult WaitForScreen(const std::string& screen,
                                             const std::function<bool(const Picture&)>& shows,
                                             Picture* seen = nullptr)
    {
        for (auto deadline = std::chrono::steady_clock::now() + kClientPatience;
             std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(100ms))
        {
            std::optional<Picture> picture = x.Capture(ShotPath(screen));
            if (picture && shows(*picture))
            {
                if (seen)
                    *seen = *picture;
                return ::testing::AssertionSuccess();
            }
            if (std::optional<int> code = client->Wait(0ms))
                return ::testing::AssertionFailure()
                       << "the client ended with status " << *code << " before the " << screen
                       << " screen showed: " << client->Stderr();
        }
        return ::testing::AssertionFailure() << "the " << screen << " screen did not show as expected; see "
                                             << ShotPath(screen) << "; client's errors: " << client->Stderr();
    }

    // Waits for the intro, skips it with a key and waits for the main menu.
    ::testing::AssertionResult PassIntro()
    {
        auto intro = WaitForScreen("intro", [](const Picture& p)
                                   { return ShowsFirstIntroCard(p) || ShowsSecondIntroCard(p); });
        if (!intro || !x.Key("a"))
            return intro ? ::testing::AssertionFailure() << "xdotool could not press a key" : intro;
        return WaitForScreen("main-menu", MainMenuWith(1));
    }

    // A quick tap, press and release in one go: the client must not miss a
    // key that went down and up between two of its frames. The exit status,
    // or -1 when the client did not end.
    int QuitWithF9() { return x.Key("F9") ? Finish(*client, kClientPatience) : -1; }

    // Return joins the selected line, `picked`'s: it hears the join, and once
    // the client has quit, `other` never did.
    ServerUnderTest& JoinSelectedTwin(ServerUnderTest& picked, ServerUnderTest& other)
    {
        EXPECT_TRUE(x.Key("Return"));
        EXPECT_TRUE(picked.Says("Player has joined the game.", kClientPatience));
        EXPECT_EQ(QuitWithF9(), 0) << client->Stderr();
        EXPECT_EQ(other.ShutDown(), kExitHaltedByClient) << "a probe shuts down a server at its address";
        EXPECT_EQ(CountLines(*other.process, "has joined"), 0u);
        return picked;
    }

    // The game window's size as the X server has it ("WxH"), or why not.
    std::string WindowSize()
    {
        std::optional<std::string> window = x.Xdotool({"search", "--name", "^Quorvex \\(OpenGL\\)$"});
        if (!window)
            return "no window titled Quorvex (OpenGL)";
        std::optional<std::string> geometry =
            x.Xdotool({"getwindowgeometry", window->substr(0, window->find('\n'))});
        const size_t at = geometry ? geometry->find("Geometry: ") : std::string::npos;
        return at == std::string::npos ? "no geometry"
                                       : geometry->substr(at + 10, geometry->find('\n', at) - at - 10);
    }

    // A setting's bytes in the client's settings folder, or "(missing)".
    std::string Setting(const std::string& name) const
    {
        const std::string path = configHome.File(kSettings + name);
        return std::filesystem::exists(path) ? ReadFile(path) : "(missing)";
    }

    ::testing::AssertionResult WaitForSetting(const std::string& name, const std::string& expected) const
    {
        for (auto deadline = std::chrono::steady_clock::now() + kClientPatience;
             Setting(name) != expected && std::chrono::steady_clock::now() < deadline;)
            std::this_thread::sleep_for(50ms);
        if (Setting(name) == expected)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "setting " << name << " holds \"" << Setting(name) << "\"";
    }

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

    XSession x;
    ServerUnderTest server;
    std::string clientData;
    TempDir configHome; // the client's XDG_CONFIG_HOME
    std::unique_ptr<ChildProcess> client;
};

// The shipped pictures and sounds with one map, "Arena": a walled room 30
// tiles wide with two spawn points in one row, 11 tiles apart (the short way
// round is 19 tiles the other way). The first ship to join spawns at the
// right one, the second at the left one, both facing down towards the wall
// rows at the bottom.
const std::string& DuelData()
{
    static TempDir data;
    if (!std::filesystem::exists(data.File("Maps")))
    {
        for (const char* folder : {"Graphics", "Sounds"})
            std::filesystem::create_directory_symlink(ShippedData() + "/" + folder, data.File(folder));
        const std::string open = "#" + std::string(28, '.') + "#", wall(30, '#');
        data.Write("Maps/Arena.smp", MapFile({wall, open, "#..7..........7" + std::string(14, '.') + "#",
                                              open, open, open, open, wall, wall},
                                             "Arena")
                                         .Bytes());
    }
    return data.Path();
}

// What the client played, recorded by SDL's disk audio driver: 16-bit
// stereo frames at 44.1 kHz, left sample first, written as they are played.
class Recording
{
public:
    static constexpr size_t kBytesPerSecond = 44100 * 4;

    std::vector<std::string> Environment() const
    {
        return {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + m_path};
    }
    size_t Size() const { return std::filesystem::exists(m_path) ? std::filesystem::file_size(m_path) : 0; }
    // The root-mean-square level of each channel from byte `from` on, over
    // at most `bytes` bytes.
    std::pair<double, double> Loudness(size_t from, size_t bytes = SIZE_MAX) const
    {
        const std::string all = ReadFile(m_path);
        const size_t start = std::min(from / 4 * 4, all.size());
        platform::ByteReader read(reinterpret_cast<const uint8_t*>(all.data()) + start,
                                  std::min(bytes, all.size() - start));
        double sums[2] = {0, 0};
        size_t frames = 0;
        for (; read.Remaining() >= 4; ++frames)
            for (double& sum : sums)
            {
                const double sample = read.I16();
                sum += sample * sample;
            }
        return frames ? std::pair{std::sqrt(sums[0] / frames), std::sqrt(sums[1] / frames)}
                      : std::pair{0.0, 0.0};
    }
    // Waits until `seconds` more of sound have been written.
    void Await(double seconds) const
    {
        const size_t target = Size() + size_t(seconds * kBytesPerSecond);
        for (auto deadline = std::chrono::steady_clock::now() + kClientPatience;
             Size() < target && std::chrono::steady_clock::now() < deadline;)
            std::this_thread::sleep_for(50ms);
    }

private:
    TempDir m_dir;
    std::string m_path = m_dir.File("played.raw");
};

class Sound : public ClientTest
{
protected:
    Sound() : ClientTest(DuelData()) {}

    // Joins with `options`, holds fire for a moment once a second of silence
    // has been recorded, and has a second player join on the left and crash
    // into the wall below; the recording's offsets of the shot and the crash.
    std::pair<size_t, size_t> FireThenWatchACrashOnTheLeft(const std::vector<std::string>& options)
    {
        StartClient(options, recording.Environment());
        EXPECT_TRUE(server.Says("Player has joined the game.", kClientPatience));
        recording.Await(1.0);
        const size_t shot = recording.Size();
        EXPECT_TRUE(x.Xdotool({"keydown", "space"}));
        std::this_thread::sleep_for(300ms);
        EXPECT_TRUE(x.Xdotool({"keyup", "space"}));
        recording.Await(1.5); // the shots fade
        const size_t crash = recording.Size();
        auto lefty = server.Probe({"--join", "--name", "Lefty", "--keys", "9", "--duration", "10000"});
        EXPECT_TRUE(server.Says("Lefty tried to land.  It didn't go so well...", kClientPatience));
        ShipWatch ships(*lefty);
        auto seen = [&](const char* name) { return ships.Named(name) && ships.Named(name)->states > 0; };
        EXPECT_TRUE(ships.Until([&] { return seen("Lefty") && seen("Player"); }, kClientPatience) &&
                    ships.Named("Lefty")->first.x < ships.Named("Player")->first.x)
            << "both ships seen, Lefty on the left";
        recording.Await(1.5);
        lefty->Signal(SIGTERM);
        return {shot, crash};
    }

    Recording recording;
};

using ClientProgram = ClientTest;
using GameScreen = ClientTest;

// The client on a large screen of the test's choosing ("WxH").
class LargeScreen : public ClientTest, public ::testing::WithParamInterface<const char*>
{
protected:
    LargeScreen() : ClientTest(DuelData(), GetParam()) {}
};

// The rows of the game area right of the panel that are nearly all blue: the
// horizontal grid lines of wall rows that cross the whole map. Each run of
// such rows (a line drawn thick) counts once, at its first row.
std::vector<int> FullWidthWallLines(const Picture& p, int left)
{
    std::vector<int> lines;
    const int width = p.Width() - left;
    for (int y = 0, previous = -2; y < p.Height(); ++y)
    {
        if (p.Count({left, y, width, 1}, kBlue) * 10 < width * 9)
            continue;
        if (y > previous + 1)
            lines.push_back(y);
        previous = y;
    }
    return lines;
}

} // namespace

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

TEST_F(ClientProgram, AfterBothIntroCardsAltReturnSwitchesBetweenFullScreenAndAWindow)
{
    StartClient();
    ASSERT_TRUE(WaitForScreen("intro-presents", ShowsFirstIntroCard));
    ASSERT_TRUE(WaitForScreen("intro-production", ShowsSecondIntroCard));
    ASSERT_TRUE(WaitForScreen("main-menu", MainMenuWith(1))) << "the intro ends on its own";
    ASSERT_TRUE(x.Key("alt+Return"));
    ASSERT_TRUE(WaitForSetting("Windowed", Flag(1)));
    EXPECT_EQ(WindowSize(), "1024x768");

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
    EXPECT_EQ(x.Xdotool({"getdisplaygeometry"}), "1024 768\n") << "the display's mode is given back";
}

TEST_F(GameScreen, HeldKeysFlyTheShipTheConsoleChatsAndAMapRequestEndsTheRound)
{
    // Connected before the client joins, the observer hears the ship's info.
    auto observer = server.Probe({"--duration", "120000"});
    ASSERT_TRUE(observer->WaitForLine("CONNECTED", kClientPatience));
    configHome.Write(kSettings + "PlayerName", "Ace"); // as an earlier run saved it
    StartClient({"--connect", "127.0.0.1"});
    ASSERT_TRUE(server.Says("Ace has joined the game.", kClientPatience)) << "under the name saved before";
    ASSERT_TRUE(WaitForScreen("game", ShowsGame));

    ShipWatch watch(*observer);
    auto ace = [&] { return watch.Named("Ace"); };
    ASSERT_TRUE(watch.Until([&] { return ace() && ace()->states > 0; }, kClientPatience))
        << "no state of Ace's ship";
    const ShipReport spawned = ace()->last;
    // A ship standing still is told again once a second; two more states
    // later, with no key held, it has not moved.
    const int seen = ace()->states;
    ASSERT_TRUE(watch.Until([&] { return ace()->states >= seen + 2; }, kClientPatience));
    EXPECT_EQ(ace()->last.From(spawned), 0) << "the ship drifted with no key held";
    ASSERT_TRUE(x.Xdotool({"keydown", "k", "j"}));
    const bool moved = watch.Until([&] { return ace()->last.From(spawned) > 64; }, kClientPatience);
    EXPECT_TRUE(x.Xdotool({"keyup", "j", "k"}));
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

TEST_F(Sound, SilenceUntilTheShotAndACrashOnTheLeftIsLouderOnTheLeft)
{
    auto [shot, crash] = FireThenWatchACrashOnTheLeft({"--connect", "127.0.0.1"});
    EXPECT_EQ(recording.Loudness(0, shot).first, 0) << "nothing plays before the player fires";
    EXPECT_GT(recording.Loudness(shot, Recording::kBytesPerSecond / 2).first, 300)
        << "the shots are heard within half a second";
    auto [left, right] = recording.Loudness(crash);
    EXPECT_GT(left, 1.1 * right) << "the crash is on the left (the join's chime, centred, plays too)";
    EXPECT_GT(right, 50) << "and heard on the right too";
    EXPECT_EQ(QuitWithF9(), 0) << client->Stderr();
}

TEST_F(Sound, MuteKeepsItSilent)
{
    FireThenWatchACrashOnTheLeft({"--connect", "127.0.0.1", "--mute"});
    EXPECT_GT(recording.Size(), 3 * Recording::kBytesPerSecond);
    EXPECT_EQ(recording.Loudness(0).first + recording.Loudness(0).second, 0);
    EXPECT_EQ(QuitWithF9(), 0) << client->Stderr();
}

namespace
{
// Holds `keys` down until the ship named `name` has moved 64 units from
// where it was, or for `patience`; whether it moved.
bool HoldingMoves(XSession& x, ShipWatch& watch, const std::string& name,
                  const std::vector<std::string>& keys, std::chrono::milliseconds patience)
{
    auto ship = [&] { return watch.Named(name); };
    if (!watch.Until([&] { return ship() && ship()->states > 0; }, kClientPatience))
        return false;
    const ShipReport start = ship()->last;
    std::vector<std::string> down{"keydown"}, up{"keyup"};
    down.insert(down.end(), keys.begin(), keys.end());
    up.insert(up.end(), keys.begin(), keys.end());
    x.Xdotool(down);
    const bool moved = watch.Until([&] { return ship()->last.From(start) > 64; }, patience);
    x.Xdotool(up);
    return moved;
}
} // namespace

TEST_F(ClientProgram, ThrustReboundToUpOnTheControlsScreenFliesWithUpAndStaysSoAfterARestart)
{
    if (!InPrivateNetwork())
        GTEST_SKIP() << "the LAN search broadcasts: run this through ctest, which gives it a private network";
    StartClient();
    ASSERT_TRUE(PassIntro());
    ASSERT_TRUE(x.Key("Down Down Down Return Tab")); // Options, then the controls
    ASSERT_TRUE(x.Key("Down Down Return"));          // Thrust, waiting for its key
    ASSERT_TRUE(WaitForScreen(
        "controls-listening", [](const Picture& p)
        { return ShowsCentred(p, kHalfHeight - 475, "Press a key for Thrust (Escape cancels)", kGreen); }));
    ASSERT_TRUE(x.Key("Up"));
    auto saved = [&] { return Setting("controls.cfg").find("\nthrust = Up, Pad") != std::string::npos; };
    for (auto deadline = std::chrono::steady_clock::now() + kClientPatience;
         !saved() && std::chrono::steady_clock::now() < deadline;)
        std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(saved()) << Setting("controls.cfg");

    auto observer = server.Probe({"--duration", "120000"});
    ASSERT_TRUE(observer->WaitForLine("CONNECTED", kClientPatience));
    ASSERT_TRUE(x.Key("Escape Escape Up Up Up Return")); // the main menu, then the LAN browser
    ASSERT_TRUE(WaitForScreen("lan-browser", ShowsArenaAlone));
    ASSERT_TRUE(x.Key("Return"));
    ASSERT_TRUE(WaitForScreen("game", ShowsGame));
    ShipWatch watch(*observer);
    EXPECT_FALSE(HoldingMoves(x, watch, "Player", {"k"}, 2s)) << "K thrusts no more";
    EXPECT_TRUE(HoldingMoves(x, watch, "Player", {"Up"}, kClientPatience)) << "Up thrusts";
    EXPECT_EQ(QuitWithF9(), 0) << client->Stderr();
    observer->Signal(SIGTERM);

    auto second = server.Probe({"--duration", "120000"});
    ASSERT_TRUE(second->WaitForLine("CONNECTED", kClientPatience));
    StartClient({"--connect", "127.0.0.1"});
    ASSERT_TRUE(WaitForScreen("game-after-restart", ShowsGame));
    ShipWatch again(*second);
    EXPECT_TRUE(HoldingMoves(x, again, "Player", {"Up"}, kClientPatience)) << "Up still thrusts";
    EXPECT_EQ(QuitWithF9(), 0) << client->Stderr();
}

// With no display, SDL would fall back to its offscreen driver and the client
// would draw unseen until killed; it says so at once and ends with status 1.
TEST_F(ClientProgram, WithoutADisplayItSaysSoAndEndsWithStatusOne)
{
    ChildProcess noDisplay(kEnv,
                           {"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "SDL_VIDEODRIVER",
                            ProgramPath("QuorvexClient"), "--port", std::to_string(server.port)},
                           ChildProcess::Options{"", {"XDG_CONFIG_HOME=" + configHome.Path()}});
    EXPECT_EQ(Finish(noDisplay, kClientPatience), 1);
    EXPECT_NE(noDisplay.Stderr().find("QuorvexClient: no display ("), std::string::npos)
        << noDisplay.Stderr();
}

// Full screen at the desktop's own size, with no mode change, and every
// screen scaled so the view is 768 units high: the menus' texts are read in
// cells scaled to the screen, the options list the desktop first, and the
// game shows the test map's rows at their world spacing (wall rows 32 units
// apart, a 192-unit gap between bands) with the panel 200 units wide.
TEST_P(LargeScreen, FillsTheDesktopWithTheSame768UnitsOfView)
{
    if (!InPrivateNetwork())
        GTEST_SKIP() << "the LAN search broadcasts: run this through ctest, which gives it a private network";
    const std::string size = GetParam();
    const std::string width = size.substr(0, size.find('x')), height = size.substr(size.find('x') + 1);
    StartClient();
    ASSERT_TRUE(PassIntro());
    EXPECT_EQ(WindowSize(), size);
    EXPECT_EQ(x.Xdotool({"getdisplaygeometry"}), width + " " + height + "\n") << "no mode change";
    ASSERT_TRUE(x.Key("Down Down Down Return"));
    const std::string desktop = "Desktop (" + width + " x " + height + ")";
    ASSERT_TRUE(WaitForScreen("options", [&](const Picture& p)
                              { return ShowsCentred(p, kHalfHeight - 340, desktop, kGreen); }));
    ASSERT_TRUE(x.Key("Escape"));
    ASSERT_TRUE(WaitForScreen("main-menu-after-options", MainMenuWith(4)));
    ASSERT_TRUE(x.Key("Up Up Up Return"));
    ASSERT_TRUE(WaitForScreen("lan-browser", ShowsArenaAlone));
    ASSERT_TRUE(x.Key("Return"));
    Picture game;
    ASSERT_TRUE(WaitForScreen("game", ShowsGame, &game));

    const double scale = Scale(game);
    const int panelRight = FindSidePanel(game)->right;
    EXPECT_NEAR(panelRight, 200 * scale, 3 * scale) << "the panel is 200 units wide, its frame included";
    const std::vector<int> lines = FullWidthWallLines(game, panelRight + 4);
    std::map<int, int> gaps; // in units, rounded: how often each
    for (size_t i = 1; i < lines.size(); ++i)
        ++gaps[int(std::lround((lines[i] - lines[i - 1]) / scale))];
    EXPECT_GE(gaps[32], 4) << "wall rows";
    EXPECT_GE(gaps[192], 2) << "the open rows between two bands; the view spans 768 units";
    EXPECT_EQ(gaps[32] + gaps[192], int(lines.size()) - 1) << "no other spacing; see " << ShotPath("game");
    EXPECT_EQ(QuitWithF9(), 0) << client->Stderr();
}

INSTANTIATE_TEST_SUITE_P(FullHdAndUltraHd, LargeScreen, ::testing::Values("1920x1080", "3840x2160"));

namespace
{
// Two browser lines both named "Twin", on the shipped maps' first map, with
// a ping and no version mark, from row `firstRow` on (the internet browser's
// address line is row 1): twin line `selected` green, the other white (both
// when 0), nothing under them. Which twin line (1 or 2) shows the place
// count "00/10", told from "00/04" by its last glyph being its first; 0 when
// the screen is not so.
int TwinLineWithTenPlaces(const Picture& p, int selected, int firstRow = 1)
{
    int ten = 0;
    for (int line = 1; line <= 2; ++line)
    {
        const int y = kHalfHeight - 136 - 16 * (firstRow + line - 1);
        const Colour colour = line == selected ? kGreen : kWhite;
        if (!ShowsAt(p, -375, y, "Twin", colour) || !ShowsAt(p, -85, y, "Caves", colour) ||
            !ShowsAt(p, 95, y, "00/00", colour) || Blank(p, TextArea(p, 155, y, 6)) ||
            !Blank(p, TextArea(p, 225, y, 15)))
            return 0;
        if (SameGlyph(p, TextArea(p, 95, y, 1), TextArea(p, 135, y, 1)))
            ten = ten ? -1 : line;
    }
    return Blank(p, TextArea(p, -375, kHalfHeight - 136 - 16 * (firstRow + 2), 75)) ? std::max(ten, 0) : 0;
}

// A server named "Twin" on the shipped maps with `places` places, started
// with `args` too.
ServerUnderTest::Setup Twin(const std::string& places, std::vector<std::string> args = {})
{
    args.insert(args.begin(), {"-name", "Twin"});
    return ServerUnderTest::Setup().Args(args).Config("MaxPlayers " + places + "\n").ShippedMaps();
}
} // namespace

// Two servers of one name on one port, each bound to its own loopback
// address, told apart only by their place counts: the second line joins the
// server it came from, and not the other.
TEST_F(ClientProgram, TwoServersOfOneNameOnOnePortAndTheSecondLineJoinsItsOwn)
{
    ServerUnderTest one(Twin("4").Bind("127.0.0.1")), two(Twin("10").Bind("127.0.0.2", one.port));
    ASSERT_TRUE(one.ready && two.ready) << "both servers listen on port " << one.port;
    StartClient({"--port", std::to_string(one.port)}, {"QUORVEX_BROADCAST=127.0.0.1,127.0.0.2"});
    ASSERT_TRUE(PassIntro());
    int tenOn = 0;
    ASSERT_TRUE(x.Key("Return"));
    ASSERT_TRUE(WaitForScreen("lan-browser-twins",
                              [&](const Picture& p) { return (tenOn = TwinLineWithTenPlaces(p, 1)) != 0; }));
    ASSERT_TRUE(x.Key("Down"));
    ASSERT_TRUE(WaitForScreen("lan-browser-second",
                              [&](const Picture& p) { return TwinLineWithTenPlaces(p, 2) == tenOn; }));
    JoinSelectedTwin(tenOn == 2 ? two : one, tenOn == 2 ? one : two);
}

// Two servers of one name on two ports announce themselves to a master on
// loopback. The internet browser lists both under its address line; the
// second server line joins its own server, which becomes the first favourite.
TEST_F(ClientProgram, TheInternetBrowserListsTheMastersServersAndTheSecondLineJoinsItsOwn)
{
    const std::string masterPort = std::to_string(FreeUdpPort()), masterAddress = "127.0.0.1:" + masterPort;
    ChildProcess master(ProgramPath("QuorvexMaster"), {"--port", masterPort, "--bind", "127.0.0.1"});
    ASSERT_TRUE(master.WaitForLine("Listening on", kClientPatience));
    ServerUnderTest one(Twin("4", {"-master", masterAddress})), two(Twin("10", {"-master", masterAddress}));
    ASSERT_TRUE(one.ready && two.ready);
    for (const ServerUnderTest* twin : {&one, &two})
        ASSERT_TRUE(master.WaitForLine("Listed 127.0.0.1:" + std::to_string(twin->port) + " (Twin)",
                                       kClientPatience));
    configHome.Write(kSettings + "Masters", masterAddress + "\n");
    StartClient();
    ASSERT_TRUE(PassIntro());
    int tenOn = 0;
    ASSERT_TRUE(x.Key("Down Return"));
    ASSERT_TRUE(WaitForScreen("internet-browser",
                              [&](const Picture& p)
                              {
                                  return ShowsAt(p, -375, kHalfHeight - 152, "Type an address...", kGreen) &&
                                         (tenOn = TwinLineWithTenPlaces(p, 0, 2)) != 0;
                              }));
    ASSERT_TRUE(x.Key("Down Down"));
    ASSERT_TRUE(WaitForScreen("internet-browser-second",
                              [&](const Picture& p) { return TwinLineWithTenPlaces(p, 2, 2) == tenOn; }));
    ServerUnderTest& picked = JoinSelectedTwin(tenOn == 2 ? two : one, tenOn == 2 ? one : two);
    EXPECT_EQ(Setting("Favourites"), "127.0.0.1:" + std::to_string(picked.port) + "\n");
}
