#include "session/PendingJoins.h"

namespace session
{

void CPendingJoins::Attach(ENetHost* host)
{
    m_host = host;
    m_joins.assign(host ? host->peerCount : 0, Join{});
    m_perAddress.clear();
    m_freePeers = m_joins.size();
}

void CPendingJoins::Refresh(uint64_t nowMs, const std::function<bool(ENetPeer*)>& admitted)
{
    m_perAddress.clear();
    m_freePeers = 0;
    for (size_t slot = 0; slot < m_joins.size(); ++slot)
    {
        ENetPeer* peer = &m_host->peers[slot];
        Join& join = m_joins[slot];
        bool free = peer->state == ENET_PEER_STATE_DISCONNECTED;
        if (free || admitted(peer))
        {
            join.pending = false;
            m_freePeers += free ? 1 : 0;
            continue;
        }
        if (!join.pending || join.connectId != peer->connectID)
            join = Join{nowMs, peer->connectID, true};
        ++m_perAddress[ENET_NET_TO_HOST_32(peer->address.host)];
    }
}

std::vector<ENetPeer*> CPendingJoins::Overdue(uint64_t nowMs, uint64_t timeoutMs) const
{
    std::vector<ENetPeer*> overdue;
    for (size_t slot = 0; slot < m_joins.size(); ++slot)
        if (m_joins[slot].pending && nowMs - m_joins[slot].startedMs >= timeoutMs)
            overdue.push_back(&m_host->peers[slot]);
    return overdue;
}

bool CPendingJoins::HasRoomFor(uint32_t ipv4) const
{
    auto it = m_perAddress.find(ipv4);
    return it == m_perAddress.end() || it->second < m_mostPerAddress;
}

void CPendingJoins::Begin(uint32_t ipv4)
{
    ++m_perAddress[ipv4];
    if (m_freePeers > 0)
        --m_freePeers;
}

} // namespace session
