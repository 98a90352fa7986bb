#include "tools/master/MasterOptions.h"

#include "common/OptionTable.h"

#include <arpa/inet.h>

namespace master
{

const char* const kUsage =
    "Usage: QuorvexMaster [--port N] [--bind ADDRESS] [--expiry SECONDS] [--challenge-timeout SECONDS]\n"
    "       QuorvexMaster --help | --version\n"
    "\n"
    "A master server for Quorvex: game servers announce themselves to it with heartbeats,\n"
    "and clients ask it for the servers to show in their browsers (the DarkPlaces master\n"
    "protocol). A server is listed only after it answers a random challenge from the\n"
    "address its heartbeat came from, and dropped when it has not answered for the expiry.\n"
    "\n"
    "  --port N                     listen on UDP port N (default 27950)\n"
    "  --bind ADDRESS               listen only on this IPv4 address of the machine\n"
    "                               (default: every address)\n"
    "  --expiry SECONDS             drop a server not heard from for this long (default 900)\n"
    "  --challenge-timeout SECONDS  forget a challenge not answered within this time (default 5)\n"
    "  --help                       print this text and exit\n"
    "  --version                    print the version and exit\n"
    "\n"
    "Output: \"Listening on ADDRESS:PORT\" once ready, then one line for every server listed\n"
    "(\"Listed 192.0.2.7:3001 (Quorvex Server)\") and dropped (\"Dropped 192.0.2.7:3001: not\n"
    "heard from for 900 s\"). At most 16 servers per IPv4 address, 4096 in all, 4096\n"
    "challenges waiting, and 8 answers per second to each address; the rest is ignored.\n"
    "Exit status: 0 after SIGINT or SIGTERM, 1 bad arguments, 2 the port could not be opened.\n";

namespace
{

cmdline::Option BindOption(uint32_t& target)
{
    return cmdline::ValueOption("--bind",
                                [&target](const std::string& value)
                                {
                                    in_addr address{};
                                    if (inet_pton(AF_INET, value.c_str(), &address) != 1)
                                        return false;
                                    target = ntohl(address.s_addr);
                                    return true;
                                });
}

cmdline::Option ResultOption(std::string_view name, ParseResult& result, ParseResult chosen)
{
    return {name, false,
            [&result, chosen](const char*)
            {
                result = chosen;
                return cmdline::Verdict::Stop;
            }};
}

} // namespace

ParseResult ParseOptions(int argc, char** argv, MasterOptions& options, std::string& error)
{
    ParseResult result = ParseResult::Run;
    const std::vector<cmdline::Option> table = {
        ResultOption("--help", result, ParseResult::Help),
        ResultOption("-h", result, ParseResult::Help),
        ResultOption("--version", result, ParseResult::Version),
        cmdline::NumberOption<uint16_t>("--port", options.port, 1, 65535),
        BindOption(options.bindIpv4),
        cmdline::NumberOption<uint32_t>("--expiry", options.expiryS, 1, 30 * 24 * 3600),
        cmdline::NumberOption<uint32_t>("--challenge-timeout", options.challengeTimeoutS, 1, 3600),
    };
    if (cmdline::ParseToolOptions(table, argc, argv, error))
        return ParseResult::Run;
    return error.empty() ? result : ParseResult::Mistake;
}

} // namespace master
