#include "session/EnetDatagram.h"

#include "platform/ByteIo.h"

#include <enet/enet.h>

#include <cstddef>

namespace session::enet
{
using platform::ByteReader;
using platform::ByteWriter;

namespace
{
// ENet's header is big-endian; ByteReader reads little-endian.
uint32_t BigEndian(const uint8_t* bytes, size_t count)
{
    uint32_t value = 0;
    for (size_t i = 0; i < count; ++i)
        value = (value << 8) | bytes[i];
    return value;
}

constexpr uint16_t kPeerIdMask =
    static_cast<uint16_t>(~(ENET_PROTOCOL_HEADER_FLAG_MASK | ENET_PROTOCOL_HEADER_SESSION_MASK));
constexpr size_t kConnectDataOffset = offsetof(ENetProtocolConnect, data);
} // namespace

DatagramInspection InspectDatagram(const uint8_t* data, size_t size)
{
    ByteReader in(data, size);
    const uint8_t* peerField = in.Bytes(sizeof(enet_uint16));
    if (!peerField)
        return {};
    uint32_t header = BigEndian(peerField, 2);
    if ((header & kPeerIdMask) != ENET_PROTOCOL_MAXIMUM_PEER_ID)
        return {DatagramKind::ForPeer};
    if (header & ENET_PROTOCOL_HEADER_FLAG_COMPRESSED)
        return {};
    if ((header & ENET_PROTOCOL_HEADER_FLAG_SENT_TIME) && !in.Skip(sizeof(enet_uint16)))
        return {};
    const uint8_t* command = in.Bytes(sizeof(ENetProtocolConnect));
    bool loneConnect = command && in.Remaining() == 0 &&
                       (command[0] & ENET_PROTOCOL_COMMAND_MASK) == ENET_PROTOCOL_COMMAND_CONNECT;
    if (!loneConnect)
        return {};
    return {DatagramKind::Connect, BigEndian(command + kConnectDataOffset, 4)};
}

} // namespace session::enet
