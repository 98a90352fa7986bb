#include "tools/impair/ImpairOptions.h"

#include "common/OptionTable.h"

#include <arpa/inet.h>

namespace impair
{

const char* const kUsage =
    "Usage: QuorvexImpair --server ADDR:PORT [--listen ADDR:PORT] [--delay MS] [--jitter MS]\n"
    "                     [--loss PCT] [--duplicate PCT] [--reorder PCT] [--seed N] [--duration S]\n"
    "                     [--impair-after S] [--impair-for S] [--to-clients-only]\n"
    "\n"
    "A UDP relay that plays a bad network between game clients and a server, for tests.\n"
    "Clients send to the --listen address; each client address gets a socket of its own\n"
    "towards the server, so the server sees every client separately. Datagrams in both\n"
    "directions are delayed, lost, duplicated and reordered as told. It sends only to the\n"
    "server and to the clients that sent to it. Addresses are numeric IPv4.\n"
    "\n"
    "  --server ADDR:PORT  where the game server listens (required)\n"
    "  --listen ADDR:PORT  where clients send (default 127.0.0.1:0, any free port)\n"
    "  --delay MS          hold every datagram this long (default 0)\n"
    "  --jitter MS         plus or minus up to this much, never below 0 (default 0);\n"
    "                      datagrams still leave in the order they came\n"
    "  --loss PCT          drop this percentage of datagrams (default 0)\n"
    "  --duplicate PCT     send this percentage twice (default 0)\n"
    "  --reorder PCT       send this percentage at once, ahead of those held back (default 0)\n"
    "  --seed N            seed of the decisions: one seed, the same decisions (default 1)\n"
    "  --duration S        stop after S seconds (default: run until SIGINT or SIGTERM)\n"
    "  --impair-after S    pass datagrams untouched for the first S seconds (say, while\n"
    "                      clients join), then impair them (default 0)\n"
    "  --impair-for S      lift the impairment after S seconds of it (default: never)\n"
    "  --to-clients-only   impair only what the server sends; the clients' datagrams to\n"
    "                      the server pass untouched\n"
    "\n"
    "SIGUSR1 lifts the impairment at once. Datagrams held back then leave at once, and\n"
    "later ones pass untouched.\n"
    "\n"
    "Output: \"Relaying ADDR:PORT to ADDR:PORT\" once listening, \"Client N: ADDR:PORT\" for each\n"
    "new client, \"Impairing: ...\" when the impairment starts, \"Impairment lifted.\" when it\n"
    "ends, and \"Done: ...\" with what became of the datagrams at the end.\n"
    "At most 64 clients and 8192 held datagrams; more are dropped and counted.\n"
    "Exit status: 0 done, 1 bad arguments, 2 a socket could not be opened.\n";

namespace
{

bool ParseAddress(const std::string& text, sockaddr_in& out)
{
    size_t colon = text.rfind(':');
    uint16_t port = 0;
    if (colon == std::string::npos || !ParseExactNumber(text.substr(colon + 1), port))
        return false;
    out = sockaddr_in{};
    out.sin_family = AF_INET;
    out.sin_port = htons(port);
    return inet_pton(AF_INET, text.substr(0, colon).c_str(), &out.sin_addr) == 1;
}

cmdline::Option AddressOption(std::string_view name, sockaddr_in& target, bool needsPort)
{
    return cmdline::ValueOption(
        name, [&target, needsPort](const std::string& value)
        { return ParseAddress(value, target) && (!needsPort || target.sin_port != 0); });
}

std::vector<cmdline::Option> OptionTable(ImpairOptions& options)
{
    Impairment& impairment = options.impairment;
    return {
        cmdline::StopOption("--help"),
        cmdline::StopOption("-h"),
        AddressOption("--listen", options.listen, false),
        AddressOption("--server", options.server, true),
        cmdline::NumberOption<uint32_t>("--delay", impairment.delayMs, 0, 60000),
        cmdline::NumberOption<uint32_t>("--jitter", impairment.jitterMs, 0, 60000),
        cmdline::NumberOption("--loss", impairment.lossPercent, 0.0, 100.0),
        cmdline::NumberOption("--duplicate", impairment.duplicatePercent, 0.0, 100.0),
        cmdline::NumberOption("--reorder", impairment.reorderPercent, 0.0, 100.0),
        cmdline::NumberOption("--seed", options.seed),
        cmdline::NumberOption("--duration", options.durationS),
        cmdline::NumberOption("--impair-after", options.impairAfterS),
        cmdline::NumberOption("--impair-for", options.impairForS),
        cmdline::Flag("--to-clients-only", [&options] { options.toClientsOnly = true; }),
    };
}

} // namespace

std::optional<ImpairOptions> ParseOptions(int argc, char** argv, std::string& error)
{
    ImpairOptions options;
    ParseAddress("127.0.0.1:0", options.listen);
    if (!cmdline::ParseToolOptions(OptionTable(options), argc, argv, error))
        return std::nullopt;
    if (options.server.sin_port == 0)
    {
        error = "--server ADDR:PORT is required";
        return std::nullopt;
    }
    return options;
}

std::string ToString(const sockaddr_in& address)
{
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
}

} // namespace impair
