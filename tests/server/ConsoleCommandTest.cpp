// Console command lines and the ban list's file lines, in tables.
#include "server/console/ConsoleCommand.h"
#include "server/console/BanList.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace server;

namespace
{
ConsoleCommand Cmd(Verb verb, std::string target = "", uint32_t minutes = 0, std::string text = "")
{
    return {verb, std::move(target), minutes, std::move(text)};
}
} // namespace

TEST(ConsoleCommand, ParsesEachVerbsArguments)
{
    struct Case
    {
        std::string line;
        std::optional<ConsoleCommand> expected; // nullopt: an error
    };
    const Case cases[] = {
        {"status", Cmd(Verb::Status)},
        {"  STATUS  ", Cmd(Verb::Status)},
        {"status now", std::nullopt},
        {"kick 3", Cmd(Verb::Kick, "3")},
        {"kick Bob  stop that now", Cmd(Verb::Kick, "Bob", 0, "stop that now")},
        {"kick", std::nullopt},
        {"ban 10.0.0.7 30 team killing", Cmd(Verb::Ban, "10.0.0.7", 30, "team killing")},
        {"ban 4 cheating", Cmd(Verb::Ban, "4", 0, "cheating")},
        {"ban 4", Cmd(Verb::Ban, "4")},
        {"unban 10.0.0.7", Cmd(Verb::Unban, "10.0.0.7")},
        {"unban 10.0.0.7 now", std::nullopt},
        {"say hello  there", Cmd(Verb::Say, "", 0, "hello  there")},
        {"say", std::nullopt},
        {"map Caves", Cmd(Verb::Map, "Caves")},
        {"map", std::nullopt},
        {"maps", Cmd(Verb::Maps)},
        {"bans", Cmd(Verb::Bans)},
        {"halt", Cmd(Verb::Halt)},
        {"help", Cmd(Verb::Help)},
        {"", std::nullopt},
        {"reboot", std::nullopt},
        {"say a\tb", std::nullopt},
        {"say " + std::string(kMostCommandLength, 'a'), std::nullopt},
    };
    for (const Case& c : cases)
    {
        std::string error;
        EXPECT_EQ(ParseCommand(c.line, error), c.expected) << c.line;
        EXPECT_EQ(error.empty(), c.expected.has_value()) << c.line << ": " << error;
    }
}

TEST(BanList, ReadsItsOwnLinesAndSkipsOthers)
{
    struct Case
    {
        std::string line;
        std::optional<Ban> expected;
    };
    const Case cases[] = {
        {"10.0.0.7 0 griefing in spawn", Ban{0x0a000007, 0, "griefing in spawn"}},
        {"192.168.1.2 1800000000", Ban{0xc0a80102, 1800000000, ""}},
        {"10.0.0.7", std::nullopt},
        {"10.0.0.300 0 x", std::nullopt},
        {"10.0.0.7 -5 x", std::nullopt},
        {"10.0.0.7 soon x", std::nullopt},
    };
    for (const Case& c : cases)
    {
        Ban ban;
        ASSERT_EQ(CBanList::ParseLine(c.line, ban), c.expected.has_value()) << c.line;
        if (c.expected)
        {
            EXPECT_EQ(ban, *c.expected) << c.line;
            EXPECT_EQ(CBanList::FormatLine(ban), c.line + (ban.reason.empty() ? " " : ""));
        }
    }
}

TEST(BanList, SurvivesASaveAndLoadAndExpires)
{
    testing_support::TempDir dir;
    std::string path = dir.File("bans");
    CBanList bans(path);
    ASSERT_TRUE(bans.Load()) << "a missing file is an empty list";
    bans.Add({0x0a000007, 0, "for ever"});
    bans.Add({0x0a000008, 1000, "line\nbreak"});
    bans.Add({0x0a000008, 2000, "replaced"});
    ASSERT_TRUE(bans.Save());
    std::ofstream(path, std::ios::app) << "not a ban\n";

    CBanList loaded(path);
    size_t skipped = 0;
    ASSERT_TRUE(loaded.Load(&skipped));
    EXPECT_EQ(skipped, 1u);
    EXPECT_EQ(loaded.GetBans(),
              (std::vector<Ban>{{0x0a000007, 0, "for ever"}, {0x0a000008, 2000, "replaced"}}));
    EXPECT_TRUE(loaded.IsBanned(0x0a000008, 1999));
    EXPECT_FALSE(loaded.IsBanned(0x0a000008, 2000));
    EXPECT_TRUE(loaded.IsBanned(0x0a000007, 1LL << 40));
    EXPECT_TRUE(loaded.DropExpired(2000));
    EXPECT_TRUE(loaded.Remove(0x0a000007));
    EXPECT_TRUE(loaded.GetBans().empty());
    EXPECT_FALSE(CBanList(dir.File("no/such/folder/bans")).Save());
}
