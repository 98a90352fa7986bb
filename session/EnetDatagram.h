// Reads the header of a datagram a server's ENet host received, before ENet
// does, to tell a connect from a new peer from everything else. A pure
// function of the bytes, so that it can be fuzzed.
//
// Only a datagram whose header names no peer (peer id 0xFFF) and whose first
// command is CONNECT can make ENet create a peer. Such a datagram is a
// Connect only when it holds that one command, whole: what a real client
// sends. Our hosts use no checksums, and clients never compress (only the
// server does, EnetSupport.h), so a peerless datagram marked compressed is
// no client's connect and is dropped unread: nothing from a stranger is
// decompressed before its cookie is checked.
#pragma once

#include <cstddef>
#include <cstdint>

namespace session::enet
{

enum class DatagramKind
{
    ForPeer, // names an existing peer: ENet's own business
    Connect, // a lone, whole CONNECT from a new peer
    Drop,    // could only make a peer, or nothing at all, without being a proper connect
};

struct DatagramInspection
{
    DatagramKind kind = DatagramKind::Drop;
    uint32_t connectData = 0; // the connect's data word, for a Connect
};

DatagramInspection InspectDatagram(const uint8_t* data, size_t size);

} // namespace session::enet
