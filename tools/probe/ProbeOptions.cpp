#include "tools/probe/ProbeOptions.h"

#include "common/OptionTable.h"
#include "session/SessionTypes.h"

#include <charconv>
#include <sstream>

namespace probe
{

const char* const kUsage =
    "Usage: QuorvexProbe --control PATH COMMAND\n"
    "       QuorvexProbe [--host NAME] [--port N] [--bind ADDR] [--enum] [--master HOST[:PORT]]\n"
    "                    [--name TEXT] [--ship N] [--join] [--keys LIST] [--chat TEXT]\n"
    "                    [--send HEX]... [--send-every MS] [--ping] [--duration MS] [--bots N] [--world]\n"
    "\n"
    "A scriptable Quorvex client. It connects to a server, sends what it is told, and prints\n"
    "every game message it receives.\n"
    "\n"
    "  --control PATH COMMAND\n"
    "                   send one console command (such as \"status\") to the server whose\n"
    "                   -control socket is PATH and print the answer; exit status 1 when the\n"
    "                   answer is an error, 3 when no server listens there\n"
    "  --host NAME      server to use (default 127.0.0.1)\n"
    "  --port N         server's UDP port (default 3001)\n"
    "  --bind ADDR      send from this local IPv4 address (e.g. 127.0.0.5, to stand for another\n"
    "                   machine on loopback); not with --world\n"
    "  --enum           search for servers instead: the named host, or the local network when\n"
    "                   --host is not given; asks each for its info (getinfo) and prints\n"
    "                   SERVER<TAB>name<TAB>max<TAB>people<TAB>map<TAB>bots<TAB>version<TAB>\n"
    "                   ping ms<TAB>address:port (\"?\" for what a server did not say)\n"
    "  --master HOST[:PORT]\n"
    "                   ask this master server (port 27950 by default) for its Quorvex servers\n"
    "                   and print each as address:port, one a line; with --enum the SERVER\n"
    "                   line of each instead\n"
    "  --join           register as a player (MSG_JOIN with --ship and --name)\n"
    "  --name TEXT      player name (default Probe)\n"
    "  --ship N         ship type (default 0)\n"
    "  --send HEX       send these raw bytes as one packet (may be repeated)\n"
    "  --send-every MS  send the --send packets again every MS milliseconds (1 or more) for the\n"
    "                   whole --duration, as a flood would\n"
    "  --chat TEXT      send one chat line\n"
    "  --keys LIST      hold these action codes (e.g. 9,11): MSG_KEYS every 20 ms\n"
    "  --ping           ping once a second and print PONG <round trip in ms, to 0.1>\n"
    "  --duration MS    stay connected this long (default 3000), then leave cleanly\n"
    "  --bots N         run N such clients (names suffixed 1..N) and print a summary of each;\n"
    "                   they stop early once the server has ended every one's session\n"
    "  --world          be a headless game client instead: the client session keeps its own\n"
    "                   world, registers (MSG_JOIN) on its own, sends the --keys (or 0) every\n"
    "                   20 ms and pings once a second; --send packets go as the messages they\n"
    "                   decode to. Finds the server by asking --host.\n"
    "\n"
    "Output: CONNECTED, then MSG <ms since connect> <hex> per message received (BADBATCH for a\n"
    "packet that cannot be parsed), TERMINATED if the server ends the session.\n"
    "With --ping: PONG <ms> before the pong's MSG line, the time from the ping leaving to its\n"
    "answer arriving (BADPONG <clock> for a pong that answers no ping of this probe).\n"
    "With --bots N: BOT <i> <name> messages=<received> bytes=<received> datagrams=<received>\n"
    "[ terminated] for each: game messages, the bytes of the packets that carried them, and\n"
    "the UDP datagrams that arrived (the session's own included).\n"
    "With --world: CONSOLE <text> for each console line as it is printed, CONNECTED or REFUSED,\n"
    "TERMINATED if the server ends the session, and at the end one line per ship of the world,\n"
    "WORLD SHIP <id> <name> <active 0|1> <x> <y> <frags>, then one line of object counts,\n"
    "WORLD OBJECTS bullet=N missile=N mine=N plasmamine=N powerup=N shrapnel=N turret=N.\n"
    "With --bots N --world: the same BOT line for each, followed by its WORLD lines; console\n"
    "lines are not printed.\n"
    "With --world, SIGUSR1 prints those lines (the BOT and WORLD lines, or the WORLD lines) at\n"
    "once, as the worlds are then, and the probe goes on.\n"
    "With --master: exit status 3 when the master is unknown or does not answer.\n"
    "Exit status: 0 done, 2 refused, 3 host unknown or unreachable, 4 terminated by the server,\n"
    "5 banned (BANNED instead of REFUSED), 1 bad arguments.\n";

namespace
{

bool ParseHex(const std::string& text, std::vector<uint8_t>& out)
{
    if (text.size() % 2 != 0)
        return false;
    out.clear();
    for (size_t i = 0; i < text.size(); i += 2)
    {
        uint8_t byte = 0;
        auto [end, error] = std::from_chars(text.data() + i, text.data() + i + 2, byte, 16);
        if (error != std::errc() || end != text.data() + i + 2)
            return false;
        out.push_back(byte);
    }
    return true;
}

bool ParseAddress(const std::string& text, uint32_t& out)
{
    std::optional<uint32_t> address = session::HostAddress::ParseIpv4(text);
    out = address.value_or(0);
    return address.has_value();
}

bool ParseMaster(const std::string& text, ProbeOptions& options)
{
    size_t colon = text.rfind(':');
    if (colon != std::string::npos &&
        (!ParseExactNumber(text.substr(colon + 1), options.masterPort) || options.masterPort == 0))
        return false;
    options.masterHost = text.substr(0, colon);
    return !options.masterHost->empty();
}

bool ParseKeys(const std::string& text, std::vector<uint32_t>& out)
{
    std::stringstream in(text);
    for (std::string item; std::getline(in, item, ',');)
    {
        uint32_t code = 0;
        if (!ParseExactNumber(item, code))
            return false;
        out.push_back(code);
    }
    return !out.empty();
}

std::vector<cmdline::Option> OptionTable(ProbeOptions& options)
{
    auto host = [&options](const std::string& value)
    {
        options.hostGiven = true;
        options.host = value;
        return !value.empty();
    };
    return {
        cmdline::StopOption("--help"),
        cmdline::StopOption("-h"),
        cmdline::Flag("--enum", [&options] { options.enumerate = true; }),
        cmdline::Flag("--join", [&options] { options.join = true; }),
        cmdline::Flag("--ping", [&options] { options.ping = true; }),
        cmdline::Flag("--world", [&options] { options.world = true; }),
        cmdline::ValueOption("--host", host),
        cmdline::NumberOption<uint16_t>("--port", options.port, 1),
        cmdline::ValueOption("--bind", [&options](const std::string& value)
                             { return ParseAddress(value, options.bindIpv4); }),
        cmdline::ValueOption("--master",
                             [&options](const std::string& value) { return ParseMaster(value, options); }),
        cmdline::ValueOption("--name",
                             [&options](const std::string& value) { return options.name = value, true; }),
        cmdline::NumberOption("--ship", options.shipType),
        cmdline::ValueOption("--keys",
                             [&options](const std::string& value) { return ParseKeys(value, options.keys); }),
        cmdline::ValueOption("--chat",
                             [&options](const std::string& value) { return options.chat = value, true; }),
        cmdline::ValueOption("--send", [&options](const std::string& value)
                             { return ParseHex(value, options.sends.emplace_back()); }),
        cmdline::NumberOption<uint32_t>("--send-every", options.sendEveryMs, 1),
        cmdline::NumberOption("--duration", options.durationMs),
        cmdline::NumberOption("--bots", options.bots, 1, 4000),
    };
}

// What no single option can check: options that need or exclude another.
std::string CheckCombinations(const ProbeOptions& options)
{
    if (options.sendEveryMs != 0 && options.sends.empty())
        return "--send-every repeats the --send packets, and none was given";
    if (options.bindIpv4 != 0 && options.world)
        return "--bind does not work with --world";
    return "";
}

} // namespace

std::optional<ProbeOptions> ParseOptions(int argc, char** argv, std::string& error)
{
    ProbeOptions options;
    if (!cmdline::ParseToolOptions(OptionTable(options), argc, argv, error))
        return std::nullopt;
    error = CheckCombinations(options);
    if (!error.empty())
        return std::nullopt;
    return options;
}

} // namespace probe
