// QuorvexProbe: a scriptable client for tests, debugging and load. See
// ProbeOptions.cpp for its command line and output.
#include "net/GameIdentity.h"
#include "tools/probe/ControlCommand.h"
#include "tools/probe/ProbeConnection.h"
#include "tools/probe/ProbeOptions.h"
#include "tools/probe/ProbeWorld.h"
#include "tools/probe/PumpLoop.h"
#include "tools/probe/ServerQueries.h"

#include <cstdio>
#include <map>
#include <memory>
#include <string_view>

using namespace probe;

namespace
{
// How long servers and masters have to answer the master protocol's queries.
constexpr uint32_t kQueryTimeoutMs = 1500;

// Gathers the line of each server that answers the search, once per run of
// a server.
class Enumerator : public session::ISessionClientEvents
{
public:
    void OnEnumHostsResponse(const session::SessionDescription& session,
                             const session::HostAddress& address) override
    {
        if (!m_seen.emplace(session.instance.ToString(), true).second)
            return;
        auto shown = [](uint32_t count) { return std::to_string(count == 0 ? 0 : count - 1); };
        ServerLine line;
        line.address = address;
        line.name = session.sessionName;
        line.maxPlayers = shown(session.maxPlayers);
        line.people = shown(session.currentPlayers);
        servers.push_back(line);
    }
    void OnConnectComplete(session::ConnectResult) override {}
    void OnTerminateSession() override {}
    void OnReceive(const uint8_t*, size_t) override {}

    std::vector<ServerLine> servers;

private:
    std::map<std::string, bool> m_seen;
};

void PrintWithInfo(std::vector<ServerLine> servers, const ProbeOptions& options)
{
    AskForInfo(servers, options.bindIpv4, kQueryTimeoutMs);
    for (const ServerLine& server : servers)
        PrintServerLine(server, stdout);
    std::fflush(stdout);
}

int Enumerate(const ProbeOptions& options)
{
    Enumerator events;
    session::CSessionClient session(events);
    session::EnumParams params;
    params.hostName = options.hostGiven ? options.host : "";
    params.port = options.port;
    params.application = game_identity::ApplicationGuid();
    session::EnumResult result = session.EnumHosts(params);
    if (result == session::EnumResult::UnknownHost)
    {
        std::fprintf(stderr, "Cannot resolve host \"%s\"; check the name.\n", options.host.c_str());
        return kExitUnreachable;
    }
    if (result == session::EnumResult::NoNetwork)
    {
        std::fprintf(stderr, "No network to search on.\n");
        return kExitUnreachable;
    }
    PrintWithInfo(events.servers, options);
    return 0;
}

int ListMaster(const ProbeOptions& options)
{
    session::HostAddress master;
    if (!session::CSessionClient::Resolve(*options.masterHost, options.masterPort, master))
    {
        std::fprintf(stderr, "Cannot resolve master \"%s\"; check the name.\n", options.masterHost->c_str());
        return kExitUnreachable;
    }
    auto servers = AskMaster(master, options.bindIpv4, kQueryTimeoutMs);
    if (!servers)
    {
        std::fprintf(stderr, "No answer from the master at %s.\n", master.ToString().c_str());
        return kExitUnreachable;
    }
    std::vector<ServerLine> lines(options.enumerate ? servers->size() : 0);
    for (size_t i = 0; i < servers->size(); ++i)
        if (options.enumerate)
            lines[i].address = (*servers)[i];
        else
            std::printf("%s\n", (*servers)[i].ToString().c_str());
    PrintWithInfo(lines, options);
    return 0;
}

int ReportConnectFailure(session::ConnectResult result, const ProbeOptions& options)
{
    if (result == session::ConnectResult::Unreachable)
    {
        std::fprintf(stderr, "No answer from %s port %u; is a server running there?\n", options.host.c_str(),
                     options.port);
        return kExitUnreachable;
    }
    bool banned = result == session::ConnectResult::Banned;
    std::printf(banned ? "BANNED\n" : "REFUSED\n");
    return banned ? kExitBanned : kExitRefused;
}

// Runs one probe client to its end.
int RunSingle(const ProbeOptions& options, const session::HostAddress& server)
{
    ProbeConnection connection(options, options.name, stdout);
    session::ConnectResult result = connection.Connect(server);
    if (result != session::ConnectResult::Connected)
        return ReportConnectFailure(result, options);
    std::printf("CONNECTED\n");
    std::fflush(stdout);
    connection.SendOpening();
    uint64_t end = NowMs() + options.durationMs;
    for (uint64_t now = NowMs(); now < end; now = NowMs())
    {
        connection.Pump(now);
        if (connection.IsTerminated())
        {
            std::printf("TERMINATED\n");
            return kExitTerminated;
        }
        connection.WaitForTraffic(5);
    }
    connection.Close();
    return 0;
}

// Runs N clients side by side; prints only a summary of each.
int RunBots(const ProbeOptions& options, const session::HostAddress& server)
{
    std::vector<std::unique_ptr<ProbeConnection>> bots;
    for (int i = 1; i <= options.bots; ++i)
    {
        auto bot = std::make_unique<ProbeConnection>(options, options.name + std::to_string(i), nullptr);
        session::ConnectResult result = bot->Connect(server);
        if (result != session::ConnectResult::Connected)
        {
            std::fprintf(stderr, "Bot %d could not connect.\n", i);
            return ReportConnectFailure(result, options);
        }
        bot->SendOpening();
        bots.push_back(std::move(bot));
    }
    PumpAll(bots, options.durationMs);
    for (size_t i = 0; i < bots.size(); ++i)
    {
        bots[i]->Close();
        std::printf("BOT %zu %s messages=%llu bytes=%llu datagrams=%llu%s\n", i + 1,
                    bots[i]->GetName().c_str(), static_cast<unsigned long long>(bots[i]->GetMessages()),
                    static_cast<unsigned long long>(bots[i]->GetBytes()),
                    static_cast<unsigned long long>(bots[i]->GetDatagrams()),
                    bots[i]->IsTerminated() ? " terminated" : "");
    }
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string_view(argv[1]) == "--control")
        return SendControlCommand(argv[2], argv[3]);
    std::string error;
    std::optional<ProbeOptions> options = ParseOptions(argc, argv, error);
    if (!options)
    {
        if (error.empty())
        {
            std::fputs(kUsage, stdout);
            return 0;
        }
        std::fprintf(stderr, "QuorvexProbe: %s. Try --help.\n", error.c_str());
        return kExitBadArguments;
    }
    if (options->masterHost)
        return ListMaster(*options);
    if (options->enumerate)
        return Enumerate(*options);
    if (options->world && options->bots == 0)
        return RunWorld(*options);
    session::HostAddress server;
    if (!session::CSessionClient::Resolve(options->host, options->port, server))
    {
        std::fprintf(stderr, "Cannot resolve host \"%s\"; check the name.\n", options->host.c_str());
        return kExitUnreachable;
    }
    if (options->world)
        return RunWorldBots(*options, server);
    return options->bots > 0 ? RunBots(*options, server) : RunSingle(*options, server);
}
