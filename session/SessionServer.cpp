#include "session/SessionServer.h"

#include "session/AnswerBudget.h"
#include "session/EnetDatagram.h"
#include "session/EnetSupport.h"
#include "session/JoinCookie.h"
#include "session/PendingJoins.h"
#include "session/SessionWire.h"

#include <unordered_map>
#include <vector>

namespace session
{
namespace
{
// Room beyond the player limit, so that clients past it are answered with a
// refusal instead of being ignored by a full peer table.
constexpr size_t kSparePeers = 32;
// ENet's own ceiling on peers per host, used when there is no limit.
constexpr size_t kMostPeers = ENET_PROTOCOL_MAXIMUM_PEER_ID;
// A client that has not been admitted this long after its connect is let
// go. Checked every pass, so it is gone well within the 5 s a client waits.
constexpr uint64_t kJoinTimeoutMs = 4000;
// Unfinished joins one IPv4 address may hold at once; connects beyond them
// are dropped unread.
constexpr size_t kMostPendingJoinsPerAddress = 4;
// How long Close waits for clients to acknowledge the disconnect.
constexpr uint64_t kCloseLingerMs = 200;
// getinfo and getstatus answers: a few a second for one address (a master
// asks once per heartbeat, a browser once per refresh), and a bound in all,
// so that spoofed queries from many addresses cannot make the server a
// bandwidth amplifier beyond some tens of kilobytes a second.
constexpr int kStatusAnswersPerAddress = 4;
constexpr int kStatusAnswersInAll = 40;
// Longest challenge echoed; masters send a dozen characters.
constexpr size_t kMostChallengeLength = 64;
// Player names and the host name in answers are cut to this, which keeps
// getinfo small and a getstatus of a full server within one datagram.
constexpr size_t kMostStatusNameLength = 32;
constexpr size_t kMostHostNameLength = 64;

struct PeerState
{
    PlayerId player = 0; // 0 until admitted
};

bool HandshakeUnderWay(const ENetPeer& peer)
{
    return peer.state >= ENET_PEER_STATE_CONNECTING && peer.state <= ENET_PEER_STATE_CONNECTION_SUCCEEDED;
}

master::InfoPairs StatusInfo(const ServerStatus& status, const std::string& challenge,
                             const std::string& hostName)
{
    return {{"challenge", challenge},
            {"gamename", std::string(master::kGameName)},
            {"protocol", std::to_string(wire::kVersion)},
            {"gameversion", status.gameVersion},
            {"hostname", hostName.substr(0, kMostHostNameLength)},
            {"mapname", status.mapName},
            {"clients", std::to_string(status.people)},
            {"bots", std::to_string(status.bots)},
            {"sv_maxclients", std::to_string(status.maxPlayers)}};
}

// The status answer with as many players as fit one datagram.
std::vector<uint8_t> StatusAnswer(const master::InfoPairs& info, std::vector<master::StatusPlayer> players)
{
    for (master::StatusPlayer& player : players)
        player.name.resize(std::min(player.name.size(), kMostStatusNameLength));
    std::vector<uint8_t> answer = master::MakeStatusResponse(info, players);
    while (answer.size() > master::kMaxMasterDatagram && !players.empty())
    {
        players.pop_back();
        answer = master::MakeStatusResponse(info, players);
    }
    return answer;
}
} // namespace

class CSessionServer::Impl
{
public:
    explicit Impl(ISessionServerEvents& events) : m_events(events) {}
    ~Impl() { Close(); }

    bool Host(const SessionHostParams& params);
    void DoWork(uint32_t sliceMs);
    void WaitForTraffic(uint32_t timeoutMs) { enet::WaitForTraffic(m_host, timeoutMs); }
    bool SendTo(PlayerId target, const uint8_t* data, size_t size);
    void Close();

    bool IsHosting() const { return m_host != nullptr; }
    PlayerId GetHostPlayer() const { return m_hostPlayer; }
    uint32_t GetPlayerCount() const { return static_cast<uint32_t>(m_players.size()) + (m_host ? 1 : 0); }
    std::optional<HostAddress> GetPlayerAddress(PlayerId player) const
    {
        auto it = m_players.find(player);
        return it == m_players.end() ? std::nullopt : std::optional(enet::FromEnet(it->second->address));
    }
    SessionStats GetStats();
    uint32_t GetPlayerPing(PlayerId player) const
    {
        auto it = m_players.find(player);
        return it == m_players.end() ? 0 : it->second->roundTripTime;
    }
    void SetStatusSource(IServerStatusSource* source) { m_statusSource = source; }
    bool SendDatagram(const HostAddress& to, const std::vector<uint8_t>& bytes);
    void SetBanCheck(std::function<bool(uint32_t)> isBanned) { m_isBanned = std::move(isBanned); }
    bool Kick(PlayerId player)
    {
        if (m_players.find(player) == m_players.end())
            return false;
        m_kicks.push_back({player, enet::NowMs() + kKickGraceMs});
        return true;
    }
    void DisconnectKickedPlayers();

private:
    bool IsBanned(uint32_t ipv4) const { return m_isBanned && m_isBanned(ipv4); }

    // A kicked player stays connected this long, so the line telling it why
    // (unreliable, like every game message) arrives before the disconnect:
    // ENet drops what it has not yet handed out when a disconnect comes in
    // the same service call.
    static constexpr uint64_t kKickGraceMs = 250;
    struct PendingKick
    {
        PlayerId player;
        uint64_t dueMs;
    };
    std::vector<PendingKick> m_kicks;

    static int Intercept(ENetHost* host, ENetEvent* event);
    bool Intercept(const uint8_t* data, size_t size, const ENetAddress& from);
    bool AnswerQuery(const uint8_t* data, size_t size, const ENetAddress& from);
    bool AnswerStatusQuery(const uint8_t* data, size_t size, const ENetAddress& from);
    bool AnswerCookieRequest(const uint8_t* data, size_t size, const ENetAddress& from);
    bool LetConnectThrough(uint32_t cookie, const ENetAddress& from);
    bool IsAtPlayerLimit() const;
    bool IsFull() const;
    void SendRaw(const std::vector<uint8_t>& bytes, const ENetAddress& to);
    void Dispatch(ENetEvent& event);
    void OnConnect(ENetPeer* peer, enet_uint32 data);
    void OnControl(ENetPeer* peer, const ENetPacket& packet);
    void Admit(ENetPeer* peer, PeerState& state);
    void OnDisconnect(ENetPeer* peer);
    void DropOverdueJoins();
    bool AnyPeerDisconnecting() const;
    void SendToPeer(ENetPeer* peer, ENetPacket* packet);
    void CollectStats();

    ISessionServerEvents& m_events;
    SessionHostParams m_params;
    Guid m_instance;
    ENetHost* m_host = nullptr;
    PlayerId m_nextPlayer = 1;
    PlayerId m_hostPlayer = 0;
    bool m_hostPlayerAnnounced = false;
    std::unordered_map<ENetPeer*, PeerState> m_peers;
    std::unordered_map<PlayerId, ENetPeer*> m_players;
    CAnswerBudget m_searchAnswers{wire::kEnumAnswersPerSecond};
    CAnswerBudget m_cookieAnswers{wire::kCookieAnswersPerSecond};
    CAnswerBudget m_statusAnswers{kStatusAnswersPerAddress};
    CAnswerBudget m_allStatusAnswers{kStatusAnswersInAll}; // every address under one key
    IServerStatusSource* m_statusSource = nullptr;
    std::function<bool(uint32_t)> m_isBanned;
    CJoinCookies m_cookies;
    CPendingJoins m_pendingJoins{kMostPendingJoinsPerAddress};
    SessionStats m_stats;

    static thread_local Impl* t_servicing;
    friend class Servicing;
};

thread_local CSessionServer::Impl* CSessionServer::Impl::t_servicing = nullptr;

// Marks the server whose host is being serviced on this thread, for the
// intercept hook, which ENet calls without a context of ours.
class Servicing
{
public:
    explicit Servicing(CSessionServer::Impl* server) { CSessionServer::Impl::t_servicing = server; }
    ~Servicing() { CSessionServer::Impl::t_servicing = nullptr; }
    Servicing(const Servicing&) = delete;
    Servicing& operator=(const Servicing&) = delete;
};

bool CSessionServer::Impl::Host(const SessionHostParams& params)
{
    Close();
    enet::EnsureInitialized();
    ENetAddress address;
    address.host = params.bindIpv4 ? ENET_HOST_TO_NET_32(params.bindIpv4) : ENET_HOST_ANY;
    address.port = params.port;
    size_t peers =
        params.maxPlayers == 0 ? kMostPeers : std::min<size_t>(params.maxPlayers + kSparePeers, kMostPeers);
    m_host = enet_host_create(&address, peers, wire::kChannelCount, 0, 0);
    if (!m_host)
        return false;
    m_host->intercept = &Impl::Intercept;
    m_host->maximumPacketSize = enet::kMaximumPacketSize;
    m_host->maximumWaitingData = enet::kMaximumWaitingData;
    enet::UseRangeCoder(m_host, enet::RangeCoding::CompressSends); // without it, plain datagrams
    m_params = params;
    m_instance = Guid::Random();
    m_cookies = CJoinCookies();
    m_pendingJoins.Attach(m_host);
    m_hostPlayer = m_nextPlayer++;
    m_hostPlayerAnnounced = false;
    return true;
}

void CSessionServer::Impl::DisconnectKickedPlayers()
{
    const uint64_t now = enet::NowMs();
    std::erase_if(m_kicks,
                  [&](const PendingKick& kick)
                  {
                      if (now < kick.dueMs)
                          return false;
                      if (auto it = m_players.find(kick.player); it != m_players.end())
                          enet_peer_disconnect_later(it->second, wire::kKicked);
                      return true;
                  });
}

void CSessionServer::Impl::DoWork(uint32_t sliceMs)
{
    if (!m_host)
        return;
    if (!m_hostPlayerAnnounced)
    {
        m_hostPlayerAnnounced = true;
        m_events.OnCreatePlayer(m_hostPlayer);
    }
    DisconnectKickedPlayers();
    uint64_t start = enet::NowMs();
    {
        Servicing servicing(this);
        ENetEvent event;
        while (m_host && enet_host_service(m_host, &event, 0) > 0)
        {
            Dispatch(event);
            if (enet::NowMs() - start >= sliceMs)
                break;
        }
    }
    if (!m_host)
        return;
    DropOverdueJoins();
    enet_host_flush(m_host);
    CollectStats();
}

int CSessionServer::Impl::Intercept(ENetHost* host, ENetEvent*)
{
    Impl* self = t_servicing;
    if (!self || self->m_host != host)
        return 0;
    return self->Intercept(host->receivedData, host->receivedDataLength, host->receivedAddress) ? 1 : 0;
}

// True when the datagram was ours to handle or to drop; false leaves it to ENet.
bool CSessionServer::Impl::Intercept(const uint8_t* data, size_t size, const ENetAddress& from)
{
    if (AnswerStatusQuery(data, size, from) || AnswerQuery(data, size, from) ||
        AnswerCookieRequest(data, size, from))
        return true;
    enet::DatagramInspection datagram = enet::InspectDatagram(data, size);
    switch (datagram.kind)
    {
    case enet::DatagramKind::ForPeer:
        return false;
    case enet::DatagramKind::Connect:
        return !LetConnectThrough(datagram.connectData, from);
    case enet::DatagramKind::Drop:
        break;
    }
    return true;
}

// True when the datagram was a search query (answered or not); false leaves
// it to ENet.
bool CSessionServer::Impl::AnswerQuery(const uint8_t* data, size_t size, const ENetAddress& from)
{
    std::optional<wire::EnumQuery> query = wire::DecodeEnumQuery(data, size);
    if (!query)
        return false;
    if (!query->application.IsNull() && query->application != m_params.application)
        return true;
    if (!m_searchAnswers.Take(ENET_NET_TO_HOST_32(from.host), enet::NowMs()))
        return true;
    wire::EnumAnswer answer;
    answer.token = query->token;
    answer.session = {m_params.application, m_instance, m_params.sessionName, m_params.maxPlayers,
                      GetPlayerCount()};
    SendRaw(wire::EncodeEnumAnswer(answer, size), from);
    return true;
}

// True when the datagram was a connectionless packet of the master protocol
// (answered or not). Our clients' ENet datagrams never start with four 0xFF
// bytes followed by a text command.
bool CSessionServer::Impl::AnswerStatusQuery(const uint8_t* data, size_t size, const ENetAddress& from)
{
    master::Connectionless packet;
    if (!master::ParseConnectionless(data, size, packet))
        return false;
    bool info = packet.command == "getinfo";
    if (!m_statusSource || (!info && packet.command != "getstatus") ||
        packet.argument.size() > kMostChallengeLength)
        return true;
    uint64_t now = enet::NowMs();
    if (!m_statusAnswers.Take(ENET_NET_TO_HOST_32(from.host), now) || !m_allStatusAnswers.Take(0, now))
        return true;
    ServerStatus status = m_statusSource->GetServerStatus();
    master::InfoPairs pairs = StatusInfo(status, packet.argument, m_params.sessionName);
    SendRaw(info ? master::MakeInfoResponse(pairs) : StatusAnswer(pairs, std::move(status.players)), from);
    return true;
}

// True when the datagram was a cookie request (answered or not).
bool CSessionServer::Impl::AnswerCookieRequest(const uint8_t* data, size_t size, const ENetAddress& from)
{
    std::optional<wire::CookieRequest> request = wire::DecodeCookieRequest(data, size);
    if (!request)
        return false;
    uint64_t now = enet::NowMs();
    if (!m_cookieAnswers.Take(ENET_NET_TO_HOST_32(from.host), now))
        return true;
    wire::CookieAnswer answer{request->token, wire::kCookieGranted, 0, request->version};
    if (request->application != m_params.application || request->version != wire::kVersion)
        answer.status = wire::kCookieWrongApplication;
    else if (IsBanned(ENET_NET_TO_HOST_32(from.host)))
        answer.status = wire::kCookieBanned;
    else if (IsFull())
        answer.status = wire::kCookieServerFull;
    else
        answer.cookie = m_cookies.Issue(enet::FromEnet(from), now);
    SendRaw(wire::EncodeCookieAnswer(answer), from);
    return true;
}

// A connect reaches ENet, which makes a peer for it, only with a cookie that
// proves its sender receives at its address, and only while that address
// holds few unfinished joins.
bool CSessionServer::Impl::LetConnectThrough(uint32_t cookie, const ENetAddress& from)
{
    HostAddress client = enet::FromEnet(from);
    if (!m_cookies.IsValid(cookie, client, enet::NowMs()) || IsBanned(client.ipv4))
        return false;
    if (!m_pendingJoins.HasRoomFor(client.ipv4) || !m_pendingJoins.HasFreePeer())
        return false;
    m_pendingJoins.Begin(client.ipv4);
    return true;
}

bool CSessionServer::Impl::IsAtPlayerLimit() const
{
    return m_params.maxPlayers != 0 && GetPlayerCount() >= m_params.maxPlayers;
}

// Full for a new client: no place among the players, or no peer slot to join in.
bool CSessionServer::Impl::IsFull() const
{
    return IsAtPlayerLimit() || !m_pendingJoins.HasFreePeer();
}

bool CSessionServer::Impl::SendDatagram(const HostAddress& to, const std::vector<uint8_t>& bytes)
{
    if (!m_host)
        return false;
    SendRaw(bytes, enet::ToEnet(to));
    return true;
}

void CSessionServer::Impl::SendRaw(const std::vector<uint8_t>& bytes, const ENetAddress& to)
{
    ENetBuffer buffer{const_cast<uint8_t*>(bytes.data()), bytes.size()};
    enet_socket_send(m_host->socket, &to, &buffer, 1);
}

void CSessionServer::Impl::Dispatch(ENetEvent& event)
{
    switch (event.type)
    {
    case ENET_EVENT_TYPE_CONNECT:
        OnConnect(event.peer, event.data);
        break;
    case ENET_EVENT_TYPE_RECEIVE:
    {
        auto it = m_peers.find(event.peer);
        if (it != m_peers.end() && event.channelID == wire::kControlChannel)
            OnControl(event.peer, *event.packet);
        else if (it != m_peers.end() && it->second.player != 0 && event.packet->dataLength > 0)
            m_events.OnReceive(it->second.player, event.packet->data, event.packet->dataLength);
        enet_packet_destroy(event.packet);
        break;
    }
    case ENET_EVENT_TYPE_DISCONNECT:
        OnDisconnect(event.peer);
        break;
    case ENET_EVENT_TYPE_NONE:
        break;
    }
}

// The connect's cookie was checked before ENet made the peer.
void CSessionServer::Impl::OnConnect(ENetPeer* peer, enet_uint32)
{
    enet::ConfigurePeer(peer);
    m_peers[peer] = PeerState{};
}

void CSessionServer::Impl::OnControl(ENetPeer* peer, const ENetPacket& packet)
{
    PeerState& state = m_peers[peer];
    if (state.player != 0)
        return;
    std::optional<Guid> application = wire::DecodeHello(packet.data, packet.dataLength);
    if (!application)
        enet_peer_disconnect(peer, wire::kBadHandshake);
    else if (*application != m_params.application)
        enet_peer_disconnect(peer, wire::kWrongApplication);
    else if (IsAtPlayerLimit())
        enet_peer_disconnect(peer, wire::kServerFull);
    else
        Admit(peer, state);
}

void CSessionServer::Impl::Admit(ENetPeer* peer, PeerState& state)
{
    state.player = m_nextPlayer++;
    m_players[state.player] = peer;
    std::vector<uint8_t> welcome = wire::EncodeWelcome(state.player);
    enet::SendPacket(peer, wire::kControlChannel, welcome.data(), welcome.size(), ENET_PACKET_FLAG_RELIABLE);
    m_events.OnCreatePlayer(state.player);
}

void CSessionServer::Impl::OnDisconnect(ENetPeer* peer)
{
    auto it = m_peers.find(peer);
    if (it == m_peers.end())
        return;
    PlayerId player = it->second.player;
    m_peers.erase(it);
    if (player == 0)
        return;
    m_players.erase(player);
    m_events.OnDestroyPlayer(player);
}

// A peer still in ENet's handshake is forgotten without a word (it may be a
// stranger's spoofed address); one that connected but was not admitted is
// told. A peer already disconnecting is left to ENet.
void CSessionServer::Impl::DropOverdueJoins()
{
    uint64_t now = enet::NowMs();
    m_pendingJoins.Refresh(now,
                           [this](ENetPeer* peer)
                           {
                               auto it = m_peers.find(peer);
                               return it != m_peers.end() && it->second.player != 0;
                           });
    for (ENetPeer* peer : m_pendingJoins.Overdue(now, kJoinTimeoutMs))
    {
        if (HandshakeUnderWay(*peer))
            enet_peer_reset(peer);
        else if (peer->state == ENET_PEER_STATE_CONNECTED)
            enet_peer_disconnect(peer, wire::kBadHandshake);
    }
}

bool CSessionServer::Impl::SendTo(PlayerId target, const uint8_t* data, size_t size)
{
    if (!m_host)
        return false;
    if (target == m_hostPlayer)
        return true;
    ENetPeer* only = nullptr;
    if (target != 0)
    {
        auto it = m_players.find(target);
        if (it == m_players.end())
            return false;
        only = it->second;
    }
    ENetPacket* packet = enet_packet_create(data, size, enet::kGameDataFlags);
    if (!packet)
        return false;
    if (only)
        SendToPeer(only, packet);
    else
        for (auto& [player, peer] : m_players)
            SendToPeer(peer, packet);
    if (packet->referenceCount == 0)
        enet_packet_destroy(packet);
    return true;
}

void CSessionServer::Impl::SendToPeer(ENetPeer* peer, ENetPacket* packet)
{
    enet::KeepFragmentsUnreliable(peer, wire::kDataChannel);
    enet_peer_send(peer, wire::kDataChannel, packet);
}

void CSessionServer::Impl::Close()
{
    if (!m_host)
        return;
    for (auto& [peer, state] : m_peers)
        enet_peer_disconnect(peer, wire::kSessionClosed);
    enet_host_flush(m_host);
    uint64_t start = enet::NowMs();
    Servicing servicing(this);
    ENetEvent event;
    while (AnyPeerDisconnecting() && enet::NowMs() - start < kCloseLingerMs)
    {
        if (enet_host_service(m_host, &event, 10) > 0 && event.type == ENET_EVENT_TYPE_RECEIVE)
            enet_packet_destroy(event.packet);
    }
    enet_host_destroy(m_host);
    m_host = nullptr;
    m_pendingJoins.Attach(nullptr);
    m_peers.clear();
    m_players.clear();
    m_hostPlayer = 0;
}

// enet_peer_disconnect takes a peer out of the host's connectedPeers at once,
// so Close watches the peers themselves: one leaves this state only once the
// client acknowledged the disconnect (which ENet resends until it does) or
// ENet gave up on it.
bool CSessionServer::Impl::AnyPeerDisconnecting() const
{
    for (const auto& [peer, state] : m_peers)
        if (peer->state != ENET_PEER_STATE_DISCONNECTED && peer->state != ENET_PEER_STATE_ZOMBIE)
            return true;
    return false;
}

void CSessionServer::Impl::CollectStats()
{
    enet::CollectStats(m_host, m_stats);
}

SessionStats CSessionServer::Impl::GetStats()
{
    if (m_host)
        CollectStats();
    return m_stats;
}

CSessionServer::CSessionServer(ISessionServerEvents& events) : m_impl(std::make_unique<Impl>(events)) {}
CSessionServer::~CSessionServer() = default;
bool CSessionServer::Host(const SessionHostParams& params)
{
    return m_impl->Host(params);
}
bool CSessionServer::IsHosting() const
{
    return m_impl->IsHosting();
}
PlayerId CSessionServer::GetHostPlayer() const
{
    return m_impl->GetHostPlayer();
}
void CSessionServer::DoWork(uint32_t sliceMs)
{
    m_impl->DoWork(sliceMs);
}
void CSessionServer::WaitForTraffic(uint32_t timeoutMs)
{
    m_impl->WaitForTraffic(timeoutMs);
}
bool CSessionServer::SendTo(PlayerId target, const uint8_t* data, size_t size)
{
    return m_impl->SendTo(target, data, size);
}
void CSessionServer::Close()
{
    m_impl->Close();
}
uint32_t CSessionServer::GetPlayerCount() const
{
    return m_impl->GetPlayerCount();
}
std::optional<HostAddress> CSessionServer::GetPlayerAddress(PlayerId player) const
{
    return m_impl->GetPlayerAddress(player);
}
SessionStats CSessionServer::GetStats() const
{
    return m_impl->GetStats();
}
uint32_t CSessionServer::GetPlayerPing(PlayerId player) const
{
    return m_impl->GetPlayerPing(player);
}
void CSessionServer::SetStatusSource(IServerStatusSource* source)
{
    m_impl->SetStatusSource(source);
}
bool CSessionServer::SendDatagram(const HostAddress& to, const std::vector<uint8_t>& bytes)
{
    return m_impl->SendDatagram(to, bytes);
}

void CSessionServer::SetBanCheck(std::function<bool(uint32_t ipv4)> isBanned)
{
    m_impl->SetBanCheck(std::move(isBanned));
}

bool CSessionServer::Kick(PlayerId player)
{
    return m_impl->Kick(player);
}

} // namespace session
