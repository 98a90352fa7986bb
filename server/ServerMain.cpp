#include "server/ServerMain.h"

#include "common/ExactNumber.h"
#include "common/Version.h"
#include "game/Settings.h"
#include "server/session/Administrators.h"
#include "platform/Clock.h"
#include "platform/ConsoleControl.h"
#include "platform/Files.h"
#include "server/ConfigFile.h"
#include "server/ServerLoop.h"
#include "server/ServerProcess.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace server
{
namespace
{

constexpr int kExitUsage = 2;
constexpr int kExitNoThread = 1;
// Eight bots fit the tick's budget on the largest shipped map with room to spare.
constexpr uint32_t kMaxBots = 16;

const char* const kUsage =
    "Usage: QuorvexServer [options]\n"
    "\n"
    "Hosts a Quorvex game on UDP port 3001 and plays the maps found in the Maps folder.\n"
    "Options are read left to right; option names ignore case.\n"
    "\n"
    "  -name TEXT      name the session (default \"Quorvex Server\")\n"
    "  -loadcfg FILE   load settings from a configuration file\n"
    "  -dumpcfg FILE   write the current settings to FILE and exit\n"
    "  -port N         host on UDP port N instead of 3001\n"
    "  -sendrate HZ    send each player at most HZ batches a second (1 to 1000)\n"
    "                  instead of one on every pass, for play over the internet\n"
    "  -stats SECONDS  print a \"Stats:\" line every SECONDS seconds (1 to 3600):\n"
    "                  passes, tick times, players, traffic per player\n"
    "  -admin ADDR[,ADDR...]\n"
    "                  obey shut-down and map requests only from clients at these\n"
    "                  IPv4 addresses (loopback only when listed) and log the others\n"
    "                  as refused; without it every client may, as on a LAN. Use it\n"
    "                  on a public server\n"
    "  -bots N         keep N ships in play (0 to 16): computer pilots, named\n"
    "                  \"... [bot]\", fill the slots that people leave empty\n"
    "  -version        print the version and exit\n"
    "  -help           show this text and exit\n"
    "\n"
    "Stop the server with Ctrl+C (or SIGTERM / SIGHUP); SIGUSR1 prints one \"Stats:\"\n"
    "line at any time.\n";

// What the main thread does after reading the command line.
enum class Next
{
    Serve,
    Exit,
};

struct CommandLine
{
    ServerOptions options;
    Next next = Next::Serve;
    int exitCode = 0;
};

bool Is(const char* argument, const char* option)
{
    return platform::CompareNoCase(argument, option) == 0;
}

// A whole decimal number from `lowest` to `highest`, nothing else.
std::optional<uint32_t> ParseNumber(const char* text, uint32_t lowest, uint32_t highest)
{
    uint32_t number = 0;
    if (!ParseExactNumber(text, number) || number < lowest || number > highest)
        return std::nullopt;
    return number;
}

void UsageError(CommandLine& result)
{
    result.next = Next::Exit;
    result.exitCode = kExitUsage;
}

void DumpConfig(const char* path, CommandLine& result)
{
    if (SaveConfig(path))
        std::printf("Wrote current configuration to file \"%s\"\n", path);
    else
        std::printf("Failed to write configuration to file \"%s\"\n", path);
    result.next = Next::Exit;
}

void LoadConfigOption(const char* path)
{
    if (LoadConfig(path))
    {
        std::printf("Loaded configuration from file \"%s\"\n", path);
        return;
    }
    std::printf("Failed to load configuration from file \"%s\"\n", path);
    std::printf("Using default config instead.\n");
}

// A whole number from `low` to `high` into `out`; otherwise says which
// numbers `what` takes and ends with the usage error.
void NumberOption(const char* text, uint32_t low, uint32_t high, const char* what, const char* unit,
                  uint32_t& out, CommandLine& result)
{
    if (std::optional<uint32_t> value = ParseNumber(text, low, high))
    {
        out = *value;
        return;
    }
    std::fprintf(stderr, "Invalid %s \"%s\": give %s from %u to %u.\n", what, text, unit, low, high);
    UsageError(result);
}

void AdministratorsOption(const char* text, CommandLine& result)
{
    if (std::optional<std::vector<uint32_t>> addresses = CAdministrators::ParseList(text))
    {
        result.options.administrators = std::move(*addresses);
        return;
    }
    std::fprintf(stderr,
                 "Invalid administrator addresses \"%s\": give IPv4 addresses such as 192.168.1.20, "
                 "separated by commas without spaces.\n",
                 text);
    UsageError(result);
}

// Handles the option at argv[i] and the value after it; returns the index of
// the last argument it used.
int HandleOption(int argc, char** argv, int i, CommandLine& result)
{
    const char* option = argv[i];
    if (Is(option, "-help") || Is(option, "--help") || Is(option, "-h"))
    {
        std::fputs(kUsage, stdout);
        result.next = Next::Exit;
        return i;
    }
    if (Is(option, "-version") || Is(option, "--version"))
    {
        std::printf("QuorvexServer %0.2f\n", kGameVersion);
        result.next = Next::Exit;
        return i;
    }
    bool takesValue = Is(option, "-name") || Is(option, "-dumpcfg") || Is(option, "-loadcfg") ||
                      Is(option, "-port") || Is(option, "-sendrate") || Is(option, "-stats") ||
                      Is(option, "-admin") || Is(option, "-bots");
    if (!takesValue || i + 1 >= argc)
        return i;
    const char* value = argv[++i];
    if (Is(option, "-name"))
        result.options.sessionName.assign(value, std::min(std::strlen(value), kMaxSessionName));
    else if (Is(option, "-dumpcfg"))
        DumpConfig(value, result);
    else if (Is(option, "-loadcfg"))
        LoadConfigOption(value);
    else if (Is(option, "-sendrate"))
        NumberOption(value, 1, 1000, "send rate", "a number of batches a second", result.options.sendRate,
                     result);
    else if (Is(option, "-admin"))
        AdministratorsOption(value, result);
    else if (Is(option, "-bots"))
        NumberOption(value, 0, kMaxBots, "bot count", "a number of ships", result.options.bots, result);
    else if (Is(option, "-stats"))
        NumberOption(value, 1, 3600, "stats interval", "a number of seconds", result.options.statsSeconds,
                     result);
    else
        NumberOption(value, 1, 65535, "port", "a number", result.options.port, result);
    return i;
}

CommandLine ParseCommandLine(int argc, char** argv)
{
    CommandLine result;
    for (int i = 1; i < argc && argv[i] && result.next == Next::Serve; ++i)
        i = HandleOption(argc, argv, i, result);
    if (result.options.sessionName.empty())
        result.options.sessionName = kDefaultSessionName;
    return result;
}

} // namespace

bool LaunchThread(std::function<void()> body, std::thread& thread)
{
    try
    {
        thread = std::thread(std::move(body));
        return true;
    }
    catch (const std::system_error&)
    {
        return false;
    }
}

int ServerMain(int argc, char** argv, const ThreadLauncher& launch)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    platform::InstallConsoleControlHandler(OnConsoleControl);
    std::printf("Quorvex Console Server v%0.2f\n\n", kGameVersion);

    CommandLine commandLine = ParseCommandLine(argc, argv);
    if (commandLine.next == Next::Exit)
        return commandLine.exitCode;
    platform::InstallReportRequestHandler(OnReportRequest);

    std::atomic<bool> finished{false};
    std::atomic<int> threadResult{0};
    std::thread serverThread;
    bool started = launch(
        [&]
        {
            threadResult = RunServerThread(commandLine.options);
            finished = true;
        },
        serverThread);
    if (!started)
    {
        std::printf("Unable to create server thread for some reason.\n");
        return kExitNoThread;
    }
    while (!finished)
        Sleep(static_cast<uint32_t>(std::max(g_settings.ServerYield, 1)));
    serverThread.join();
    return threadResult;
}

} // namespace server
