#include "session/SessionClient.h"

#include "session/EnetSupport.h"
#include "session/SessionWire.h"

#include <algorithm>
#include <arpa/inet.h>
#include <charconv>
#include <cstdlib>
#include <deque>
#include <functional>
#include <ifaddrs.h>
#include <net/if.h>
#include <random>
#include <sstream>

namespace session
{
namespace
{
constexpr uint64_t kConnectTimeoutMs = 5000;
constexpr uint64_t kCookieRetryMs = 250;
constexpr uint64_t kCloseLingerMs = 200;
constexpr uint32_t kLoopbackBroadcast = 0x7FFFFFFF; // 127.255.255.255
// Game packets that overtake the welcome are kept for the first DoWork, up to
// a bound in count and in bytes; the rest are dropped, as unreliable traffic
// may be.
constexpr size_t kMostEarlyPackets = 256;
constexpr size_t kMostEarlyBytes = enet::kMaximumPacketSize;
constexpr size_t kLargestAnswer = 2048;
// getinfo goes out in these search rounds only: the server answers an
// address a few times a second, and two asks cover a lost datagram.
constexpr int kInfoRounds[] = {0, 2};
// Bounds what a list of masters can make the client ask.
constexpr size_t kMostListedServers = 256;

ConnectResult ResultForRefusal(enet_uint32 reason)
{
    switch (reason)
    {
    case wire::kServerFull:
        return ConnectResult::ServerFull;
    case wire::kWrongApplication:
        return ConnectResult::WrongApplication;
    case wire::kBadHandshake:
        return ConnectResult::BadHandshake;
    case wire::kSessionClosed:
        return ConnectResult::ServerClosing;
    default:
        return ConnectResult::Refused;
    }
}

void AddUnique(std::vector<HostAddress>& targets, HostAddress address)
{
    if (std::find(targets.begin(), targets.end(), address) == targets.end())
        targets.push_back(address);
}

void SendTo(ENetSocket socket, const HostAddress& target, std::vector<uint8_t>& datagram)
{
    ENetAddress to = enet::ToEnet(target);
    ENetBuffer buffer{datagram.data(), datagram.size()};
    enet_socket_send(socket, &to, &buffer, 1);
}

std::string InfoChallenge(uint32_t token, size_t round)
{
    return "qvx" + std::to_string(token) + "-" + std::to_string(round);
}

using DatagramHandler = std::function<bool(const uint8_t* data, size_t size, const ENetAddress& from)>;

// Hands every datagram that arrives on `socket` to `take` until `take` returns
// true (then true) or `untilMs` passes (then false).
bool ReceiveUntil(ENetSocket socket, uint64_t untilMs, const DatagramHandler& take)
{
    uint8_t data[kLargestAnswer];
    for (uint64_t now = enet::NowMs(); now < untilMs; now = enet::NowMs())
    {
        enet_uint32 condition = ENET_SOCKET_WAIT_RECEIVE;
        if (enet_socket_wait(socket, &condition, static_cast<enet_uint32>(untilMs - now)) != 0 ||
            !(condition & ENET_SOCKET_WAIT_RECEIVE))
            continue;
        ENetAddress from;
        ENetBuffer buffer{data, sizeof data};
        for (int received; (received = enet_socket_receive(socket, &from, &buffer, 1)) > 0;)
            if (take(data, static_cast<size_t>(received), from))
                return true;
    }
    return false;
}

uint32_t RandomToken()
{
    return std::random_device{}();
}
} // namespace

class CSessionClient::Impl
{
public:
    explicit Impl(ISessionClientEvents& events) : m_events(events) {}
    ~Impl() { Close(); }

    EnumResult EnumHosts(const EnumParams& params);
    static EnumResult SearchTargets(const EnumParams& params, std::vector<HostAddress>& targets);
    void TakeInfo(const uint8_t* data, size_t size, uint32_t token, const std::vector<uint64_t>& infoSentMs,
                  const HostAddress& from);
    ConnectResult Connect(const HostAddress& address, const Guid& application);
    bool Send(const uint8_t* data, size_t size);
    void DoWork(uint32_t sliceMs);
    void Flush()
    {
        if (m_host)
            enet_host_flush(m_host);
    }
    void WaitForTraffic(uint32_t timeoutMs) { enet::WaitForTraffic(m_host, timeoutMs); }
    void Close();
    bool IsConnected() const { return m_connected; }
    SessionStats GetStats();
    void SetBindAddress(uint32_t ipv4) { m_bind = enet::ToEnet(HostAddress{ipv4, 0}); }
    const ENetAddress* BindAddress() const { return m_bind.host != ENET_HOST_ANY ? &m_bind : nullptr; }

private:
    ConnectResult Join(const HostAddress& address, const Guid& application, uint64_t deadlineMs);
    std::optional<wire::CookieAnswer> AskForCookie(const HostAddress& server, const Guid& application,
                                                   uint64_t deadlineMs);
    ConnectResult AwaitWelcome(const Guid& application, uint64_t deadlineMs);
    void KeepEarlyPacket(const ENetPacket& packet);
    void Dispatch(ENetEvent& event);
    void DestroyHost();
    void CollectStats();

    ISessionClientEvents& m_events;
    ENetHost* m_host = nullptr;
    ENetPeer* m_peer = nullptr;
    bool m_connected = false;
    std::deque<std::vector<uint8_t>> m_earlyPackets;
    size_t m_earlyBytes = 0;
    SessionStats m_stats;
    ENetAddress m_bind{ENET_HOST_ANY, 0};
};

bool CSessionClient::Resolve(const std::string& hostName, uint16_t port, HostAddress& out)
{
    enet::EnsureInitialized();
    ENetAddress address;
    if (hostName.empty() || enet_address_set_host(&address, hostName.c_str()) != 0)
        return false;
    address.port = port;
    out = enet::FromEnet(address);
    return true;
}

EnumResult CSessionClient::ResolveTyped(const std::string& text, uint16_t port, HostAddress& out)
{
    std::string host = text;
    if (size_t colon = text.rfind(':'); colon != std::string::npos)
    {
        std::string_view digits = std::string_view(text).substr(colon + 1);
        unsigned value = 0;
        auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (digits.empty() || error != std::errc{} || end != digits.data() + digits.size() || value == 0 ||
            value > 65535)
            return EnumResult::BadPort;
        host = text.substr(0, colon);
        port = static_cast<uint16_t>(value);
    }
    return Resolve(host, port, out) ? EnumResult::Ok : EnumResult::UnknownHost;
}

std::vector<HostAddress> CSessionClient::AskMasters(const std::vector<HostAddress>& masters, uint32_t waitMs)
{
    enet::EnsureInitialized();
    std::vector<HostAddress> servers;
    ENetSocket socket = enet_socket_create(ENET_SOCKET_TYPE_DATAGRAM);
    if (socket == ENET_SOCKET_NULL)
        return servers;
    enet_socket_set_option(socket, ENET_SOCKOPT_NONBLOCK, 1);
    std::vector<uint8_t> query = master::MakeGetServers(wire::kVersion, true, true);
    for (const HostAddress& target : masters)
        SendTo(socket, target, query);
    size_t ended = 0;
    ReceiveUntil(socket, enet::NowMs() + waitMs,
                 [&](const uint8_t* data, size_t size, const ENetAddress& from)
                 {
                     bool asked =
                         std::find(masters.begin(), masters.end(), enet::FromEnet(from)) != masters.end();
                     std::vector<master::ServerAddress> listed;
                     bool last = false;
                     if (!asked || !master::ParseGetServersResponse(data, size, listed, last))
                         return false;
                     for (const master::ServerAddress& server : listed)
                         if (servers.size() < kMostListedServers && server.ipv4 != 0 && server.port != 0)
                             AddUnique(servers, HostAddress{server.ipv4, server.port});
                     return last && ++ended == masters.size();
                 });
    enet_socket_destroy(socket);
    return servers;
}

bool ReadServerInfo(const master::InfoPairs& pairs, ServerInfo& out)
{
    bool quorvex = false;
    auto number = [](const std::string& text, uint32_t& value)
    {
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        return error == std::errc{} && end == text.data() + text.size();
    };
    for (const auto& [key, value] : pairs)
    {
        bool ok = true;
        if (key == "gamename")
            quorvex = value == master::kGameName;
        else if (key == "hostname")
            out.name = value;
        else if (key == "mapname")
            out.map = value;
        else if (key == "gameversion")
            out.version = value;
        else if (key == "protocol")
            ok = number(value, out.protocol);
        else if (key == "clients")
            ok = number(value, out.people);
        else if (key == "bots")
            ok = number(value, out.bots);
        else if (key == "sv_maxclients")
            ok = number(value, out.maxPlayers);
        if (!ok)
            return false;
    }
    return quorvex;
}

std::vector<HostAddress> CSessionClient::BroadcastTargets(uint16_t port)
{
    std::vector<HostAddress> targets;
    if (const char* list = std::getenv("QUORVEX_BROADCAST"); list && *list)
    {
        std::stringstream in(list);
        for (std::string item; std::getline(in, item, ',');)
            if (std::optional<uint32_t> ipv4 = HostAddress::ParseIpv4(item))
                AddUnique(targets, HostAddress{*ipv4, port});
        return targets;
    }
    ifaddrs* interfaces = nullptr;
    if (getifaddrs(&interfaces) == 0)
    {
        for (ifaddrs* it = interfaces; it; it = it->ifa_next)
        {
            bool usable = it->ifa_addr && it->ifa_addr->sa_family == AF_INET && (it->ifa_flags & IFF_UP) &&
                          (it->ifa_flags & IFF_BROADCAST) && it->ifa_broadaddr;
            if (usable)
            {
                auto* broadcast = reinterpret_cast<sockaddr_in*>(it->ifa_broadaddr);
                AddUnique(targets, HostAddress{ntohl(broadcast->sin_addr.s_addr), port});
            }
        }
        freeifaddrs(interfaces);
    }
    AddUnique(targets, HostAddress{kLoopbackBroadcast, port});
    return targets;
}

EnumResult CSessionClient::Impl::EnumHosts(const EnumParams& params)
{
    enet::EnsureInitialized();
    std::vector<HostAddress> targets;
    if (EnumResult result = SearchTargets(params, targets); result != EnumResult::Ok)
        return result;
    ENetSocket socket = enet_socket_create(ENET_SOCKET_TYPE_DATAGRAM);
    if (socket == ENET_SOCKET_NULL)
        return EnumResult::NoNetwork;
    enet_socket_set_option(socket, ENET_SOCKOPT_BROADCAST, 1);
    enet_socket_set_option(socket, ENET_SOCKOPT_NONBLOCK, 1);
    uint32_t token = RandomToken();
    std::vector<uint8_t> query = wire::EncodeEnumQuery(wire::EnumQuery{params.application, token});
    std::vector<uint64_t> infoSentMs;
    for (int attempt = 0; attempt < params.attempts; ++attempt)
    {
        bool askInfo =
            std::find(std::begin(kInfoRounds), std::end(kInfoRounds), attempt) != std::end(kInfoRounds);
        std::vector<uint8_t> getInfo = master::MakeGetInfo(InfoChallenge(token, infoSentMs.size()));
        if (askInfo)
            infoSentMs.push_back(enet::NowMs());
        for (const HostAddress& target : targets)
        {
            SendTo(socket, target, query);
            if (askInfo)
                SendTo(socket, target, getInfo);
        }
        ReceiveUntil(socket, enet::NowMs() + params.retryIntervalMs,
                     [&](const uint8_t* data, size_t size, const ENetAddress& from)
                     {
                         std::optional<wire::EnumAnswer> answer = wire::DecodeEnumAnswer(data, size);
                         if (answer && answer->token == token &&
                             answer->session.application == params.application)
                             m_events.OnEnumHostsResponse(answer->session, enet::FromEnet(from));
                         else
                             TakeInfo(data, size, token, infoSentMs, enet::FromEnet(from));
                         return false;
                     });
    }
    enet_socket_destroy(socket);
    return EnumResult::Ok;
}

EnumResult CSessionClient::Impl::SearchTargets(const EnumParams& params, std::vector<HostAddress>& targets)
{
    if (!params.hostName.empty())
    {
        HostAddress address;
        if (EnumResult result = ResolveTyped(params.hostName, params.port, address); result != EnumResult::Ok)
            return result;
        targets.push_back(address);
    }
    for (const HostAddress& host : params.hosts)
        AddUnique(targets, host);
    if (params.hostName.empty() && params.hosts.empty())
        targets = BroadcastTargets(params.port);
    return targets.empty() ? EnumResult::NoNetwork : EnumResult::Ok;
}

// An infoResponse to one of this search's rounds (its challenge names the
// search and the round, which dates the query for the ping).
void CSessionClient::Impl::TakeInfo(const uint8_t* data, size_t size, uint32_t token,
                                    const std::vector<uint64_t>& infoSentMs, const HostAddress& from)
{
    master::InfoPairs pairs;
    ServerInfo info;
    if (!master::ParseInfoResponse(data, size, pairs) || !ReadServerInfo(pairs, info))
        return;
    for (size_t round = 0; round < infoSentMs.size(); ++round)
        for (const auto& [key, value] : pairs)
            if (key == "challenge" && value == InfoChallenge(token, round))
            {
                info.pingMs = static_cast<uint32_t>(enet::NowMs() - infoSentMs[round]);
                m_events.OnServerInfo(info, from);
                return;
            }
}

ConnectResult CSessionClient::Impl::Connect(const HostAddress& address, const Guid& application)
{
    Close();
    enet::EnsureInitialized();
    uint64_t deadline = enet::NowMs() + kConnectTimeoutMs;
    ConnectResult result = ConnectResult::Unreachable;
    m_host = enet_host_create(BindAddress(), 1, wire::kChannelCount, 0, 0);
    if (m_host && enet::UseRangeCoder(m_host, enet::RangeCoding::DecompressReceipts))
    {
        m_host->maximumPacketSize = enet::kMaximumPacketSize;
        m_host->maximumWaitingData = enet::kMaximumWaitingData;
        result = Join(address, application, deadline);
    }
    m_connected = result == ConnectResult::Connected;
    if (!m_connected)
        DestroyHost();
    m_events.OnConnectComplete(result);
    return result;
}

// The cookie is asked for from the host's own socket, so that it is issued
// for the address the ENet connect then comes from.
ConnectResult CSessionClient::Impl::Join(const HostAddress& address, const Guid& application,
                                         uint64_t deadlineMs)
{
    std::optional<wire::CookieAnswer> answer = AskForCookie(address, application, deadlineMs);
    if (!answer)
        return ConnectResult::Unreachable;
    if (answer->status == wire::kCookieServerFull)
        return ConnectResult::ServerFull;
    if (answer->status == wire::kCookieWrongApplication)
        return ConnectResult::WrongApplication;
    if (answer->status == wire::kCookieBanned)
        return ConnectResult::Banned;
    ENetAddress to = enet::ToEnet(address);
    m_peer = enet_host_connect(m_host, &to, wire::kChannelCount, answer->cookie);
    return m_peer ? AwaitWelcome(application, deadlineMs) : ConnectResult::Unreachable;
}

std::optional<wire::CookieAnswer>
CSessionClient::Impl::AskForCookie(const HostAddress& server, const Guid& application, uint64_t deadlineMs)
{
    uint32_t token = RandomToken();
    std::vector<uint8_t> request = wire::EncodeCookieRequest({application, token});
    ENetAddress to = enet::ToEnet(server);
    std::optional<wire::CookieAnswer> answer;
    auto take = [&](const uint8_t* data, size_t size, const ENetAddress& from)
    {
        answer = wire::DecodeCookieAnswer(data, size);
        return answer && answer->token == token && enet::FromEnet(from) == server;
    };
    for (uint64_t now = enet::NowMs(); now < deadlineMs; now = enet::NowMs())
    {
        ENetBuffer buffer{request.data(), request.size()};
        enet_socket_send(m_host->socket, &to, &buffer, 1);
        if (ReceiveUntil(m_host->socket, std::min(now + kCookieRetryMs, deadlineMs), take))
            return answer;
    }
    return std::nullopt;
}

ConnectResult CSessionClient::Impl::AwaitWelcome(const Guid& application, uint64_t deadline)
{
    ENetEvent event;
    while (enet::NowMs() < deadline)
    {
        if (enet_host_service(m_host, &event, 10) <= 0)
            continue;
        if (event.type == ENET_EVENT_TYPE_CONNECT)
        {
            enet::ConfigurePeer(m_peer);
            std::vector<uint8_t> hello = wire::EncodeHello(application);
            enet::SendPacket(m_peer, wire::kControlChannel, hello.data(), hello.size(),
                             ENET_PACKET_FLAG_RELIABLE);
        }
        else if (event.type == ENET_EVENT_TYPE_DISCONNECT)
        {
            m_peer = nullptr;
            return ResultForRefusal(event.data);
        }
        else if (event.type == ENET_EVENT_TYPE_RECEIVE)
        {
            const ENetPacket& packet = *event.packet;
            bool welcome = event.channelID == wire::kControlChannel &&
                           wire::DecodeWelcome(packet.data, packet.dataLength).has_value();
            if (event.channelID == wire::kDataChannel)
                KeepEarlyPacket(packet);
            enet_packet_destroy(event.packet);
            if (welcome)
                return ConnectResult::Connected;
        }
    }
    return ConnectResult::Unreachable;
}

void CSessionClient::Impl::KeepEarlyPacket(const ENetPacket& packet)
{
    bool fits = packet.dataLength > 0 && m_earlyPackets.size() < kMostEarlyPackets &&
                packet.dataLength <= kMostEarlyBytes - m_earlyBytes;
    if (!fits)
        return;
    m_earlyPackets.emplace_back(packet.data, packet.data + packet.dataLength);
    m_earlyBytes += packet.dataLength;
}

bool CSessionClient::Impl::Send(const uint8_t* data, size_t size)
{
    if (!m_connected || !m_peer)
        return false;
    enet::KeepFragmentsUnreliable(m_peer, wire::kDataChannel);
    enet::SendPacket(m_peer, wire::kDataChannel, data, size, enet::kGameDataFlags);
    return true;
}

void CSessionClient::Impl::DoWork(uint32_t sliceMs)
{
    if (!m_host)
        return;
    uint64_t start = enet::NowMs();
    while (!m_earlyPackets.empty())
    {
        std::vector<uint8_t> packet = std::move(m_earlyPackets.front());
        m_earlyPackets.pop_front();
        m_events.OnReceive(packet.data(), packet.size());
    }
    m_earlyBytes = 0;
    ENetEvent event;
    while (m_host && enet_host_service(m_host, &event, 0) > 0)
    {
        Dispatch(event);
        if (enet::NowMs() - start >= sliceMs)
            break;
    }
    if (m_host)
    {
        enet_host_flush(m_host);
        CollectStats();
    }
}

void CSessionClient::Impl::Dispatch(ENetEvent& event)
{
    if (event.type == ENET_EVENT_TYPE_RECEIVE)
    {
        if (event.channelID == wire::kDataChannel && event.packet->dataLength > 0)
            m_events.OnReceive(event.packet->data, event.packet->dataLength);
        enet_packet_destroy(event.packet);
    }
    else if (event.type == ENET_EVENT_TYPE_DISCONNECT && event.peer == m_peer)
    {
        m_peer = nullptr;
        bool wasConnected = m_connected;
        m_connected = false;
        if (wasConnected)
            m_events.OnTerminateSession();
    }
}

void CSessionClient::Impl::Close()
{
    if (!m_host)
        return;
    if (m_peer && m_connected)
    {
        enet_peer_disconnect(m_peer, 0);
        enet_host_flush(m_host);
        uint64_t start = enet::NowMs();
        ENetEvent event;
        while (enet::NowMs() - start < kCloseLingerMs && enet_host_service(m_host, &event, 10) >= 0)
        {
            if (event.type == ENET_EVENT_TYPE_RECEIVE)
                enet_packet_destroy(event.packet);
            if (event.type == ENET_EVENT_TYPE_DISCONNECT)
                break;
        }
    }
    DestroyHost();
}

void CSessionClient::Impl::DestroyHost()
{
    if (m_host)
    {
        CollectStats();
        enet_host_destroy(m_host);
    }
    m_host = nullptr;
    m_peer = nullptr;
    m_connected = false;
    m_earlyPackets.clear();
    m_earlyBytes = 0;
}

void CSessionClient::Impl::CollectStats()
{
    enet::CollectStats(m_host, m_stats);
}

SessionStats CSessionClient::Impl::GetStats()
{
    if (m_host)
        CollectStats();
    return m_stats;
}

CSessionClient::CSessionClient(ISessionClientEvents& events) : m_impl(std::make_unique<Impl>(events)) {}
CSessionClient::~CSessionClient() = default;
EnumResult CSessionClient::EnumHosts(const EnumParams& params)
{
    return m_impl->EnumHosts(params);
}
ConnectResult CSessionClient::Connect(const HostAddress& address, const Guid& application)
{
    return m_impl->Connect(address, application);
}
void CSessionClient::SetBindAddress(uint32_t ipv4)
{
    m_impl->SetBindAddress(ipv4);
}
bool CSessionClient::IsConnected() const
{
    return m_impl->IsConnected();
}
bool CSessionClient::Send(const uint8_t* data, size_t size)
{
    return m_impl->Send(data, size);
}
void CSessionClient::DoWork(uint32_t sliceMs)
{
    m_impl->DoWork(sliceMs);
}
void CSessionClient::Flush()
{
    m_impl->Flush();
}
void CSessionClient::WaitForTraffic(uint32_t timeoutMs)
{
    m_impl->WaitForTraffic(timeoutMs);
}
void CSessionClient::Close()
{
    m_impl->Close();
}
SessionStats CSessionClient::GetStats() const
{
    return m_impl->GetStats();
}

} // namespace session
