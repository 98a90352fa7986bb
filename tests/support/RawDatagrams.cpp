#include "tests/support/RawDatagrams.h"

#include "tests/support/Ports.h"

#include <enet/enet.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace testing_support
{
namespace
{
constexpr uint8_t kCommandMask = 0x0F;
constexpr uint8_t kAcknowledge = 1;
constexpr uint8_t kConnect = 2;
constexpr uint8_t kVerifyConnect = 3;
constexpr uint8_t kAcknowledgeFlag = 0x80;
constexpr uint8_t kCompressedFlag = 0x40; // of the header's first byte
constexpr size_t kHeaderWithSentTime = 4;

sockaddr_in SocketAddress(uint32_t ipv4, uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(ipv4);
    address.sin_port = htons(port);
    return address;
}

void BigEndian16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

void BigEndian32(std::vector<uint8_t>& out, uint32_t value)
{
    BigEndian16(out, static_cast<uint16_t>(value >> 16));
    BigEndian16(out, static_cast<uint16_t>(value));
}

void SendDatagram(int fd, uint32_t ipv4, uint16_t port, const std::vector<uint8_t>& bytes)
{
    sockaddr_in to = SocketAddress(ipv4, port);
    sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
}

std::optional<std::vector<uint8_t>> ReceiveDatagram(int fd, std::chrono::milliseconds timeout)
{
    pollfd waiting{fd, POLLIN, 0};
    if (poll(&waiting, 1, static_cast<int>(timeout.count())) <= 0)
        return std::nullopt;
    std::vector<uint8_t> bytes(4096);
    ssize_t received = recv(fd, bytes.data(), bytes.size(), MSG_DONTWAIT);
    if (received < 0)
        return std::nullopt;
    bytes.resize(static_cast<size_t>(received));
    return bytes;
}

// The datagram with its commands decompressed, when the server's range coder
// shrank them (EnetSupport.h); unchanged when it did not.
std::vector<uint8_t> Decompressed(const std::vector<uint8_t>& datagram)
{
    if (datagram.size() < kHeaderWithSentTime || !(datagram[0] & kCompressedFlag))
        return datagram;
    std::vector<uint8_t> plain(datagram.begin(), datagram.begin() + kHeaderWithSentTime);
    plain.resize(kHeaderWithSentTime + ENET_PROTOCOL_MAXIMUM_MTU);
    void* coder = enet_range_coder_create();
    size_t size = enet_range_coder_decompress(coder, datagram.data() + kHeaderWithSentTime,
                                              datagram.size() - kHeaderWithSentTime,
                                              plain.data() + kHeaderWithSentTime, ENET_PROTOCOL_MAXIMUM_MTU);
    enet_range_coder_destroy(coder);
    plain.resize(kHeaderWithSentTime + size);
    return plain;
}

// True when an ENet datagram carries a VERIFY_CONNECT.
bool IsEnetVerifyConnect(const std::vector<uint8_t>& compressed)
{
    std::vector<uint8_t> datagram = Decompressed(compressed);
    // The answer to a connect holds the acknowledgement (8 bytes) and the
    // VERIFY_CONNECT (44 bytes), always with a sent time.
    for (size_t at = kHeaderWithSentTime; at < datagram.size();)
    {
        uint8_t command = datagram[at] & kCommandMask;
        if (command == kVerifyConnect)
            return true;
        if (command != kAcknowledge)
            return false;
        at += 8;
    }
    return false;
}
} // namespace

UdpSocket::UdpSocket(uint32_t ipv4)
{
    m_fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address = SocketAddress(ipv4, 0);
    socklen_t length = sizeof address;
    if (m_fd < 0 || bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    {
        if (m_fd >= 0)
            close(m_fd);
        throw std::runtime_error("cannot bind a UDP socket to a loopback address");
    }
    m_port = ntohs(address.sin_port);
}

UdpSocket::~UdpSocket()
{
    close(m_fd);
}

void UdpSocket::SendTo(uint32_t ipv4, uint16_t port, const std::vector<uint8_t>& bytes)
{
    SendDatagram(m_fd, ipv4, port, bytes);
}

std::optional<std::vector<uint8_t>> UdpSocket::Receive(std::chrono::milliseconds timeout)
{
    return ReceiveDatagram(m_fd, timeout);
}

uint16_t FreeUdpPort()
{
    return UdpSocket(INADDR_LOOPBACK).Port();
}

std::optional<session::wire::CookieAnswer> AskForCookie(int fd, uint32_t ipv4, uint16_t port,
                                                        const session::Guid& application,
                                                        std::chrono::milliseconds timeout)
{
    constexpr auto kRetry = std::chrono::milliseconds(250);
    std::vector<uint8_t> request = session::wire::EncodeCookieRequest({application, 0x5EED});
    auto deadline = std::chrono::steady_clock::now() + timeout;
    auto nextRequest = std::chrono::steady_clock::now();
    for (auto now = nextRequest; now < deadline; now = std::chrono::steady_clock::now())
    {
        if (now >= nextRequest)
        {
            SendDatagram(fd, ipv4, port, request);
            nextRequest = now + kRetry;
        }
        auto wait =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::min(nextRequest, deadline) - now);
        if (std::optional<std::vector<uint8_t>> datagram = ReceiveDatagram(fd, wait))
            if (auto answer = session::wire::DecodeCookieAnswer(datagram->data(), datagram->size()))
                return answer;
    }
    return std::nullopt;
}

std::vector<uint8_t> EnetConnect(uint32_t data, uint32_t connectId)
{
    std::vector<uint8_t> bytes;
    BigEndian16(bytes, 0x8FFF); // sent-time flag, no peer yet
    BigEndian16(bytes, 0);      // sent time
    bytes.push_back(kConnect | kAcknowledgeFlag);
    bytes.push_back(0xFF);                                            // channel: none
    BigEndian16(bytes, 1);                                            // reliable sequence number
    BigEndian16(bytes, 0);                                            // our peer id
    bytes.push_back(0xFF);                                            // incoming session
    bytes.push_back(0xFF);                                            // outgoing session
    for (uint32_t field : {1400u, 32768u, 2u, 0u, 0u, 5000u, 2u, 2u}) // mtu .. throttle deceleration
        BigEndian32(bytes, field);
    BigEndian32(bytes, connectId);
    BigEndian32(bytes, data);
    return bytes;
}

bool AwaitVerifyConnect(UdpSocket& socket, std::chrono::milliseconds timeout)
{
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (auto now = std::chrono::steady_clock::now(); now < deadline; now = std::chrono::steady_clock::now())
    {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        std::optional<std::vector<uint8_t>> datagram = socket.Receive(left);
        if (datagram && IsEnetVerifyConnect(*datagram))
            return true;
    }
    return false;
}

} // namespace testing_support
