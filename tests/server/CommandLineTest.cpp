// The programs' command lines: what each server argument list serves with or
// exits with, the main thread when no server thread starts, and the tools'
// strict reading of the shared option table.
#include "server/ServerMain.h"

#include "common/OptionTable.h"
#include "game/Settings.h"
#include "tests/support/DefaultGameSettings.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using server::ServerOptions;

namespace
{
constexpr int kServes = -1;

// Runs `parse` on "program" followed by the arguments `args` lists, separated
// by "|" ("-name|" ends with an empty one); returns what it printed on
// standard output and error together.
template <typename Parse> std::string Printed(const std::string& args, Parse parse)
{
    std::vector<std::string> words{"program"};
    size_t start = 0;
    for (size_t bar; (bar = args.find('|', start)) != std::string::npos; start = bar + 1)
        words.push_back(args.substr(start, bar - start));
    if (!args.empty())
        words.push_back(args.substr(start));
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    parse(static_cast<int>(words.size()), argv.data());
    std::string out = testing::internal::GetCapturedStdout();
    return out + testing::internal::GetCapturedStderr();
}

ServerOptions Serving(ServerOptions options)
{
    if (options.sessionName.empty())
        options.sessionName = "Quorvex Server";
    return options;
}

ServerOptions Announced(std::vector<server::MasterServer> masters)
{
    ServerOptions options = Serving({});
    options.masters = std::move(masters);
    return options;
}
} // namespace

TEST(ServerCommandLine, EachArgumentListServesOrExitsAsItShould)
{
    const std::string longName(1030, 'n');
    testing_support::TempDir dir;
    const std::string outOfRange = dir.Write("range.cfg", "MaxPlayers -7\n\nBaseMaxSpeed 1e30 ServerEOR 0\n");
    const struct
    {
        std::string args;
        int exitStatus; // kServes: it serves with `options`
        std::string said;
        ServerOptions options{};
    } cases[] = {
        {"", kServes, "", Serving({})},
        {"-Name|Arena|-PORT|4000|-sendrate|1000|-STATS|3600|-bots|16|-admin|127.0.0.5,10.0.0.1|-BIND|127.0.0."
         "2",
         kServes,
         "",
         {"Arena", 4000, 1000, 3600, {0x7F000005, 0x0A000001}, 16, 0x7F000002}},
        {"-sendrate|1|-stats|1|-bots|0|-port|1", kServes, "", Serving({"", 1, 1, 1})},
        {"-name|" + longName, kServes, "", Serving({longName.substr(0, 1023)})},
        {"--name|Arena|--PORT|4000|--sendrate|30|--bind|127.0.0.2", kServes, "",
         Serving({"Arena", 4000, 30, 0, {}, 0, 0x7F000002})},
        {"-port|4000|--prot|3900", 2, "QuorvexServer: unknown option \"--prot\"\n\nUsage: QuorvexServer"},
        {"---port|3900", 2, "unknown option \"---port\""},
        {"-port|5|-dumpcfg", 2, "-dumpcfg needs a value\n\nUsage:"},
        {"-name|", kServes, "", Serving({})},
        {"-loadcfg|/nonexistent/q.cfg", 1,
         "Failed to read configuration file \"/nonexistent/q.cfg\": No such file or directory\n"},
        {"--loadcfg|" + outOfRange, kServes,
         "line 1: -7 out of range for MaxPlayers; keeping 4\nline 3: 1e30 out of range for BaseMaxSpeed; "
         "keeping "
         "768\nLoaded configuration",
         Serving({})},
        {"-help", 0, "  -admin ADDR[,ADDR...]\n"},
        {"--HELP", 0, "  -bots N         keep N ships in play (0 to 16)"},
        {"-h|-port|0", 0, "Usage: QuorvexServer [options]\n"},
        {"-port|4000|-version|-name|Late", 0, "QuorvexServer 1.02\n"},
        {"--Version", 0, "QuorvexServer 1.02\n"},
        {"-dumpcfg|/nonexistent/x.cfg|-port|0", 1,
         "Failed to write configuration file \"/nonexistent/x.cfg\": No such file or directory\n"},
        {"-port|70000", 2, "Invalid port \"70000\": give a number from 1 to 65535.\n"},
        {"-port|0", 2, "Invalid port \"0\""},
        {"-port|99999|-version", 2, "Invalid port \"99999\""},
        {"-SendRate|20hz", 2,
         "Invalid send rate \"20hz\": give a number of batches a second from 1 to 1000.\n"},
        {"-sendrate|0", 2, "Invalid send rate \"0\""},
        {"-sendrate|1001", 2, "Invalid send rate \"1001\""},
        {"-stats|0", 2, "Invalid stats interval \"0\": give a number of seconds from 1 to 3600.\n"},
        {"-stats|3601", 2, "Invalid stats interval \"3601\""},
        {"-BOTS|17", 2, "Invalid bot count \"17\": give a number of ships from 0 to 16.\n"},
        {"-bots|-1", 2, "Invalid bot count \"-1\""},
        {"-bots|three", 2, "Invalid bot count \"three\""},
        {"-admin|127.0.0.1, 10.0.0.1", 2,
         "Invalid administrator addresses \"127.0.0.1, 10.0.0.1\": give IPv4 addresses such as 192.168.1.20, "
         "separated by commas without spaces.\n"},
        {"-admin|localhost", 2, "Invalid administrator addresses \"localhost\""},
        {"-MASTER|m.example.org,10.0.0.1:27951", kServes, "",
         Announced({{"m.example.org", 27950}, {"10.0.0.1", 27951}})},
        {"-master|m.example.org:0", 2,
         "Invalid master servers \"m.example.org:0\": give HOST or HOST:PORT (port 1 to 65535)"},
        {"-bind|localhost", 2,
         "Invalid bind address \"localhost\": give one IPv4 address such as 127.0.0.2.\n"},
    };
    for (const auto& expected : cases)
    {
        testing_support::DefaultGameSettings settings;
        server::CommandLine read;
        std::string said = Printed(expected.args, [&](int argc, char** argv)
                                   { read = server::ParseCommandLine(argc, argv); });
        EXPECT_NE(said.find(expected.said), std::string::npos) << expected.args << " said: " << said;
        EXPECT_EQ(read.serve, expected.exitStatus == kServes) << expected.args;
        if (read.serve)
            EXPECT_EQ(read.options, expected.options) << expected.args;
        else
            EXPECT_EQ(read.exitCode, expected.exitStatus) << expected.args;
    }
}

TEST(ServerCommandLine, SettingsLoadedBeforeADumpAreWhatItWritesAndAThreadThatCannotStartIsAnError)
{
    testing_support::DefaultGameSettings settings;
    testing_support::TempDir dir;
    std::string in = dir.Write("in.cfg", "ServerEOR 5000\n");
    std::string out = dir.File("out.cfg");
    std::string said = Printed("-LOADCFG|" + in + "|-DumpCfg|" + out, [](int argc, char** argv)
                               { EXPECT_FALSE(server::ParseCommandLine(argc, argv).serve); });
    EXPECT_EQ(said, "Loaded configuration from file \"" + in + "\"\nWrote current configuration to file \"" +
                        out + "\"\n");
    EXPECT_NE(testing_support::ReadFile(out).find("\nServerEOR                     5000\n"),
              std::string::npos);
    int code = 0;
    said = Printed("", [&](int argc, char** argv)
                   { code = server::ServerMain(argc, argv, [](auto, std::thread&) { return false; }); });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(said, "Quorvex Console Server v1.02\n\nUnable to create server thread for some reason.\n");
    said = Printed("--version", [&](int argc, char** argv) { code = server::ServerMain(argc, argv); });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(said, "QuorvexServer 1.02\n") << "the version line alone, for scripts";
}

// The probe and the relay read their options strictly, with these words for
// a mistake; an option that stops the reading is their help.
TEST(ToolCommandLine, MistakesEndTheReadingAndSayWhatWasWrong)
{
    uint32_t number = 0;
    double percent = 0;
    bool flag = false;
    const cmdline::Option table[] = {
        cmdline::StopOption("--help"),
        cmdline::Flag("--flag", [&] { flag = true; }),
        cmdline::NumberOption<uint32_t>("--number", number, 1, 10),
        cmdline::NumberOption<double>("--percent", percent, 0, 100),
    };
    const std::pair<std::string, std::string> cases[] = {
        {"--flag|--number|10", ""},
        {"--help|--bogus", ""},
        {"--bogus|--help", "unknown option \"--bogus\""},
        {"--FLAG", "unknown option \"--FLAG\""},
        {"--number", "--number needs a value"},
        {"--number|0|--help", "bad value \"0\" for --number"},
        {"--number|11", "bad value \"11\" for --number"},
        {"--number| 5", "bad value \" 5\" for --number"},
        {"--percent|nan", "bad value \"nan\" for --percent"},
        {"--percent|100.5", "bad value \"100.5\" for --percent"},
    };
    for (const auto& [args, expectedError] : cases)
    {
        std::string error = "unset";
        bool done = false;
        Printed(args,
                [&](int argc, char** argv) { done = cmdline::ParseToolOptions(table, argc, argv, error); });
        EXPECT_EQ(done, args == cases[0].first) << args;
        EXPECT_EQ(error, expectedError) << args;
    }
    EXPECT_TRUE(flag && number == 10) << "the list read whole set both";
}
