// The server program as a user runs it: options, configuration files, the
// banner, the console and stopping by signal.
#include "tests/support/ChildProcess.h"
#include "tests/support/Ports.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>

using namespace std::chrono_literals;
using testing_support::ChildProcess;
using testing_support::ProgramPath;
using testing_support::ReadFile;
using testing_support::TempDir;

namespace
{
std::string Server()
{
    return ProgramPath("QuorvexServer");
}

std::string FreePort()
{
    return std::to_string(testing_support::FreeUdpPort());
}

// Runs the server to its end and returns its exit code.
int RunToEnd(ChildProcess& server)
{
    std::optional<int> code = server.Wait(10s);
    server.DrainOutput(1s);
    return code.value_or(-1);
}

bool HasLine(const ChildProcess& process, const std::string& line)
{
    for (const std::string& l : process.Lines())
        if (l == line)
            return true;
    return false;
}
} // namespace

TEST(ServerProgram, DumpWritesDefaultsAndExitsWithoutServing)
{
    TempDir dir;
    std::string path = dir.File("defaults.cfg");
    ChildProcess server(Server(), {"-DumpCfg", path});
    ASSERT_EQ(RunToEnd(server), 0);
    ASSERT_GE(server.Lines().size(), 3u);
    EXPECT_EQ(server.Lines()[0], "Quorvex Console Server v1.02");
    EXPECT_EQ(server.Lines()[1], "");
    EXPECT_EQ(server.Lines()[2], "Wrote current configuration to file \"" + path + "\"");
    EXPECT_FALSE(HasLine(server, "Console: starting up server"));
    std::string text = ReadFile(path);
    EXPECT_EQ(text.rfind("// Quorvex Server Config File\n\n// General server section\nServerYield", 0), 0u);
}

TEST(ServerProgram, DumpToUnwritablePathReportsFailureAndExitsZero)
{
    TempDir dir;
    std::string path = dir.File("missing/folder/x.cfg");
    ChildProcess server(Server(), {"-dumpcfg", path});
    ASSERT_EQ(RunToEnd(server), 0);
    EXPECT_TRUE(HasLine(server, "Failed to write configuration to file \"" + path + "\""));
}

TEST(ServerProgram, LoadThenDumpWritesTheMergedValues)
{
    TempDir dir;
    std::string in = dir.Write("in.cfg", "ServerEOR 5000\nbogus 1\n");
    std::string out = dir.File("out.cfg");
    ChildProcess server(Server(), {"-LOADCFG", in, "-dumpcfg", out});
    ASSERT_EQ(RunToEnd(server), 0);
    EXPECT_TRUE(HasLine(server, "Unrecognized Tag \"bogus\" ... skipping"));
    EXPECT_TRUE(HasLine(server, "Unrecognized Tag \"1\" ... skipping"));
    EXPECT_TRUE(HasLine(server, "Loaded configuration from file \"" + in + "\""));
    std::string text = ReadFile(out);
    EXPECT_NE(text.find("\nServerEOR                     5000\n"), std::string::npos);
}

TEST(ServerProgram, OptionWordAsLastArgumentDoesNothing)
{
    ChildProcess server(Server(), {"-port", FreePort(), "-dumpcfg"});
    ASSERT_TRUE(server.WaitForLine("Console: starting up server", 10s)) << "it serves instead of dumping";
    server.Signal(SIGTERM);
    EXPECT_EQ(RunToEnd(server), 0);
}

TEST(ServerProgram, MissingConfigFilePrintsBothLinesAndServesOnDefaults)
{
    ChildProcess server(Server(), {"-port", FreePort(), "-loadcfg", "/nonexistent/quorvex.cfg", "-name"});
    ASSERT_TRUE(server.WaitForLine("Console: starting up server", 10s));
    EXPECT_TRUE(HasLine(server, "Failed to load configuration from file \"/nonexistent/quorvex.cfg\""));
    EXPECT_TRUE(HasLine(server, "Using default config instead."));
    server.Signal(SIGINT);
    EXPECT_EQ(RunToEnd(server), 0);
}

TEST(ServerProgram, EachStopSignalEndsTheServerPromptlyWithExitZero)
{
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
    {
        ChildProcess server(Server(), {"-port", FreePort()});
        ASSERT_TRUE(server.WaitForLine("Console: starting up server", 10s)) << signal;
        auto start = std::chrono::steady_clock::now();
        server.Signal(signal);
        std::optional<int> code = server.Wait(5s);
        ASSERT_TRUE(code.has_value()) << "signal " << signal << " did not stop the server";
        EXPECT_EQ(*code, 0) << signal;
        // Reported, not asserted: timing depends on the machine.
        auto took =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        RecordProperty("stop_ms_" + std::to_string(signal), static_cast<int>(took.count()));
    }
}

TEST(ServerProgram, HelpDescribesTheOptions)
{
    ChildProcess server(Server(), {"--help"});
    ASSERT_EQ(RunToEnd(server), 0);
    EXPECT_TRUE(server.WaitForLine("-loadcfg FILE", 1s));
    EXPECT_FALSE(HasLine(server, "Console: starting up server"));
}

TEST(ServerProgram, VersionPrintsTheGameVersionAndExitsWithoutServing)
{
    for (const char* option : {"-version", "--version", "-VERSION"})
    {
        ChildProcess server(Server(), {"-port", FreePort(), option, "-name", "Late"});
        ASSERT_EQ(RunToEnd(server), 0) << option;
        EXPECT_TRUE(HasLine(server, "QuorvexServer 1.02")) << option;
        EXPECT_FALSE(HasLine(server, "Console: starting up server")) << option;
    }
    ChildProcess help(Server(), {"-help"});
    ASSERT_EQ(RunToEnd(help), 0);
    EXPECT_TRUE(HasLine(help, "  -version        print the version and exit"));
}

TEST(ServerProgram, BadPortIsAUsageError)
{
    ChildProcess server(Server(), {"-port", "70000"});
    EXPECT_EQ(RunToEnd(server), 2);
    EXPECT_NE(server.Stderr().find("Invalid port \"70000\""), std::string::npos);
}

TEST(ServerProgram, PortInUseIsReportedAndExitsNonZero)
{
    std::string port = FreePort();
    ChildProcess first(Server(), {"-port", port});
    ASSERT_TRUE(first.WaitForLine("Console: starting up server", 10s));
    ChildProcess second(Server(), {"-port", port});
    EXPECT_EQ(RunToEnd(second), 1);
    EXPECT_TRUE(HasLine(second, "Console: Unable to host the session on UDP port " + port +
                                    "; is another server using it?"));
    first.Signal(SIGTERM);
    EXPECT_EQ(RunToEnd(first), 0);
}
