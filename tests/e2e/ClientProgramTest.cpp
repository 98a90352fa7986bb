// The real client program on a virtual X display, with a real server on
// loopback, driven by real key presses. CTest runs this binary inside a
// network namespace of its own (only `lo`), so the LAN search's broadcasts
// reach the test's server and nothing else. What the tests see is what a
// player sees: screenshots, checked for pure white and green text where the
// layout puts it; the settings files; the exit status. Every screenshot a
// test checked stays in a folder it names, for a person to look at.
#include "tests/support/ChildProcess.h"
#include "tests/support/ServerUnderTest.h"
#include "tests/support/TempDir.h"
#include "tests/support/XSession.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string_view>
#include <thread>

using namespace std::chrono_literals;
using testing_support::CentredTextArea;
using testing_support::ChildProcess;
using testing_support::Colour;
using testing_support::kGreen;
using testing_support::kWhite;
using testing_support::Picture;
using testing_support::PixelRect;
using testing_support::ProgramPath;
using testing_support::ServerUnderTest;
using testing_support::TempDir;
using testing_support::TextArea;
using testing_support::XSession;

namespace
{

constexpr int kHalfWidth = XSession::kWidth / 2;
constexpr int kHalfHeight = XSession::kHeight / 2;
constexpr auto kPatience = 30s; // for a slow, sanitized build on a busy machine

const std::string_view kMenuItems[] = {
    "Join a LAN Game", "Join an Internet Game", "Instructions", "Options", "Credits", "Quit"};

int Length(std::string_view text)
{
    return static_cast<int>(text.size());
}

bool Blank(const Picture& picture, const PixelRect& area)
{
    return picture.Count(area, kWhite) == 0 && picture.Count(area, kGreen) == 0;
}

// The area holds some pixels of `colour` and none of the other text colour
// (a selected line is green, the others white).
bool Coloured(const Picture& picture, const PixelRect& area, Colour colour)
{
    Colour other = colour == kGreen ? kWhite : kGreen;
    return picture.Count(area, colour) >= 2 && picture.Count(area, other) == 0;
}

// The text is there in that colour, judged cell by cell: every glyph's cell
// holds some of the colour, every space's cell and the cells on either side
// are blank. Another text of another length or with its spaces elsewhere,
// at the same place, does not pass.
bool ShowsAt(const Picture& picture, int x, int y, std::string_view text, Colour colour)
{
    const int length = Length(text);
    if (!Blank(picture, TextArea(x - 10, y, 1)) || !Blank(picture, TextArea(x + 10 * length, y, 1)))
        return false;
    for (int i = 0; i < length; ++i)
    {
        PixelRect cell = TextArea(x + 10 * i, y, 1);
        if (text[size_t(i)] == ' ' ? !Blank(picture, cell) : !Coloured(picture, cell, colour))
            return false;
    }
    return true;
}

bool ShowsCentred(const Picture& picture, int y, std::string_view text, Colour colour)
{
    return ShowsAt(picture, -5 * Length(text), y, text, colour);
}

bool SamePixels(const Picture& a, const Picture& b, const PixelRect& area)
{
    for (int y = area.y; y < area.y + area.height; ++y)
        for (int x = area.x; x < area.x + area.width; ++x)
            if (!(a.At(x, y) == b.At(x, y)))
                return false;
    return true;
}

// A 32 x 32 image the client centres at (x, y).
PixelRect ImageArea(int x, int y)
{
    return {kHalfWidth + x - 16, kHalfHeight - y - 16, 32, 32};
}

bool ShowsFirstIntroCard(const Picture& picture)
{
    return ShowsCentred(picture, 20, "Tessaloon", kWhite) && Blank(picture, CentredTextArea(0, 20)) &&
           ShowsCentred(picture, -20, "presents", kWhite);
}

bool ShowsSecondIntroCard(const Picture& picture)
{
    return ShowsCentred(picture, 20, "a", kWhite) && ShowsCentred(picture, 0, "Brindlecap", kWhite) &&
           ShowsCentred(picture, -20, "production", kWhite);
}

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

// The browser's line for entry k: "%-50s  %02d/%02d", 57 glyphs.
int BrowserLineY(int k)
{
    return kHalfHeight - 120 - (k + 1) * 16;
}

bool ShowsBrowserHeading(const Picture& picture)
{
    return ShowsCentred(picture, kHalfHeight - 60, "Select A Server To Play On", kGreen);
}

// Exactly one server, selected: its five-letter name, a gap, then "00/04"
// (no players, four places: the server's own player is not counted).
bool ShowsArenaAlone(const Picture& picture)
{
    int y = BrowserLineY(1);
    return ShowsBrowserHeading(picture) && ShowsAt(picture, -285, kHalfHeight - 132, "Server Name", kWhite) &&
           ShowsAt(picture, -285, y, "Arena", kGreen) && Blank(picture, TextArea(-285 + 50, y, 47)) &&
           ShowsAt(picture, -285 + 520, y, "00/04", kGreen) &&
           Blank(picture, TextArea(-285, BrowserLineY(2), 57));
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

// Only the loopback interface is there: the namespace is private, and a LAN
// search by broadcast reaches nothing outside it.
bool InPrivateNetwork()
{
    std::ifstream devices("/proc/self/net/dev");
    std::string line;
    int interfaces = 0;
    bool onlyLoopback = true;
    for (int row = 0; std::getline(devices, line); ++row)
    {
        if (row < 2) // two heading rows
            continue;
        std::string name = line.substr(0, line.find(':'));
        name.erase(0, name.find_first_not_of(' '));
        onlyLoopback = onlyLoopback && name == "lo";
        ++interfaces;
    }
    return interfaces > 0 && onlyLoopback;
}

class ClientProgram : public ::testing::Test
{
protected:
    ClientProgram()
        : server(ServerUnderTest::Setup().Args({"-name", "Arena"}).Data(testing_support::ShippedData()))
    {
    }

    void SetUp() override
    {
        ASSERT_TRUE(x.Ready()) << x.Problem();
        ASSERT_TRUE(server.ready) << "the server did not start";
        std::filesystem::create_directories(QUORVEX_CLIENT_SCREENSHOTS);
        for (const auto& entry : std::filesystem::directory_iterator(QUORVEX_CLIENT_SCREENSHOTS))
            if (entry.path().filename().string().rfind(TestName() + "-", 0) == 0)
                std::filesystem::remove(entry.path());
        std::cout << "Screenshots: " << ShotPath("*") << std::endl;
    }

    static std::string TestName() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }

    static std::string ShotPath(const std::string& screen)
    {
        return std::string(QUORVEX_CLIENT_SCREENSHOTS) + "/" + TestName() + "-" + screen + ".png";
    }

    void StartClient()
    {
        std::vector<std::string> command{"DISPLAY=" + x.Display(),
                                         "XDG_CONFIG_HOME=" + config.Path(),
                                         "LIBGL_ALWAYS_SOFTWARE=1",
                                         "ASAN_OPTIONS=detect_leaks=0",
                                         "QUORVEX_DATA=" + testing_support::ShippedData(),
                                         ProgramPath("QuorvexClient"),
                                         "--port",
                                         std::to_string(server.port)};
        // Through env(1), so these replace whatever the test inherited.
        client = std::make_unique<ChildProcess>("/usr/bin/env", command);
    }

    // Takes screenshots until one shows what `shows` expects; that one stays
    // in the folder under the screen's name, and in `seen`.
    ::testing::AssertionResult WaitForScreen(const std::string& screen,
                                             const std::function<bool(const Picture&)>& shows,
                                             Picture* seen = nullptr)
    {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (std::chrono::steady_clock::now() < deadline)
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
            std::this_thread::sleep_for(100ms);
        }
        return ::testing::AssertionFailure() << "the " << screen << " screen did not show as expected; see "
                                             << ShotPath(screen) << "; client's errors: " << client->Stderr();
    }

    void PassIntro()
    {
        ASSERT_TRUE(WaitForScreen("intro", [](const Picture& p)
                                  { return ShowsFirstIntroCard(p) || ShowsSecondIntroCard(p); }));
        ASSERT_TRUE(x.Key("a"));
        ASSERT_TRUE(WaitForScreen("main-menu", MainMenuWith(1)));
    }

    // A quick tap, press and release in one go: the client must not miss a
    // key that went down and up between two of its frames.
    int QuitWithF9()
    {
        if (!x.Key("F9"))
            return -1;
        return testing_support::Finish(*client, kPatience);
    }

    std::string SettingPath(const std::string& name) const
    {
        return config.Path() + "/Tessaloon/Quorvex/Settings/" + name;
    }

    std::string Setting(const std::string& name) const
    {
        return std::filesystem::exists(SettingPath(name)) ? testing_support::ReadFile(SettingPath(name))
                                                          : "(missing)";
    }

    ::testing::AssertionResult WaitForSetting(const std::string& name, const std::string& expected)
    {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (Setting(name) != expected && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(50ms);
        if (Setting(name) == expected)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "setting " << name << " holds \"" << Setting(name) << "\"";
    }

    std::string ScreenSize() { return x.Xdotool({"getdisplaygeometry"}).value_or("(xdotool failed)"); }

    XSession x;
    TempDir config; // XDG_CONFIG_HOME
    ServerUnderTest server;
    std::unique_ptr<ChildProcess> client;
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
    EXPECT_EQ(testing_support::Finish(*client, kPatience), 0) << client->Stderr();
}

TEST_F(ClientProgram, KeyLeavesTheIntroEscapeStaysInTheMenuAndF9Quits)
{
    StartClient();
    PassIntro();
    ASSERT_TRUE(x.Key("Escape Down"));
    ASSERT_TRUE(WaitForScreen("main-menu-second-item", MainMenuWith(2)));
    EXPECT_EQ(QuitWithF9(), 0) << client->Stderr();
    EXPECT_EQ(ScreenSize(), "1024 768\n");
    EXPECT_FALSE(std::filesystem::exists(config.Path() + "/Tessaloon")) << "a first start writes no settings";
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
    EXPECT_TRUE(server.process->WaitForLine("Console: Player has joined the game.", kPatience));
    ASSERT_TRUE(WaitForScreen("game", ShowsJoinInConsole));
    ASSERT_TRUE(x.Key("Escape"));
    ASSERT_TRUE(WaitForScreen("main-menu-after-game", MainMenuWith(1)));
    EXPECT_TRUE(server.process->WaitForLine("Console: Player has left the game", kPatience));

    // A second visit searches again and lists the server once.
    ASSERT_TRUE(x.Key("Return"));
    ASSERT_TRUE(WaitForScreen("lan-browser-again", ShowsArenaAlone));
    EXPECT_EQ(QuitWithF9(), 0) << client->Stderr();
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
    EXPECT_EQ(QuitWithF9(), 0) << client->Stderr();
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

    client->Signal(SIGTERM);
    EXPECT_EQ(testing_support::Finish(*client, kPatience), 0) << client->Stderr();
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
    EXPECT_EQ(QuitWithF9(), 0) << client->Stderr();
}
