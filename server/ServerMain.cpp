#include "server/ServerMain.h"

#include "common/OptionTable.h"
#include "common/Version.h"
#include "game/Settings.h"
#include "platform/Clock.h"
#include "platform/ConsoleControl.h"
#include "server/ConfigFile.h"
#include "server/ServerLoop.h"
#include "server/ServerProcess.h"
#include "server/session/Administrators.h"
#include "session/SessionTypes.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
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
constexpr int kExitFileFailed = 1;
// Eight bots fit the tick's budget on the largest shipped map with room to spare.
constexpr uint32_t kMaxBots = 16;

const char* const kUsage =
    "Usage: QuorvexServer [options]\n"
    "\n"
    "Hosts a Quorvex game on UDP port 3001 and plays the maps found in the Maps folder.\n"
    "Options are read left to right; option names ignore case, and each may also\n"
    "be spelled with two dashes (--port 3900).\n"
    "\n"
    "  -name TEXT      name the session (default \"Quorvex Server\")\n"
    "  -loadcfg FILE   load settings from a configuration file\n"
    "  -dumpcfg FILE   write the current settings to FILE and exit\n"
    "  -port N         host on UDP port N instead of 3001\n"
    "  -bind ADDRESS   listen only on this IPv4 address (such as 127.0.0.2), for\n"
    "                  games and searches alike, instead of on all of them;\n"
    "                  players then find the server by its address, since it\n"
    "                  does not hear searches by broadcast\n"
    "  -sendrate HZ    send each player at most HZ batches a second (1 to 1000)\n"
    "                  instead of one on every pass, for play over the internet\n"
    "  -stats SECONDS  print a \"Stats:\" line every SECONDS seconds (1 to 3600):\n"
    "                  passes, tick times, players, traffic per player\n"
    "  -admin ADDR[,ADDR...]\n"
    "                  obey shut-down and map requests only from clients at these\n"
    "                  IPv4 addresses (loopback only when listed) and log the others\n"
    "                  as refused; without it every client may, as on a LAN. Use it\n"
    "                  on a public server\n"
    "  -master HOST[:PORT][,HOST[:PORT]...]\n"
    "                  announce the server to these master servers (port 27950\n"
    "                  unless given), so players on the internet find it\n"
    "  -bots N         keep N ships in play (0 to 16): computer pilots, named\n"
    "                  \"... [bot]\", fill the slots that people leave empty\n"
    "  -control PATH   take console commands (try \"help\") on a Unix socket at\n"
    "                  PATH, mode 0660: only local users who may open it can use it;\n"
    "                  standard input takes them too when it is a terminal or pipe\n"
    "  -banlist FILE   keep bans in FILE, so that they survive restarts\n"
    "  -version        print the version and exit\n"
    "  -help           show this text and exit\n"
    "\n"
    "Stop the server with Ctrl+C (or SIGTERM / SIGHUP); SIGUSR1 prints one \"Stats:\"\n"
    "line at any time.\n";

using cmdline::Verdict;

// Ends the command line without serving, with `code` as the exit status.
Verdict Exit(CommandLine& result, int code)
{
    result.serve = false;
    result.exitCode = code;
    return Verdict::Stop;
}

// A configuration file that cannot be written or read ends the program: a
// host who asked for one file must not get another, or the defaults, silently.
Verdict ConfigFileFailed(const char* verb, const char* path, CommandLine& result)
{
    std::fprintf(stderr, "Failed to %s configuration file \"%s\": %s\n", verb, path, std::strerror(errno));
    return Exit(result, kExitFileFailed);
}

Verdict DumpConfig(const char* path, CommandLine& result)
{
    errno = 0;
    if (!SaveConfig(path))
        return ConfigFileFailed("write", path, result);
    std::printf("Wrote current configuration to file \"%s\"\n", path);
    return Exit(result, 0);
}

Verdict LoadConfigOption(const char* path, CommandLine& result)
{
    errno = 0;
    if (!LoadConfig(path))
        return ConfigFileFailed("read", path, result);
    std::printf("Loaded configuration from file \"%s\"\n", path);
    return Verdict::Next;
}

// How a numeric option names itself when its value is out of range.
struct NumberRule
{
    const char* what;
    const char* unit;
    uint32_t lowest;
    uint32_t highest;
};

// A whole number within the rule into `target`; otherwise says which numbers
// the option takes and ends with the usage error.
cmdline::Option NumberOption(std::string_view name, NumberRule rule, uint32_t& target, CommandLine& result)
{
    cmdline::Option option = cmdline::NumberOption(name, target, rule.lowest, rule.highest);
    option.handle = [read = option.handle, rule, &result](const char* value)
    {
        if (read(value) == Verdict::Next)
            return Verdict::Next;
        std::fprintf(stderr, "Invalid %s \"%s\": give %s from %u to %u.\n", rule.what, value, rule.unit,
                     rule.lowest, rule.highest);
        return Exit(result, kExitUsage);
    };
    return option;
}

Verdict AdministratorsOption(const char* text, CommandLine& result)
{
    if (std::optional<std::vector<uint32_t>> addresses = CAdministrators::ParseList(text))
    {
        result.options.administrators = std::move(*addresses);
        return Verdict::Next;
    }
    std::fprintf(stderr,
                 "Invalid administrator addresses \"%s\": give IPv4 addresses such as 192.168.1.20, "
                 "separated by commas without spaces.\n",
                 text);
    return Exit(result, kExitUsage);
}

Verdict BindOption(const char* text, CommandLine& result)
{
    if (std::optional<uint32_t> address = session::HostAddress::ParseIpv4(text))
    {
        result.options.bindIpv4 = *address;
        return Verdict::Next;
    }
    std::fprintf(stderr, "Invalid bind address \"%s\": give one IPv4 address such as 127.0.0.2.\n", text);
    return Exit(result, kExitUsage);
}

Verdict MasterOption(const char* text, CommandLine& result)
{
    if (std::optional<std::vector<MasterServer>> masters = ParseMasterList(text))
    {
        result.options.masters = std::move(*masters);
        return Verdict::Next;
    }
    std::fprintf(stderr,
                 "Invalid master servers \"%s\": give HOST or HOST:PORT (port 1 to 65535), separated by "
                 "commas without spaces.\n",
                 text);
    return Exit(result, kExitUsage);
}

std::vector<cmdline::Option> OptionTable(CommandLine& result)
{
    ServerOptions& chosen = result.options;
    auto help = [&result](const char*)
    {
        std::fputs(kUsage, stdout);
        return Exit(result, 0);
    };
    auto version = [&result](const char*)
    {
        std::printf("QuorvexServer %0.2f\n", kGameVersion);
        return Exit(result, 0);
    };
    auto name = [&chosen](const char* value)
    {
        chosen.sessionName.assign(value, std::min(std::strlen(value), kMaxSessionName));
        return Verdict::Next;
    };
    return {
        {"-help", false, help},
        {"-h", false, help},
        {"-version", false, version},
        {"-name", true, name},
        {"-dumpcfg", true, [&result](const char* path) { return DumpConfig(path, result); }},
        {"-loadcfg", true, [&result](const char* path) { return LoadConfigOption(path, result); }},
        NumberOption("-port", {"port", "a number", 1, 65535}, chosen.port, result),
        NumberOption("-sendrate", {"send rate", "a number of batches a second", 1, 1000}, chosen.sendRate,
                     result),
        NumberOption("-stats", {"stats interval", "a number of seconds", 1, 3600}, chosen.statsSeconds,
                     result),
        {"-bind", true, [&result](const char* text) { return BindOption(text, result); }},
        {"-admin", true, [&result](const char* text) { return AdministratorsOption(text, result); }},
        {"-master", true, [&result](const char* text) { return MasterOption(text, result); }},
        {"-control", true,
         [&chosen](const char* path)
         {
             chosen.controlPath = path;
             return Verdict::Next;
         }},
        {"-banlist", true,
         [&chosen](const char* path)
         {
             chosen.banListPath = path;
             return Verdict::Next;
         }},
        NumberOption("-bots", {"bot count", "a number of ships", 0, kMaxBots}, chosen.bots, result),
    };
}

// A mistake on the command line (an unknown option, a value missing at the
// end) ends the program with the usage, so that "--prot 3900" cannot serve on
// the default port unnoticed.
void ReportMistake(const cmdline::Outcome& outcome, CommandLine& result)
{
    std::fprintf(stderr, "QuorvexServer: %s\n\n%s", cmdline::Describe(outcome).c_str(), kUsage);
    Exit(result, kExitUsage);
}

} // namespace

CommandLine ParseCommandLine(int argc, char** argv)
{
    CommandLine result;
    std::vector<cmdline::Option> table = OptionTable(result);
    cmdline::Outcome outcome =
        cmdline::ParseOptions(table, argc, argv, {.ignoreCase = true, .doubleDash = true});
    if (outcome.kind == cmdline::Outcome::Kind::Unknown ||
        outcome.kind == cmdline::Outcome::Kind::MissingValue)
        ReportMistake(outcome, result);
    if (result.options.sessionName.empty())
        result.options.sessionName = kDefaultSessionName;
    return result;
}

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
    CommandLine commandLine = ParseCommandLine(argc, argv);
    if (!commandLine.serve)
        return commandLine.exitCode;
    // After the command line, so that -version and -help print only their own text.
    std::printf("Quorvex Console Server v%0.2f\n\n", kGameVersion);
    platform::InstallReportRequestHandler(OnReportRequest);

    std::atomic<int> threadResult{0};
    std::thread serverThread;
    bool started = launch([&] { threadResult = RunServerThread(commandLine.options); }, serverThread);
    if (!started)
    {
        std::printf("Unable to create server thread for some reason.\n");
        return kExitNoThread;
    }
    // Signals only set flags the server thread reads, so the main thread has
    // nothing to do but wait for it to end, asleep.
    serverThread.join();
    return threadResult;
}

} // namespace server
