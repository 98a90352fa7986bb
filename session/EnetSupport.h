// Small helpers around ENet shared by both sides of the session service.
#pragma once

#include "session/SessionTypes.h"

#include <enet/enet.h>

#include <chrono>
#include <cstdint>

namespace session::enet
{

// Initialises the ENet library once per process.
void EnsureInitialized();

HostAddress FromEnet(const ENetAddress& address);
ENetAddress ToEnet(const HostAddress& address);

// Game data: unreliable and unsequenced; larger than a datagram, unreliable fragments.
constexpr enet_uint32 kGameDataFlags = ENET_PACKET_FLAG_UNSEQUENCED | ENET_PACKET_FLAG_UNRELIABLE_FRAGMENT;

// Largest packet either side accepts; bounds what a peer can make us buffer.
constexpr size_t kMaximumPacketSize = 4 * 1024 * 1024;
constexpr size_t kMaximumWaitingData = 16 * 1024 * 1024;

// A peer whose reliable traffic (ENet's own pings every 500 ms) goes
// unanswered is dropped: after the minimum once ENet has resent it a few
// times, which on a fast link takes a moment, so a player who vanishes from a
// LAN game is noticed in about 3 s; after the maximum in any case. On a slow
// link ENet waits about a round trip before the first resend and twice as long
// before each next one. With a 1 s round trip and 5 % loss each way, a 6 s
// maximum left room for only three tries of a ping, one in a thousand pings
// failed them all, and a player was dropped about once a minute; 20 s leaves
// room for five tries.
constexpr enet_uint32 kTimeoutMinimumMs = 3000;
constexpr enet_uint32 kTimeoutMaximumMs = 20000;

// Sets the time-outs above and keeps ENet's packet throttle from dropping
// game data under load: the game sends state every pass and would rather
// have it arrive than be thinned.
void ConfigurePeer(ENetPeer* peer);

// Copies `size` bytes into a new packet and queues it on `channel`; a packet
// ENet refuses is freed here.
void SendPacket(ENetPeer* peer, enet_uint8 channel, const uint8_t* data, size_t size, enet_uint32 flags);

// Unreliable fragments carry a per-channel sequence number that only a
// reliable send on that channel resets; once it nears its limit, ENet would
// quietly send large packets reliably. Sending an empty reliable packet on the
// channel before that happens keeps large game data unreliable.
void KeepFragmentsUnreliable(ENetPeer* peer, enet_uint8 channel);

// What the server sends is compressed with ENet's range coder, each datagram
// on its own: game state repeats kinds, ids and nearby coordinates, and the
// coder leaves a little under half of a datagram's commands, at some 30 to
// 40 microseconds of the server's time per kilobyte. Clients only decompress
// and send plain datagrams: theirs are a keys message and an acknowledgement
// or two, a few tens of bytes of which the coder would save about four, and
// their connect must stay readable to the server's join inspection, which
// reads raw datagrams before ENet does. Each side leaves the other direction
// out, so a server drops a compressed datagram from a peer unread.
enum class RangeCoding
{
    CompressSends,      // the server
    DecompressReceipts, // a client
};

// Installs the coder on `host`; false when ENet could not make its context
// (the host then sends and reads plain datagrams only).
bool UseRangeCoder(ENetHost* host, RangeCoding direction);

// Blocks until the host's socket has a datagram or `timeoutMs` passes.
void WaitForTraffic(ENetHost* host, uint32_t timeoutMs);

// Moves the host's traffic counters into `stats` (ENet's own are 32-bit).
void CollectStats(ENetHost* host, SessionStats& stats);

// Milliseconds of a steady clock, for slices and deadlines.
inline uint64_t NowMs()
{
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

} // namespace session::enet
