#include "tools/probe/ServerQueries.h"

#include "session/MasterWire.h"
#include "session/SessionWire.h"
#include "tools/probe/ProbeConnection.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <map>

namespace probe
{
namespace
{
namespace sm = session::master;
using session::HostAddress;

// Unanswered queries go again this often: a datagram may be lost, and a
// server answers only a few queries a second from one address.
constexpr uint64_t kResendMs = 300;

sockaddr_in ToSockaddr(uint32_t ipv4, uint16_t port)
{
    sockaddr_in out{};
    out.sin_family = AF_INET;
    out.sin_addr.s_addr = htonl(ipv4);
    out.sin_port = htons(port);
    return out;
}

// A UDP socket on a port the system picks, read with a deadline.
class QuerySocket
{
public:
    explicit QuerySocket(uint32_t bindIpv4)
    {
        m_fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in local = ToSockaddr(bindIpv4, 0);
        if (m_fd >= 0 && bindIpv4 != 0)
            bind(m_fd, reinterpret_cast<const sockaddr*>(&local), sizeof local);
    }
    ~QuerySocket()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    QuerySocket(const QuerySocket&) = delete;
    QuerySocket& operator=(const QuerySocket&) = delete;

    void Send(const HostAddress& to, const std::vector<uint8_t>& bytes)
    {
        sockaddr_in address = ToSockaddr(to.ipv4, to.port);
        sendto(m_fd, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&address),
               sizeof address);
    }

    // The next datagram that arrives before `deadlineMs`; false when none.
    bool Receive(uint64_t deadlineMs, std::vector<uint8_t>& bytes, HostAddress& from)
    {
        uint64_t now = NowMs();
        pollfd wait = {m_fd, POLLIN, 0};
        if (now >= deadlineMs || poll(&wait, 1, static_cast<int>(deadlineMs - now)) <= 0)
            return false;
        bytes.resize(sm::kMaxMasterDatagram + 1); // one more: an oversized datagram is refused, not cut
        sockaddr_in source{};
        socklen_t length = sizeof source;
        ssize_t size =
            recvfrom(m_fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&source), &length);
        if (size < 0 || length != sizeof source)
            return bytes.clear(), true;
        bytes.resize(size_t(size));
        from = {ntohl(source.sin_addr.s_addr), ntohs(source.sin_port)};
        return true;
    }

private:
    int m_fd = -1;
};

const std::string* Find(const sm::InfoPairs& pairs, std::string_view key)
{
    auto it = std::find_if(pairs.begin(), pairs.end(), [key](const auto& pair) { return pair.first == key; });
    return it == pairs.end() ? nullptr : &it->second;
}

void Fill(ServerLine& server, const sm::InfoPairs& info, uint32_t pingMs)
{
    const std::pair<const char*, std::string*> fields[] = {
        {"hostname", &server.name},  {"sv_maxclients", &server.maxPlayers},
        {"clients", &server.people}, {"mapname", &server.map},
        {"bots", &server.bots},      {"gameversion", &server.version}};
    for (const auto& [key, field] : fields)
        if (const std::string* value = Find(info, key))
            *field = *value;
    server.pingMs = pingMs;
}

std::vector<HostAddress> WithoutRepeats(const std::vector<sm::ServerAddress>& found)
{
    std::vector<HostAddress> servers;
    for (const sm::ServerAddress& address : found)
    {
        HostAddress server{address.ipv4, address.port};
        if (std::find(servers.begin(), servers.end(), server) == servers.end())
            servers.push_back(server);
    }
    return servers;
}
struct InfoQuery
{
    size_t server = 0;
    uint64_t sentMs = 0;
};

// A getinfo to each server not yet answered, each with a challenge of its own.
void AskUnanswered(QuerySocket& socket, const std::vector<ServerLine>& servers,
                   const std::vector<bool>& answered, std::map<std::string, InfoQuery>& queries,
                   uint64_t nowMs)
{
    for (size_t i = 0; i < servers.size(); ++i)
    {
        if (answered[i])
            continue;
        std::string challenge = "probe" + std::to_string(queries.size());
        queries[challenge] = {i, nowMs};
        socket.Send(servers[i].address, sm::MakeGetInfo(challenge));
    }
}
} // namespace

std::optional<std::vector<HostAddress>> AskMaster(const HostAddress& master, uint32_t bindIpv4,
                                                  uint32_t timeoutMs)
{
    QuerySocket socket(bindIpv4);
    std::vector<uint8_t> query = sm::MakeGetServers(session::wire::kVersion, true, true);
    std::vector<sm::ServerAddress> found;
    bool answered = false, ended = false;
    uint64_t end = NowMs() + timeoutMs, resend = 0;
    for (uint64_t now = NowMs(); now < end && !ended; now = NowMs())
    {
        if (!answered && now >= resend)
        {
            socket.Send(master, query);
            resend = now + kResendMs;
        }
        std::vector<uint8_t> bytes;
        HostAddress from;
        if (socket.Receive(answered ? end : std::min(end, resend), bytes, from) && from == master)
            answered |= sm::ParseGetServersResponse(bytes.data(), bytes.size(), found, ended);
    }
    if (!answered)
        return std::nullopt;
    return WithoutRepeats(found);
}

void AskForInfo(std::vector<ServerLine>& servers, uint32_t bindIpv4, uint32_t timeoutMs)
{
    QuerySocket socket(bindIpv4);
    std::map<std::string, InfoQuery> queries; // by challenge, each query's own
    std::vector<bool> answered(servers.size(), false);
    size_t unanswered = servers.size();
    uint64_t end = NowMs() + timeoutMs, resend = 0;
    for (uint64_t now = NowMs(); now < end && unanswered > 0; now = NowMs())
    {
        if (now >= resend)
        {
            AskUnanswered(socket, servers, answered, queries, now);
            resend = now + kResendMs;
        }
        std::vector<uint8_t> bytes;
        HostAddress from;
        sm::InfoPairs info;
        if (!socket.Receive(std::min(end, resend), bytes, from) ||
            !sm::ParseInfoResponse(bytes.data(), bytes.size(), info))
            continue;
        const std::string* challenge = Find(info, "challenge");
        auto query = challenge ? queries.find(*challenge) : queries.end();
        if (query == queries.end() || answered[query->second.server] ||
            servers[query->second.server].address != from)
            continue;
        Fill(servers[query->second.server], info, static_cast<uint32_t>(NowMs() - query->second.sentMs));
        answered[query->second.server] = true;
        --unanswered;
    }
}

void PrintServerLine(const ServerLine& server, std::FILE* out)
{
    std::string ping = server.pingMs ? std::to_string(*server.pingMs) : "?";
    std::fprintf(out, "SERVER\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n", sm::SafeInfoValue(server.name).c_str(),
                 server.maxPlayers.c_str(), server.people.c_str(), server.map.c_str(), server.bots.c_str(),
                 server.version.c_str(), ping.c_str(), server.address.ToString().c_str());
}

} // namespace probe
