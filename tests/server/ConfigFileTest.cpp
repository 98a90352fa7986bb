#include "server/ConfigFile.h"

#include "game/Settings.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

using testing_support::ReadFile;
using testing_support::TempDir;

namespace
{
class ConfigFileTest : public ::testing::Test
{
protected:
    void SetUp() override { g_settings = GameSettings{}; }
    void TearDown() override { g_settings = GameSettings{}; }

    // Loads `text` and returns what the reader reported.
    std::string Load(const std::string& text)
    {
        std::string path = dir.Write("load.cfg", text);
        char* buffer = nullptr;
        size_t size = 0;
        std::FILE* messages = open_memstream(&buffer, &size);
        EXPECT_TRUE(LoadConfig(path.c_str(), messages));
        std::fclose(messages);
        std::string reported(buffer, size);
        std::free(buffer);
        return reported;
    }

    TempDir dir;
};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}
} // namespace

TEST_F(ConfigFileTest, TableHasAllKeysOnce)
{
    EXPECT_EQ(SettingTable().size(), 61u);
    std::set<std::string_view> keys;
    for (const SettingDescriptor& setting : SettingTable())
        EXPECT_TRUE(keys.insert(setting.key).second) << setting.key;
}

TEST_F(ConfigFileTest, WritesDefaultsInTheFileLayout)
{
    std::string path = dir.File("defaults.cfg");
    ASSERT_TRUE(SaveConfig(path.c_str()));
    std::vector<std::string> lines = Lines(ReadFile(path));
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "// Quorvex Server Config File");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], "// General server section");
    EXPECT_EQ(lines[3], "ServerYield                   1");
    EXPECT_EQ(lines[3].find('1'), 30u) << "values start in column 31";
    EXPECT_EQ(lines.back(), "ShrapnelCount                 8") << "no empty line after the last section";

    std::string text = ReadFile(path);
    for (const char* expected : {"\n\n// Fuel cost section\n", "ThrustCost                    0.100\n",
                                 "BaseTurnRate                  360.000\n", "\n\n// Fuel capacity\n",
                                 "\n\n// Basic Ship Mechanics\n", "\n\n// Powerup Mechanics\n",
                                 "\n\n// Shrapnel\n", "ServerEOR                     12000\n"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
    EXPECT_EQ(lines.size(), 2u + 6u * 2u - 1u + 61u);
}

TEST_F(ConfigFileTest, RoundTripsEveryValue)
{
    g_settings.ServerEOR = 5000;
    g_settings.ThrustCost = 0.25f;
    g_settings.MaxPlayers = 0;
    g_settings.MineRange = -12.5f;
    std::string path = dir.File("round.cfg");
    ASSERT_TRUE(SaveConfig(path.c_str()));
    GameSettings written = g_settings;
    g_settings = GameSettings{};
    ASSERT_TRUE(LoadConfig(path.c_str()));
    for (const SettingDescriptor& setting : SettingTable())
    {
        if (auto field = std::get_if<int GameSettings::*>(&setting.field))
            EXPECT_EQ(g_settings.*(*field), written.*(*field)) << setting.key;
        else
        {
            auto f = std::get<float GameSettings::*>(setting.field);
            EXPECT_NEAR(g_settings.*f, written.*f, 0.0005) << setting.key;
        }
    }
}

TEST_F(ConfigFileTest, KeysInAnyOrderOnAnyLinesLastOneWins)
{
    EXPECT_EQ(Load("ServerEOR\n5000 MaxPlayers 8\n\n   ShrapnelCount 12 ServerEOR 7000"), "");
    EXPECT_EQ(g_settings.ServerEOR, 7000);
    EXPECT_EQ(g_settings.MaxPlayers, 8);
    EXPECT_EQ(g_settings.ShrapnelCount, 12);
    EXPECT_EQ(g_settings.ServerYield, 1) << "absent keys keep their values";
}

TEST_F(ConfigFileTest, ChangingOneValueInTheWrittenFileChangesOnlyThatSetting)
{
    std::string path = dir.File("edit.cfg");
    ASSERT_TRUE(SaveConfig(path.c_str()));
    std::string text = ReadFile(path);
    text.replace(text.find("ShrapnelCount                 8"), 31, "ShrapnelCount                 12");
    EXPECT_EQ(Load(text), "");
    GameSettings expected;
    expected.ShrapnelCount = 12;
    EXPECT_EQ(g_settings.ShrapnelCount, 12);
    EXPECT_EQ(g_settings.ServerEOR, expected.ServerEOR);
    EXPECT_FLOAT_EQ(g_settings.WeaponCost, expected.WeaponCost);
}

TEST_F(ConfigFileTest, CommentsAreSkippedToTheLineEnd)
{
    EXPECT_EQ(Load("// ServerEOR 1\n//ServerYield 9\nServerEOR 3 // MaxPlayers 2\nMaxPlayers 6"), "");
    EXPECT_EQ(g_settings.ServerEOR, 3);
    EXPECT_EQ(g_settings.MaxPlayers, 6);
    EXPECT_EQ(g_settings.ServerYield, 1);
}

TEST_F(ConfigFileTest, OverlongCommentRemainderIsReadAsTokens)
{
    std::string comment = "// " + std::string(1030, 'x');
    std::string reported = Load(comment + " ServerEOR 42\n");
    EXPECT_NE(reported.find("Unrecognized Tag"), std::string::npos);
    EXPECT_EQ(g_settings.ServerEOR, 42);
}

TEST_F(ConfigFileTest, UnknownKeysAndTheirValuesAreReportedOnceEach)
{
    std::string reported = Load("servereor 5000\nServerEOR 6000");
    EXPECT_EQ(reported, "Unrecognized Tag \"servereor\" ... skipping\n"
                        "Unrecognized Tag \"5000\" ... skipping\n");
    EXPECT_EQ(g_settings.ServerEOR, 6000);
}

TEST_F(ConfigFileTest, BadValuesAreReportedAndReadingGoesOn)
{
    std::string reported = Load("ServerYield 3 ServerEOR abc MaxPlayers 2.5 ThrustCost nan "
                                "BulletDamage 1e99 ShrapnelCount 99999999999 FuelRate 4.5 MineRange");
    EXPECT_EQ(reported, "Unrecognized Tag \"abc\" ... skipping\n"
                        "Unrecognized Tag \"2.5\" ... skipping\n"
                        "Unrecognized Tag \"nan\" ... skipping\n"
                        "Unrecognized Tag \"1e99\" ... skipping\n"
                        "Unrecognized Tag \"99999999999\" ... skipping\n");
    GameSettings defaults;
    EXPECT_EQ(g_settings.ServerYield, 3) << "settings read before a bad value stay";
    EXPECT_EQ(g_settings.ServerEOR, defaults.ServerEOR);
    EXPECT_EQ(g_settings.MaxPlayers, defaults.MaxPlayers);
    EXPECT_FLOAT_EQ(g_settings.ThrustCost, defaults.ThrustCost);
    EXPECT_EQ(g_settings.ShrapnelCount, defaults.ShrapnelCount);
    EXPECT_FLOAT_EQ(g_settings.FuelRate, 4.5f);
    EXPECT_FLOAT_EQ(g_settings.MineRange, defaults.MineRange) << "a key at the end of the file has no value";
}

TEST_F(ConfigFileTest, EmptyFileLoadsNothingAndMissingFileFails)
{
    EXPECT_EQ(Load(""), "");
    EXPECT_EQ(g_settings.ServerEOR, GameSettings{}.ServerEOR);
    EXPECT_FALSE(LoadConfig(dir.File("missing.cfg").c_str()));
    EXPECT_FALSE(LoadConfig(nullptr));
    EXPECT_FALSE(SaveConfig(dir.File("no/such/folder/x.cfg").c_str()));
}
