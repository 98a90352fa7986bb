// The real QuorvexClient on a test's virtual X display: its own settings
// folder, the shipped data, software OpenGL, and the screenshots a test takes
// of it, kept in a folder under the test's name for a person to look at.
// ClientTest is the fixture: a display, a server named "Arena" on the
// shipped maps, and the client, which the test starts.
#pragma once

#include "tests/support/ServerUnderTest.h"
#include "tests/support/XSession.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace testing_support
{

// For a slow, sanitized build on a busy machine.
inline constexpr std::chrono::seconds kClientPatience{30};

// Only the loopback interface is there: the namespace is private, and a LAN
// search by broadcast reaches nothing outside it.
bool InPrivateNetwork();

class ClientUnderTest
{
public:
    // Screenshots go to `shotFolder` as "<test name>-<screen>.png"; those an
    // earlier run of the same test left there are removed first.
    ClientUnderTest(XSession& x, std::string shotFolder);

    // Starts the client searching and joining on `port`, with more options.
    void Start(uint16_t port, const std::vector<std::string>& options = {});
    ChildProcess& Process() { return *m_process; }

    // Takes screenshots until one shows what `shows` expects; that one stays
    // in the folder under the screen's name, and in `seen`. Fails when the
    // client ends first or the screen does not come in time.
    ::testing::AssertionResult WaitForScreen(const std::string& screen,
                                             const std::function<bool(const Picture&)>& shows,
                                             Picture* seen = nullptr);

    // Waits for the intro, skips it with a key and waits for the main menu
    // (screenshots "intro" and "main-menu").
    ::testing::AssertionResult PassIntro();

    // A quick tap, press and release in one go: the client must not miss a
    // key that went down and up between two of its frames. The exit status,
    // or -1 when the client did not end.
    int QuitWithF9();

    // The client's XDG_CONFIG_HOME, and the settings files in it.
    const std::string& ConfigHome() const { return m_config.Path(); }
    // A setting's bytes, or "(missing)".
    std::string Setting(const std::string& name) const;
    ::testing::AssertionResult WaitForSetting(const std::string& name, const std::string& expected) const;
    // Writes a setting as an earlier run would have saved it.
    void SaveSetting(const std::string& name, const std::string& bytes) const;

private:
    std::string ShotPath(const std::string& screen) const;
    std::string SettingPath(const std::string& name) const;

    XSession& m_x;
    std::string m_shotFolder;
    std::string m_testName;
    TempDir m_config; // XDG_CONFIG_HOME
    std::unique_ptr<ChildProcess> m_process;
};

class ClientTest : public ::testing::Test
{
protected:
    // Rounds last until a map request ends one, and the score screen shows
    // long enough for a few screenshots.
    explicit ClientTest(const std::string& shotFolder)
        : server(ServerUnderTest::Setup()
                     .Args({"-name", "Arena"})
                     .Config("DefaultFragLimit 50\nServerEOR 5000\n")
                     .ShippedMaps()),
          client(x, shotFolder)
    {
    }

    void SetUp() override
    {
        ASSERT_TRUE(x.Ready()) << x.Problem();
        ASSERT_TRUE(server.ready) << "the server did not start";
    }

    XSession x;
    ServerUnderTest server;
    ClientUnderTest client;
};

} // namespace testing_support
