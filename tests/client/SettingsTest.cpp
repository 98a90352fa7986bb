// The player's settings in the settings store: the exact bytes each value
// is saved as, what loading does with missing, short and long values, and a
// save that fails half-way.
#include "client/Settings.h"

#include "client/ClientContext.h"
#include "client/menus/OptionsMenu.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using testing_support::ReadFile;
using testing_support::TempDir;

namespace
{

constexpr const char* kFolder = "Tessaloon/Quorvex/Settings/";

std::string Bytes(std::initializer_list<unsigned char> bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// The display modes the options screen offers in these tests, in order:
// 1024 x 768 x 32, 1152 x 864 x 16, 1280 x 1024 x 32 (an X server's 24-bit
// true colour at an unknown refresh rate), all at 60 Hz.
std::vector<platform::RawVideoMode> FakeModes()
{
    return {{1024, 768, 32, 8, 60}, {1152, 864, 16, 6, 60}, {1280, 1024, 24, 8, 0}};
}

// Settings with a private, empty configuration home; the options screen of
// a client of the test's own makes the choices.
class Settings : public ::testing::Test
{
protected:
    void SetUp() override { m_options.ShowSettings(m_settings); }

    // What carriage return on the options screen saves.
    void SaveChoices()
    {
        m_options.TakeChoices(m_settings);
        SaveSettings(m_settings);
    }
    ClientSettings Loaded() const
    {
        ClientSettings loaded;
        LoadSettings(loaded);
        return loaded;
    }
    static std::vector<int> Numbers(const ClientSettings& s)
    {
        return {s.shipType, s.resWidth, s.resHeight, s.resDepth, s.resFreq, s.windowed};
    }

    std::string Value(const char* name) const { return ReadFile(m_home.File(std::string(kFolder) + name)); }
    void WriteValue(const char* name, const std::string& bytes) const
    {
        m_home.Write(std::string(kFolder) + name, bytes);
    }
    std::vector<std::string> StoredNames() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_home.File(kFolder)))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir m_home;
    testing_support::ScopedEnv m_configHome{"XDG_CONFIG_HOME", m_home.Path().c_str()};
    CClientContext m_context{FakeModes};
    COptionsMenu m_options{m_context};
    ClientSettings& m_settings = m_context.settings;
};

} // namespace

TEST_F(Settings, FirstStartKeepsDefaultsAndWritesNothing)
{
    ClientSettings loaded = Loaded();
    EXPECT_STREQ(loaded.playerName, "");
    EXPECT_EQ(Numbers(loaded), std::vector<int>({0, 1024, 768, 32, 60, 0}));
    EXPECT_TRUE(std::filesystem::is_empty(m_home.Path())) << "not even the folder appears";
}

TEST_F(Settings, SaveWritesTheOptionsScreenChoicesAsExactBytes)
{
    m_options.SetText("Ace");
    m_options.SetShipType(5);
    m_options.SetResolution(1280, 1024, 32, 60);
    m_settings.windowed = 1;
    SaveChoices();

    EXPECT_EQ(Value("PlayerName"), "Ace") << "the name's bytes, no terminating zero";
    EXPECT_EQ(Value("ShipType"), Bytes({5, 0, 0, 0}));
    EXPECT_EQ(Value("ResWidth"), Bytes({0x00, 0x05, 0, 0}));
    EXPECT_EQ(Value("ResHeight"), Bytes({0x00, 0x04, 0, 0}));
    EXPECT_EQ(Value("ResDepth"), Bytes({32, 0, 0, 0}));
    EXPECT_EQ(Value("ResFreq"), Bytes({60, 0, 0, 0}));
    EXPECT_EQ(Value("Windowed"), Bytes({1, 0, 0, 0}));
    EXPECT_EQ(StoredNames().size(), 7u) << "no temporary files are left";

    ClientSettings loaded = Loaded();
    EXPECT_STREQ(loaded.playerName, "Ace");
    EXPECT_EQ(Numbers(loaded), std::vector<int>({5, 1280, 1024, 32, 60, 1}));
}

TEST_F(Settings, NumbersAreFourLittleEndianSignedBytesAndOtherSizesAreIgnored)
{
    WriteValue("ResWidth", Bytes({0x78, 0x56, 0x34, 0x12}));
    WriteValue("ResHeight", Bytes({0xff, 0xff, 0xff, 0xff}));
    WriteValue("ResFreq", Bytes({0x00, 0x00, 0x00, 0x80}));
    WriteValue("ShipType", Bytes({3, 0}));
    WriteValue("Windowed", Bytes({0, 5, 0, 0, 0, 0, 0, 0}));
    WriteValue("ResDepth", "");
    WriteValue("PlayerName", std::string(128, 'n'));
    ClientSettings loaded;
    loaded.shipType = 4;
    std::memcpy(loaded.playerName, "Old", 4);
    LoadSettings(loaded);
    EXPECT_EQ(Numbers(loaded), std::vector<int>({4, 0x12345678, -1, 32, INT32_MIN, 0}));
    EXPECT_STREQ(loaded.playerName, "") << "a name too long to read leaves the cleared buffer";

    std::memset(loaded.playerName, 'x', sizeof loaded.playerName);
    WriteValue("PlayerName", std::string(127, 'n'));
    LoadSettings(loaded);
    EXPECT_EQ(std::string(loaded.playerName), std::string(127, 'n'))
        << "the longest name fits, zero-terminated";
}

TEST_F(Settings, NoDisplayModeSavesZerosAndALongNameIsCut)
{
    m_context.display.SetModeSource([] { return std::vector<platform::RawVideoMode>{}; });
    m_options.SetText(std::string(200, 'a').c_str());
    SaveChoices();
    EXPECT_EQ(Numbers(m_settings), std::vector<int>({0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Value("ResWidth"), Bytes({0, 0, 0, 0}));
    EXPECT_EQ(Value("PlayerName"), std::string(127, 'a'));
}

TEST_F(Settings, KeyThatCannotBeCreatedSavesNothingButKeepsTheChoices)
{
    m_home.Write("Tessaloon/Quorvex", "a file where a folder should be");
    m_options.SetText("Ace");
    m_options.SetShipType(3);
    SaveChoices();
    EXPECT_STREQ(m_settings.playerName, "Ace");
    EXPECT_EQ(m_settings.shipType, 3);
    EXPECT_FALSE(std::filesystem::exists(m_home.File(kFolder)));
}

TEST_F(Settings, WindowedChoiceIsSavedAlone)
{
    m_settings.windowed = 1;
    SaveWindowedSetting(m_settings);
    EXPECT_EQ(StoredNames(), std::vector<std::string>{"Windowed"});
    EXPECT_EQ(Value("Windowed"), Bytes({1, 0, 0, 0}));
    ClientSettings loaded = Loaded();
    EXPECT_EQ(loaded.windowed, 1);
    EXPECT_EQ(loaded.resWidth, 1024) << "the other values stay missing";
}

TEST_F(Settings, SaveFailingHalfWayLeavesEveryValueWhole)
{
    m_options.SetText("Ace");
    m_options.SetShipType(2);
    SaveChoices();

    // A child process may write files of at most 4 bytes: the numbers of its
    // save fit, the longer name does not.
    pid_t child = fork();
    if (child == 0)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4, 4};
        m_options.SetText("Maverick");
        m_options.SetShipType(4);
        if (setrlimit(RLIMIT_FSIZE, &limit) == 0)
            SaveChoices();
        _exit(0);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ClientSettings loaded = Loaded();
    EXPECT_STREQ(loaded.playerName, "Ace") << "the name that could not be written keeps its old value";
    EXPECT_EQ(loaded.shipType, 4) << "values after the failed one are still saved";
    EXPECT_EQ(StoredNames().size(), 7u) << "no temporary files are left";
}
