#include "tools/impair/UdpRelay.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace impair
{
namespace
{
// The largest UDP payload.
constexpr size_t kMaxDatagram = 65536;
// The longest wait for traffic, so signals and phase changes are seen soon.
constexpr uint64_t kMaxWaitMs = 50;
// Datagrams read from one socket in a round, so a flood on one socket
// neither starves the others nor holds back what is due.
constexpr int kMaxReadsPerRound = 256;

int OpenUdpSocket()
{
    return socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

bool SameAddress(const sockaddr_in& a, const sockaddr_in& b)
{
    return a.sin_addr.s_addr == b.sin_addr.s_addr && a.sin_port == b.sin_port;
}

// Reads one datagram; its size, or -1 when there is none.
ssize_t Receive(int socket, uint8_t* buffer, sockaddr_in& from)
{
    socklen_t length = sizeof from;
    return recvfrom(socket, buffer, kMaxDatagram, 0, reinterpret_cast<sockaddr*>(&from), &length);
}
} // namespace

CUdpRelay::CUdpRelay(const ImpairOptions& options, std::FILE* out) : m_options(options), m_out(out) {}

CUdpRelay::~CUdpRelay()
{
    for (const auto& client : m_clients)
        close(client->upstream);
    if (m_listen >= 0)
        close(m_listen);
}

bool CUdpRelay::Open(std::string& error)
{
    m_listen = OpenUdpSocket();
    const sockaddr* address = reinterpret_cast<const sockaddr*>(&m_options.listen);
    if (m_listen < 0 || bind(m_listen, address, sizeof m_options.listen) != 0)
    {
        error = "cannot listen on " + ToString(m_options.listen) + ": " + std::strerror(errno);
        return false;
    }
    socklen_t length = sizeof m_options.listen;
    getsockname(m_listen, reinterpret_cast<sockaddr*>(&m_options.listen), &length);
    std::fprintf(m_out, "Relaying %s to %s\n", ToString(m_options.listen).c_str(),
                 ToString(m_options.server).c_str());
    std::fflush(m_out);
    return true;
}

uint64_t CUdpRelay::NowMs() const
{
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void CUdpRelay::Run(const volatile std::sig_atomic_t& stop, const volatile std::sig_atomic_t& lift)
{
    m_start = NowMs();
    uint64_t end = m_options.durationS ? m_start + uint64_t(m_options.durationS) * 1000 : UINT64_MAX;
    for (uint64_t now = NowMs(); !stop && now < end; now = NowMs())
    {
        UpdatePhase(now, lift != 0);
        SendDue(now);
        WaitForTraffic(now);
        now = NowMs();
        ReadFromClients(now);
        for (const auto& client : m_clients)
            ReadFromServer(*client, now);
    }
    PrintSummary();
}

void CUdpRelay::UpdatePhase(uint64_t now, bool liftAsked)
{
    uint64_t impairStart = m_start + uint64_t(m_options.impairAfterS) * 1000;
    if (m_phase == Phase::Untouched && now >= impairStart)
        StartImpairing();
    bool timeUp = m_options.impairForS && now >= impairStart + uint64_t(m_options.impairForS) * 1000;
    if (m_phase == Phase::Impairing && (liftAsked || timeUp))
        Lift();
}

void CUdpRelay::StartImpairing()
{
    m_phase = Phase::Impairing;
    const Impairment& i = m_options.impairment;
    std::fprintf(m_out,
                 "Impairing: delay %u ms, jitter %u ms, loss %g%%, duplicate %g%%, reorder %g%%, seed %llu\n",
                 i.delayMs, i.jitterMs, i.lossPercent, i.duplicatePercent, i.reorderPercent,
                 static_cast<unsigned long long>(m_options.seed));
    std::fflush(m_out);
}

// What is held back leaves at once, in the order it was due.
void CUdpRelay::Lift()
{
    m_phase = Phase::Lifted;
    SendDue(UINT64_MAX);
    std::fprintf(m_out, "Impairment lifted.\n");
    std::fflush(m_out);
}

void CUdpRelay::SendDue(uint64_t now)
{
    while (!m_held.empty() && m_held.top().due <= now)
    {
        const Held& held = m_held.top();
        Send(held.socket, held.to, held.bytes.data(), held.bytes.size());
        m_held.pop();
    }
}

void CUdpRelay::WaitForTraffic(uint64_t now)
{
    std::vector<pollfd> sockets = {{m_listen, POLLIN, 0}};
    for (const auto& client : m_clients)
        sockets.push_back({client->upstream, POLLIN, 0});
    uint64_t wait = kMaxWaitMs;
    if (!m_held.empty())
        wait = std::min(wait, m_held.top().due > now ? m_held.top().due - now : 0);
    poll(sockets.data(), sockets.size(), static_cast<int>(wait)); // EINTR: a signal, seen next round
}

void CUdpRelay::ReadFromClients(uint64_t now)
{
    uint8_t buffer[kMaxDatagram];
    sockaddr_in from{};
    ssize_t size = 0;
    for (int read = 0; read < kMaxReadsPerRound && (size = Receive(m_listen, buffer, from)) >= 0; ++read)
    {
        ++m_counts.received;
        Client* client = FindOrAddClient(from);
        if (client && m_options.toClientsOnly)
            Send(client->upstream, m_options.server, buffer, size_t(size));
        else if (client)
            Pass(client->upstream, m_options.server, buffer, size_t(size), client->toServer, now);
    }
}

void CUdpRelay::ReadFromServer(Client& client, uint64_t now)
{
    uint8_t buffer[kMaxDatagram];
    sockaddr_in from{};
    ssize_t size = 0;
    for (int read = 0; read < kMaxReadsPerRound && (size = Receive(client.upstream, buffer, from)) >= 0;
         ++read)
    {
        if (!SameAddress(from, m_options.server))
            continue;
        ++m_counts.received;
        Pass(m_listen, client.address, buffer, size_t(size), client.toClient, now);
    }
}

CUdpRelay::Client* CUdpRelay::FindOrAddClient(const sockaddr_in& from)
{
    for (const auto& client : m_clients)
        if (SameAddress(client->address, from))
            return client.get();
    int upstream = m_clients.size() < kMaxClients ? OpenUdpSocket() : -1;
    if (upstream < 0)
    {
        ++m_counts.refused;
        return nullptr;
    }
    // Each stream draws from a seed of its own, so its decisions do not
    // depend on how the streams' datagrams interleave.
    uint64_t stream = 2 * m_clients.size();
    auto seedFor = [&](uint64_t n) { return m_options.seed ^ (0x9E3779B97F4A7C15ull * (n + 1)); };
    m_clients.push_back(std::unique_ptr<Client>(
        new Client{from, upstream, CImpairSchedule(m_options.impairment, seedFor(stream)),
                   CImpairSchedule(m_options.impairment, seedFor(stream + 1))}));
    std::fprintf(m_out, "Client %zu: %s\n", m_clients.size(), ToString(from).c_str());
    std::fflush(m_out);
    return m_clients.back().get();
}

void CUdpRelay::Pass(int socket, const sockaddr_in& to, const uint8_t* data, size_t size,
                     CImpairSchedule& schedule, uint64_t now)
{
    if (m_phase != Phase::Impairing)
        return Send(socket, to, data, size);
    DatagramFate fate = schedule.Decide(now);
    m_counts.lost += fate.copies == 0;
    m_counts.duplicated += fate.copies == 2;
    m_counts.reordered += fate.copies > 0 && fate.reordered;
    for (int copy = 0; copy < fate.copies; ++copy)
        Hold(fate.due[copy], socket, to, data, size);
}

void CUdpRelay::Hold(uint64_t due, int socket, const sockaddr_in& to, const uint8_t* data, size_t size)
{
    if (m_held.size() >= kMaxHeld)
    {
        ++m_counts.overflowed;
        return;
    }
    m_held.push(Held{due, m_nextOrder++, socket, to, std::vector<uint8_t>(data, data + size)});
}

void CUdpRelay::Send(int socket, const sockaddr_in& to, const uint8_t* data, size_t size)
{
    if (sendto(socket, data, size, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) >= 0)
        ++m_counts.sent;
}

void CUdpRelay::PrintSummary()
{
    const Counts& c = m_counts;
    std::fprintf(m_out,
                 "Done: %zu clients, %llu datagrams received, %llu sent, %llu lost, %llu duplicated, "
                 "%llu reordered, %llu over the held limit, %llu from clients over the limit\n",
                 m_clients.size(), (unsigned long long)c.received, (unsigned long long)c.sent,
                 (unsigned long long)c.lost, (unsigned long long)c.duplicated,
                 (unsigned long long)c.reordered, (unsigned long long)c.overflowed,
                 (unsigned long long)c.refused);
    std::fflush(m_out);
}

} // namespace impair
