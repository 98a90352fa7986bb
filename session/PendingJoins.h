// The peers of a server's ENet host that began joining and have not been
// admitted: ENet's handshake is under way (including the half-open state of
// a connect whose answer is never acknowledged, which ENet alone would keep
// for half a minute), or it is done and the hello or our welcome is missing.
// Knows when each began, how many each address holds, and how many of the
// host's peer slots are free; Refresh re-reads the host once a pass.
#pragma once

#include <enet/enet.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

namespace session
{

class CPendingJoins
{
public:
    explicit CPendingJoins(size_t mostPerAddress) : m_mostPerAddress(mostPerAddress) {}

    void Attach(ENetHost* host);
    // Re-reads every peer; `admitted` tells which finished joining.
    void Refresh(uint64_t nowMs, const std::function<bool(ENetPeer*)>& admitted);
    // Pending peers that began at least `timeoutMs` before `nowMs`.
    std::vector<ENetPeer*> Overdue(uint64_t nowMs, uint64_t timeoutMs) const;

    // Whether a connect from `ipv4` (host byte order) may begin a join now.
    bool HasRoomFor(uint32_t ipv4) const;
    // Counts a connect let through to ENet until the next Refresh sees its peer.
    void Begin(uint32_t ipv4);
    bool HasFreePeer() const { return m_freePeers > 0; }

private:
    struct Join
    {
        uint64_t startedMs = 0;
        uint32_t connectId = 0; // tells a new join in a reused slot from the old one
        bool pending = false;
    };

    ENetHost* m_host = nullptr;
    size_t m_mostPerAddress;
    std::vector<Join> m_joins; // by peer slot
    std::unordered_map<uint32_t, size_t> m_perAddress;
    size_t m_freePeers = 0;
};

} // namespace session
