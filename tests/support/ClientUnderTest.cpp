#include "tests/support/ClientUnderTest.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>

using namespace std::chrono_literals;

namespace testing_support
{
namespace
{
const std::string kSettings = "Tessaloon/Quorvex/Settings/";
const std::string kShotFolder = std::string(QUORVEX_BUILD_DIR) + "/screenshots/client";

std::string RunningTestName()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return info ? info->name() : "outside-a-test";
}

constexpr int kHalfHeight = XSession::kHeight / 2;
constexpr std::string_view kMenuItems[] = {
    "Join a LAN Game", "Join an Internet Game", "Instructions", "Options", "Credits", "Quit"};

int Length(std::string_view text)
{
    return static_cast<int>(text.size());
}

// Some pixels of `colour` and none of the other text colour.
bool Coloured(const Picture& picture, const PixelRect& area, Colour colour)
{
    Colour other = colour == kGreen ? kWhite : kGreen;
    return picture.Count(area, colour) >= 2 && picture.Count(area, other) == 0;
}

// Where the client draws a text of `length` glyphs whose first glyph has its
// lower-left corner at (x, y): origin at the screen centre, y up.
PixelRect TextArea(int x, int y, int length)
{
    // The glyphs go up from y, so their top row on screen is 16 above it.
    return {XSession::kWidth / 2 + x, kHalfHeight - y - 16, 10 * length, 16};
}

// No white and no green pixel in the area.
bool Blank(const Picture& picture, const PixelRect& area)
{
    return picture.Count(area, kWhite) == 0 && picture.Count(area, kGreen) == 0;
}

// The text with its first glyph's lower-left corner at (x, y), as
// ShowsCentred judges it.
bool ShowsAt(const Picture& picture, int x, int y, std::string_view text, Colour colour)
{
    if (!Blank(picture, TextArea(x - 10, y, 1)) || !Blank(picture, TextArea(x + 10 * Length(text), y, 1)))
        return false;
    for (int i = 0; i < Length(text); ++i)
    {
        PixelRect cell = TextArea(x + 10 * i, y, 1);
        if (text[size_t(i)] == ' ' ? !Blank(picture, cell) : !Coloured(picture, cell, colour))
            return false;
    }
    return true;
}
} // namespace

bool ShowsCentred(const Picture& picture, int y, std::string_view text, Colour colour)
{
    return ShowsAt(picture, -5 * Length(text), y, text, colour);
}

bool ShowsFirstIntroCard(const Picture& picture)
{
    return ShowsCentred(picture, 20, "Tessaloon", kWhite) && Blank(picture, TextArea(-100, 0, 20)) &&
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

bool ShowsArenaAlone(const Picture& picture)
{
    // Entry k's line, "%-50s  %02d/%02d", sits at kHalfHeight - 120 - (k + 1) * 16.
    const int first = kHalfHeight - 152, second = first - 16;
    return ShowsCentred(picture, kHalfHeight - 60, "Select A Server To Play On", kGreen) &&
           ShowsAt(picture, -285, kHalfHeight - 132, "Server Name", kWhite) &&
           ShowsAt(picture, -285, first, "Arena", kGreen) && Blank(picture, TextArea(-235, first, 47)) &&
           ShowsAt(picture, 235, first, "00/04", kGreen) && Blank(picture, TextArea(-285, second, 57));
}

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
        onlyLoopback = onlyLoopback && name.substr(name.find_first_not_of(' ')) == "lo";
        ++interfaces;
    }
    return interfaces > 0 && onlyLoopback;
}

ClientTest::ClientTest()
    : server(ServerUnderTest::Setup()
                 .Args({"-name", "Arena"})
                 .Config("DefaultFragLimit 50\nServerEOR 5000\n")
                 .ShippedMaps())
{
    std::filesystem::create_directories(kShotFolder);
    for (const auto& entry : std::filesystem::directory_iterator(kShotFolder))
        if (entry.path().filename().string().rfind(RunningTestName() + "-", 0) == 0)
            std::filesystem::remove(entry.path());
    std::cout << "Screenshots: " << ShotPath("*") << std::endl;
}

void ClientTest::SetUp()
{
    ASSERT_TRUE(x.Ready()) << x.Problem();
    ASSERT_TRUE(server.ready) << "the server did not start";
}

void ClientTest::StartClient(const std::vector<std::string>& options)
{
    std::vector<std::string> args{"--port", std::to_string(server.port)};
    args.insert(args.end(), options.begin(), options.end());
    // These replace whatever the test inherited.
    std::vector<std::string> environment{"DISPLAY=" + x.Display(), "XDG_CONFIG_HOME=" + configHome.Path(),
                                         "LIBGL_ALWAYS_SOFTWARE=1", "ASAN_OPTIONS=detect_leaks=0",
                                         "QUORVEX_DATA=" + ShippedData()};
    client = std::make_unique<ChildProcess>(ProgramPath("QuorvexClient"), args,
                                            ChildProcess::Options{"", environment});
}

std::string ClientTest::ShotPath(const std::string& screen) const
{
    return kShotFolder + "/" + RunningTestName() + "-" + screen + ".png";
}

::testing::AssertionResult ClientTest::WaitForScreen(const std::string& screen,
                                                     const std::function<bool(const Picture&)>& shows,
                                                     Picture* seen)
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
            return ::testing::AssertionFailure() << "the client ended with status " << *code << " before the "
                                                 << screen << " screen showed: " << client->Stderr();
    }
    return ::testing::AssertionFailure() << "the " << screen << " screen did not show as expected; see "
                                         << ShotPath(screen) << "; client's errors: " << client->Stderr();
}

::testing::AssertionResult ClientTest::PassIntro()
{
    auto intro = WaitForScreen("intro", [](const Picture& p)
                               { return ShowsFirstIntroCard(p) || ShowsSecondIntroCard(p); });
    if (!intro)
        return intro;
    if (!x.Key("a"))
        return ::testing::AssertionFailure() << "xdotool could not press a key";
    return WaitForScreen("main-menu", MainMenuWith(1));
}

int ClientTest::QuitWithF9()
{
    return x.Key("F9") ? Finish(*client, kClientPatience) : -1;
}

std::string ClientTest::Setting(const std::string& name) const
{
    const std::string path = configHome.File(kSettings + name);
    return std::filesystem::exists(path) ? ReadFile(path) : "(missing)";
}

::testing::AssertionResult ClientTest::WaitForSetting(const std::string& name,
                                                      const std::string& expected) const
{
    const auto deadline = std::chrono::steady_clock::now() + kClientPatience;
    while (Setting(name) != expected && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(50ms);
    if (Setting(name) == expected)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "setting " << name << " holds \"" << Setting(name) << "\"";
}

void ClientTest::SaveSetting(const std::string& name, const std::string& bytes) const
{
    configHome.Write(kSettings + name, bytes);
}

} // namespace testing_support
