#include "tests/support/ClientUnderTest.h"

#include "tests/support/ScreenText.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>

using namespace std::chrono_literals;

namespace testing_support
{
namespace
{

std::string RunningTestName()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return info ? info->name() : "outside-a-test";
}

} // namespace

ClientUnderTest::ClientUnderTest(XSession& x, std::string shotFolder)
    : m_x(x), m_shotFolder(std::move(shotFolder)), m_testName(RunningTestName())
{
    std::filesystem::create_directories(m_shotFolder);
    for (const auto& entry : std::filesystem::directory_iterator(m_shotFolder))
        if (entry.path().filename().string().rfind(m_testName + "-", 0) == 0)
            std::filesystem::remove(entry.path());
    std::cout << "Screenshots: " << ShotPath("*") << std::endl;
}

void ClientUnderTest::Start(uint16_t port, const std::vector<std::string>& options)
{
    std::vector<std::string> args{"--port", std::to_string(port)};
    args.insert(args.end(), options.begin(), options.end());
    // These replace whatever the test inherited.
    std::vector<std::string> environment{"DISPLAY=" + m_x.Display(), "XDG_CONFIG_HOME=" + m_config.Path(),
                                         "LIBGL_ALWAYS_SOFTWARE=1", "ASAN_OPTIONS=detect_leaks=0",
                                         "QUORVEX_DATA=" + ShippedData()};
    m_process = std::make_unique<ChildProcess>(ProgramPath("QuorvexClient"), args,
                                               ChildProcess::Options{"", environment});
}

std::string ClientUnderTest::ShotPath(const std::string& screen) const
{
    return m_shotFolder + "/" + m_testName + "-" + screen + ".png";
}

::testing::AssertionResult ClientUnderTest::WaitForScreen(const std::string& screen,
                                                          const std::function<bool(const Picture&)>& shows,
                                                          Picture* seen)
{
    const auto deadline = std::chrono::steady_clock::now() + kClientPatience;
    while (std::chrono::steady_clock::now() < deadline)
    {
        std::optional<Picture> picture = m_x.Capture(ShotPath(screen));
        if (picture && shows(*picture))
        {
            if (seen)
                *seen = *picture;
            return ::testing::AssertionSuccess();
        }
        if (std::optional<int> code = m_process->Wait(0ms))
            return ::testing::AssertionFailure() << "the client ended with status " << *code << " before the "
                                                 << screen << " screen showed: " << m_process->Stderr();
        std::this_thread::sleep_for(100ms);
    }
    return ::testing::AssertionFailure() << "the " << screen << " screen did not show as expected; see "
                                         << ShotPath(screen) << "; client's errors: " << m_process->Stderr();
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
        name.erase(0, name.find_first_not_of(' '));
        onlyLoopback = onlyLoopback && name == "lo";
        ++interfaces;
    }
    return interfaces > 0 && onlyLoopback;
}

::testing::AssertionResult ClientUnderTest::PassIntro()
{
    auto intro = WaitForScreen("intro", [](const Picture& p)
                               { return ShowsFirstIntroCard(p) || ShowsSecondIntroCard(p); });
    if (!intro)
        return intro;
    if (!m_x.Key("a"))
        return ::testing::AssertionFailure() << "xdotool could not press a key";
    return WaitForScreen("main-menu", MainMenuWith(1));
}

int ClientUnderTest::QuitWithF9()
{
    if (!m_x.Key("F9"))
        return -1;
    return Finish(*m_process, kClientPatience);
}

std::string ClientUnderTest::SettingPath(const std::string& name) const
{
    return m_config.Path() + "/Tessaloon/Quorvex/Settings/" + name;
}

std::string ClientUnderTest::Setting(const std::string& name) const
{
    return std::filesystem::exists(SettingPath(name)) ? ReadFile(SettingPath(name)) : "(missing)";
}

::testing::AssertionResult ClientUnderTest::WaitForSetting(const std::string& name,
                                                           const std::string& expected) const
{
    const auto deadline = std::chrono::steady_clock::now() + kClientPatience;
    while (Setting(name) != expected && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(50ms);
    if (Setting(name) == expected)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "setting " << name << " holds \"" << Setting(name) << "\"";
}

void ClientUnderTest::SaveSetting(const std::string& name, const std::string& bytes) const
{
    m_config.Write("Tessaloon/Quorvex/Settings/" + name, bytes);
}

} // namespace testing_support
