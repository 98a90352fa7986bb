// Datagrams as a stranger on the network sends them: a plain UDP socket bound
// to any loopback address (the whole of 127/8 is local, so tests can play
// many hosts), and ENet's connect command crafted byte for byte.
#pragma once

#include "session/SessionWire.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace testing_support
{

// Asks the server at `ipv4`:`port` for a join cookie for `application` from
// the socket `fd`, again every quarter second while no answer comes (answers
// are rate-limited).
std::optional<session::wire::CookieAnswer> AskForCookie(int fd, uint32_t ipv4, uint16_t port,
                                                        const session::Guid& application,
                                                        std::chrono::milliseconds timeout);

class UdpSocket
{
public:
    // Bound to `ipv4` (host byte order) on a port the system picks.
    explicit UdpSocket(uint32_t ipv4);
    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    int Fd() const { return m_fd; }
    uint16_t Port() const { return m_port; }
    void SendTo(uint32_t ipv4, uint16_t port, const std::vector<uint8_t>& bytes);
    // The next datagram, or nullopt once `timeout` passes without one.
    std::optional<std::vector<uint8_t>> Receive(std::chrono::milliseconds timeout);

private:
    int m_fd = -1;
    uint16_t m_port = 0;
};

// A 52-byte ENet connect from a peer that has none yet (peer id 0xFFF), for
// two channels, carrying `data` as its connect data word.
std::vector<uint8_t> EnetConnect(uint32_t data, uint32_t connectId);

// Waits up to `timeout` for a VERIFY_CONNECT on `socket`, skipping anything
// else: the server made a peer for our connect.
bool AwaitVerifyConnect(UdpSocket& socket, std::chrono::milliseconds timeout);

} // namespace testing_support
