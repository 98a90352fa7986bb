// The server's configuration file: the layout -dumpcfg writes, and what the
// reader takes from any text, what it reports and what it leaves alone.
#include "server/ConfigFile.h"

#include "game/Settings.h"
#include "tests/support/DefaultGameSettings.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>

using testing_support::ReadFile;
using testing_support::TempDir;

namespace
{
double Value(const GameSettings& settings, const SettingDescriptor& setting)
{
    if (auto field = std::get_if<int GameSettings::*>(&setting.field))
        return settings.*(*field);
    return settings.*std::get<float GameSettings::*>(setting.field);
}

class ConfigFileTest : public ::testing::Test
{
protected:
    // Loads `text` and returns what the reader reported.
    std::string Load(const std::string& text)
    {
        testing::internal::CaptureStdout();
        EXPECT_TRUE(LoadConfig(dir.Write("load.cfg", text).c_str()));
        return testing::internal::GetCapturedStdout();
    }
    // Every setting holds its default but the `changed` ones.
    void ExpectSettings(const std::map<std::string_view, double>& changed)
    {
        for (const SettingDescriptor& setting : SettingTable())
        {
            auto found = changed.find(setting.key);
            double value = found != changed.end() ? found->second : Value(GameSettings{}, setting);
            EXPECT_NEAR(Value(g_settings, setting), value, 0.0005) << setting.key;
        }
    }
    testing_support::DefaultGameSettings settings;
    TempDir dir;
};
} // namespace

TEST_F(ConfigFileTest, WritesEverySettingOnceInTheFileLayout)
{
    ASSERT_EQ(SettingTable().size(), 61u);
    std::string path = dir.File("defaults.cfg");
    ASSERT_TRUE(SaveConfig(path.c_str()));
    std::string text = ReadFile(path);
    EXPECT_TRUE(text.starts_with("// Quorvex Server Config File\n\n// General server section\n"
                                 "ServerYield                   1\n"))
        << "values start in column 31";
    EXPECT_NE(text.find("\n\n// Fuel cost section\nThrustCost                    0.100\n"), std::string::npos)
        << "an empty line before each section, floats to three places";
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2 + 6 * 2 - 1 + 61)
        << "the title, an empty line between sections, and one line per setting";
}

TEST_F(ConfigFileTest, ReadsKeysAnywhereAndReportsAndSkipsWhatItCannotRead)
{
    const std::string overlongComment = "// " + std::string(1030, 'x');
    const struct
    {
        std::string text;
        std::string reported;
        std::map<std::string_view, double> changed;
    } cases[] = {
        {"", "", {}},
        {"ServerEOR\n5000 MaxPlayers 8\n\n   ShrapnelCount 12 ServerEOR 7000",
         "",
         {{"ServerEOR", 7000}, {"MaxPlayers", 8}, {"ShrapnelCount", 12}}},
        {"// ServerEOR 1\n//ServerYield 9\nServerEOR 3 // MaxPlayers 2\nMaxPlayers 6",
         "",
         {{"ServerEOR", 3}, {"MaxPlayers", 6}}},
        {overlongComment + " ServerEOR 42\n",
         "Unrecognized Tag \"xxxxxxx\" ... skipping\n",
         {{"ServerEOR", 42}}}, // a comment's skip ends after 1024 characters
        {"servereor 5000\nServerEOR 6000",
         "Unrecognized Tag \"servereor\" ... skipping\nUnrecognized Tag \"5000\" ... skipping\n",
         {{"ServerEOR", 6000}}},
        {"ServerYield 3 ServerEOR abc MaxPlayers 2.5 ThrustCost nan BulletDamage 1e99 "
         "ShrapnelCount 99999999999 BaseTurnRate 9.5x FuelRate 4.5 MineRange",
         "Unrecognized Tag \"abc\" ... skipping\nUnrecognized Tag \"2.5\" ... skipping\n"
         "Unrecognized Tag \"nan\" ... skipping\nUnrecognized Tag \"1e99\" ... skipping\n"
         "Unrecognized Tag \"99999999999\" ... skipping\nUnrecognized Tag \"9.5x\" ... skipping\n",
         {{"ServerYield", 3}, {"FuelRate", 4.5}}},
        {"// counted lines\nShrapnelCount 256 ServerYield 0\n\nBaseROF 0 MaxMines -1",
         "line 4: 0 out of range for BaseROF; keeping 10\nline 4: -1 out of range for MaxMines; keeping 4\n",
         {{"ShrapnelCount", 256}, {"ServerYield", 0}}},
    };
    for (const auto& file : cases)
    {
        g_settings = GameSettings{};
        EXPECT_EQ(Load(file.text), file.reported) << file.text;
        ExpectSettings(file.changed);
    }
    EXPECT_FALSE(LoadConfig(nullptr)) << "missing files are the command line test's";
}

TEST_F(ConfigFileTest, TheWrittenDefaultsReadBackWithoutAReport)
{
    std::string path = dir.File("defaults.cfg");
    ASSERT_TRUE(SaveConfig(path.c_str()));
    testing::internal::CaptureStdout();
    EXPECT_TRUE(LoadConfig(path.c_str()));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "a range leaves out its setting's default";
    ExpectSettings({});
}
