#include "session/EnetSupport.h"

#include <cstdlib>
#include <mutex>

namespace session::enet
{
namespace
{
constexpr enet_uint16 kUnreliableSequenceResetAt = 0xFF00;
}

void EnsureInitialized()
{
    static std::once_flag once;
    std::call_once(once,
                   []
                   {
                       if (enet_initialize() == 0)
                           std::atexit(enet_deinitialize);
                   });
}

HostAddress FromEnet(const ENetAddress& address)
{
    return HostAddress{ENET_NET_TO_HOST_32(address.host), address.port};
}

ENetAddress ToEnet(const HostAddress& address)
{
    ENetAddress result;
    result.host = ENET_HOST_TO_NET_32(address.ipv4);
    result.port = address.port;
    return result;
}

bool UseRangeCoder(ENetHost* host, RangeCoding direction)
{
    ENetCompressor coder{};
    coder.context = enet_range_coder_create();
    if (!coder.context)
        return false;
    if (direction == RangeCoding::CompressSends)
        coder.compress = enet_range_coder_compress;
    else
        coder.decompress = enet_range_coder_decompress;
    coder.destroy = enet_range_coder_destroy;
    enet_host_compress(host, &coder);
    return true;
}

void WaitForTraffic(ENetHost* host, uint32_t timeoutMs)
{
    if (!host)
        return;
    enet_uint32 condition = ENET_SOCKET_WAIT_RECEIVE | ENET_SOCKET_WAIT_INTERRUPT;
    enet_socket_wait(host->socket, &condition, timeoutMs);
}

void CollectStats(ENetHost* host, SessionStats& stats)
{
    stats.datagramsSent += host->totalSentPackets;
    stats.bytesSent += host->totalSentData;
    stats.datagramsReceived += host->totalReceivedPackets;
    stats.bytesReceived += host->totalReceivedData;
    host->totalSentPackets = host->totalSentData = 0;
    host->totalReceivedPackets = host->totalReceivedData = 0;
}

void ConfigurePeer(ENetPeer* peer)
{
    enet_peer_timeout(peer, ENET_PEER_TIMEOUT_LIMIT, kTimeoutMinimumMs, kTimeoutMaximumMs);
    enet_peer_throttle_configure(peer, ENET_PEER_PACKET_THROTTLE_INTERVAL, ENET_PEER_PACKET_THROTTLE_SCALE,
                                 0);
    peer->packetThrottle = ENET_PEER_PACKET_THROTTLE_SCALE;
}

void SendPacket(ENetPeer* peer, enet_uint8 channel, const uint8_t* data, size_t size, enet_uint32 flags)
{
    if (ENetPacket* packet = enet_packet_create(data, size, flags))
        if (enet_peer_send(peer, channel, packet) < 0)
            enet_packet_destroy(packet);
}

void KeepFragmentsUnreliable(ENetPeer* peer, enet_uint8 channel)
{
    if (channel >= peer->channelCount)
        return;
    if (peer->channels[channel].outgoingUnreliableSequenceNumber < kUnreliableSequenceResetAt)
        return;
    SendPacket(peer, channel, nullptr, 0, ENET_PACKET_FLAG_RELIABLE);
}

} // namespace session::enet
