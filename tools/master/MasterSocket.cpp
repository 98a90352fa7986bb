#include "tools/master/MasterSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace master
{
namespace
{
// Larger than any datagram of the protocol; longer ones are cut and then
// refused by the decoders.
constexpr size_t kReadBuffer = 2048;
// The longest wait for traffic, so expiry and signals are seen soon.
constexpr int kMaxWaitMs = 1000;
// Datagrams read in a round, so a flood does not hold back expiry.
constexpr int kMaxReadsPerRound = 1024;

uint64_t NowMs()
{
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

sockaddr_in ToSockaddr(const ServerAddress& address)
{
    sockaddr_in out{};
    out.sin_family = AF_INET;
    out.sin_addr.s_addr = htonl(address.ipv4);
    out.sin_port = htons(address.port);
    return out;
}

MasterLimits LimitsOf(const MasterOptions& options)
{
    MasterLimits limits;
    limits.expiryMs = uint64_t(options.expiryS) * 1000;
    limits.challengeTimeoutMs = uint64_t(options.challengeTimeoutS) * 1000;
    return limits;
}
} // namespace

CMasterSocket::CMasterSocket(const MasterOptions& options, uint64_t seed, std::FILE* out)
    : m_options(options), m_out(out), m_list(LimitsOf(options), seed, *this)
{
}

CMasterSocket::~CMasterSocket()
{
    if (m_socket >= 0)
        close(m_socket);
}

bool CMasterSocket::Open(std::string& error)
{
    ServerAddress listen{m_options.bindIpv4, m_options.port};
    sockaddr_in address = ToSockaddr(listen);
    m_socket = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_socket < 0 || bind(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
    {
        error = "cannot listen on " + ToString(listen) + ": " + std::strerror(errno);
        return false;
    }
    Log("Listening on " + ToString(listen));
    return true;
}

void CMasterSocket::Run(const volatile std::sig_atomic_t& stop)
{
    while (!stop)
    {
        pollfd wait = {m_socket, POLLIN, 0};
        poll(&wait, 1, kMaxWaitMs); // EINTR: a signal, seen at the loop's test
        uint64_t now = NowMs();
        ReadAll(now);
        m_list.Expire(now);
    }
}

void CMasterSocket::ReadAll(uint64_t nowMs)
{
    uint8_t buffer[kReadBuffer];
    for (int read = 0; read < kMaxReadsPerRound; ++read)
    {
        sockaddr_in from{};
        socklen_t length = sizeof from;
        ssize_t size =
            recvfrom(m_socket, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
        if (size < 0)
            return;
        if (length != sizeof from || from.sin_family != AF_INET)
            continue;
        m_list.Receive(buffer, size_t(size), {ntohl(from.sin_addr.s_addr), ntohs(from.sin_port)}, nowMs);
    }
}

void CMasterSocket::Send(const ServerAddress& to, const std::vector<uint8_t>& bytes)
{
    sockaddr_in address = ToSockaddr(to);
    sendto(m_socket, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&address),
           sizeof address);
}

void CMasterSocket::Log(const std::string& line)
{
    std::fprintf(m_out, "%s\n", line.c_str());
    std::fflush(m_out);
}

} // namespace master
