#include "tools/master/MasterList.h"

#include "common/ExactNumber.h"

#include <algorithm>

namespace master
{
namespace sm = session::master;

namespace
{
// Long enough that nobody guesses it within a challenge's lifetime; letters
// and digits only, so it never needs escaping on the way out and back.
constexpr size_t kChallengeLength = 12;
constexpr std::string_view kChallengeAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

uint64_t KeyOf(const ServerAddress& address)
{
    return (uint64_t(address.ipv4) << 16) | address.port;
}

const std::string* FindValue(const sm::InfoPairs& info, std::string_view key)
{
    for (const auto& [name, value] : info)
        if (name == key)
            return &value;
    return nullptr;
}

template <typename Number> bool ReadNumber(const sm::InfoPairs& info, std::string_view key, Number& out)
{
    const std::string* value = FindValue(info, key);
    return value && ParseExactNumber(*value, out);
}
} // namespace

std::string ToString(const ServerAddress& address)
{
    uint32_t ip = address.ipv4;
    return std::to_string(ip >> 24) + "." + std::to_string((ip >> 16) & 0xFF) + "." +
           std::to_string((ip >> 8) & 0xFF) + "." + std::to_string(ip & 0xFF) + ":" +
           std::to_string(address.port);
}

CMasterList::CMasterList(const MasterLimits& limits, uint64_t seed, IMasterSink& sink)
    : m_limits(limits), m_sink(sink), m_random(seed), m_budget(limits.answersPerSecond)
{
}

void CMasterList::Receive(const uint8_t* data, size_t size, const ServerAddress& from, uint64_t nowMs)
{
    sm::Connectionless packet;
    if (from.port == 0 || !sm::ParseConnectionless(data, size, packet))
        return;
    if (packet.command == "heartbeat" && packet.argument == "DarkPlaces")
        OnHeartbeat(from, nowMs);
    else if (packet.command == "infoResponse")
        OnInfoResponse(data, size, from, nowMs);
    else if (packet.command == "getservers")
        OnGetServers(packet, from, nowMs);
}

void CMasterList::Expire(uint64_t nowMs)
{
    for (auto it = m_servers.begin(); it != m_servers.end();)
    {
        const Listed& server = it->second;
        if (nowMs - server.heardMs < m_limits.expiryMs)
        {
            ++it;
            continue;
        }
        m_sink.Log("Dropped " + ToString(server.address) + ": not heard from for " +
                   std::to_string(m_limits.expiryMs / 1000) + " s");
        if (--m_serversPerIpv4[server.address.ipv4] == 0)
            m_serversPerIpv4.erase(server.address.ipv4);
        it = m_servers.erase(it);
    }
    while (!m_pending.empty() && nowMs - m_pending.front().sentMs >= m_limits.challengeTimeoutMs)
        ForgetPending(m_pending.begin());
}

// A heartbeat while a challenge waits gets the same challenge again, so a
// forged heartbeat cannot replace the challenge the real server is answering.
void CMasterList::OnHeartbeat(const ServerAddress& from, uint64_t nowMs)
{
    if (!HasRoomFor(from) || !m_budget.Take(from.ipv4, nowMs))
        return;
    auto waiting = m_pendingByAddress.find(KeyOf(from));
    if (waiting != m_pendingByAddress.end())
        return m_sink.Send(from, sm::MakeGetInfo(waiting->second->challenge));
    if (m_pending.size() >= m_limits.pendingChallenges)
        ForgetPending(m_pending.begin());
    m_pending.push_back(Pending{from, NewChallenge(), nowMs});
    m_pendingByAddress[KeyOf(from)] = std::prev(m_pending.end());
    m_sink.Send(from, sm::MakeGetInfo(m_pending.back().challenge));
}

// An answer that does not echo the waiting challenge leaves it waiting: it
// may be forged, and the real server's answer may still come.
void CMasterList::OnInfoResponse(const uint8_t* data, size_t size, const ServerAddress& from, uint64_t nowMs)
{
    auto waiting = m_pendingByAddress.find(KeyOf(from));
    sm::InfoPairs info;
    if (waiting == m_pendingByAddress.end() || !sm::ParseInfoResponse(data, size, info))
        return;
    const std::string* challenge = FindValue(info, "challenge");
    const std::string* game = FindValue(info, "gamename");
    if (!challenge || *challenge != waiting->second->challenge || !game || *game != sm::kGameName)
        return;
    ForgetPending(waiting->second);
    List(from, info, nowMs);
}

void CMasterList::OnGetServers(const sm::Connectionless& packet, const ServerAddress& from, uint64_t nowMs)
{
    sm::GetServersQuery query;
    if (!sm::ParseGetServers(packet, query) || query.game != sm::kGameName ||
        !m_budget.Take(from.ipv4, nowMs))
        return;
    std::vector<ServerAddress> matching;
    for (const auto& [key, server] : m_servers)
    {
        bool empty = server.clients == 0;
        bool full = server.maxClients > 0 && server.clients >= server.maxClients;
        if (server.protocol == query.protocol && (query.empty || !empty) && (query.full || !full))
            matching.push_back(server.address);
    }
    for (const std::vector<uint8_t>& datagram : sm::MakeGetServersResponses(matching))
        m_sink.Send(from, datagram);
}

bool CMasterList::HasRoomFor(const ServerAddress& address) const
{
    if (m_servers.contains(KeyOf(address)))
        return true;
    auto sameIpv4 = m_serversPerIpv4.find(address.ipv4);
    bool ipv4Full = sameIpv4 != m_serversPerIpv4.end() && sameIpv4->second >= m_limits.serversPerIpv4;
    return !ipv4Full && m_servers.size() < m_limits.servers;
}

void CMasterList::List(const ServerAddress& address, const sm::InfoPairs& info, uint64_t nowMs)
{
    Listed server{address};
    if (!ReadNumber(info, "protocol", server.protocol) || !HasRoomFor(address))
        return;
    ReadNumber(info, "clients", server.clients);
    ReadNumber(info, "sv_maxclients", server.maxClients);
    server.heardMs = nowMs;
    auto [it, added] = m_servers.insert_or_assign(KeyOf(address), server);
    if (!added)
        return;
    ++m_serversPerIpv4[address.ipv4];
    const std::string* hostname = FindValue(info, "hostname");
    m_sink.Log("Listed " + ToString(address) + " (" + sm::SafeInfoValue(hostname ? *hostname : "") + ")");
}

void CMasterList::ForgetPending(PendingList::iterator pending)
{
    m_pendingByAddress.erase(KeyOf(pending->address));
    m_pending.erase(pending);
}

std::string CMasterList::NewChallenge()
{
    std::uniform_int_distribution<size_t> pick(0, kChallengeAlphabet.size() - 1);
    std::string challenge(kChallengeLength, ' ');
    for (char& letter : challenge)
        letter = kChallengeAlphabet[pick(m_random)];
    return challenge;
}

} // namespace master
