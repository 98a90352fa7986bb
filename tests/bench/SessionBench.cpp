// Measures the session service against plain UDP on the same machine: the
// rate at which unreliable packets of a given size are delivered, the bytes on
// the wire per payload byte, and whether anything comes back (acknowledgements,
// resends) for unreliable traffic.
//
// Run it inside a network namespace whose loopback has a LAN-sized MTU, so
// that large datagrams split as they would on a LAN:
//   tests/bench/run-session-bench.sh build/tests/bench/session_bench
#include "session/SessionClient.h"
#include "session/SessionServer.h"
#include "tests/bench/BenchSupport.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace session;
using Clock = std::chrono::steady_clock;

namespace
{
const Guid kGame = *Guid::Parse("{1A0FA2EB-7FEB-44C0-999E-E930A50FFE80}");
constexpr uint32_t kLoopback = 0x7F000001;
constexpr int kSocketBuffer = 256 * 1024; // what ENet gives its own sockets
constexpr int kPacketsPerFlush = 32;

// Every packet that arrives carries the whole payload, so packets a second
// times the payload size is the payload rate.
struct Result
{
    double packetsPerSecond = 0;
    double wireBytesPerPayloadByte = 0;
    uint64_t returnDatagrams = 0; // datagrams from receiver to sender during the run
};

struct Options
{
    double seconds = 1.0;
    int repeats = 5;
    std::vector<size_t> sizes{64, 1200, 20 * 1024};
};

int UdpSocket(uint16_t port)
{
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &kSocketBuffer, sizeof kSocketBuffer);
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &kSocketBuffer, sizeof kSocketBuffer);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(kLoopback);
    address.sin_port = htons(port);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    timeval timeout{0, 20000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    return fd;
}

uint16_t PortOf(int fd)
{
    sockaddr_in address{};
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

// Packets a second that plain UDP delivers on loopback.
double RunUdp(size_t size, double seconds)
{
    int receiver = UdpSocket(0);
    int sender = UdpSocket(0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(kLoopback);
    to.sin_port = htons(PortOf(receiver));
    std::atomic<bool> stop{false};
    uint64_t packets = 0;
    std::thread receive(
        [&]
        {
            std::vector<uint8_t> buffer(65536);
            while (!stop)
                packets += recv(receiver, buffer.data(), buffer.size(), 0) > 0;
        });
    std::vector<uint8_t> payload(size, 0xA5);
    for (auto end = Clock::now() + std::chrono::duration<double>(seconds); Clock::now() < end;)
        sendto(sender, payload.data(), payload.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    stop = true;
    receive.join();
    close(receiver);
    close(sender);
    return static_cast<double>(packets) / seconds;
}

class CountingClient : public ISessionClientEvents
{
public:
    void OnEnumHostsResponse(const SessionDescription&, const HostAddress&) override {}
    void OnConnectComplete(ConnectResult) override {}
    void OnTerminateSession() override {}
    void OnReceive(const uint8_t*, size_t) override { ++packets; }
    std::atomic<uint64_t> packets{0};
};

class IdleServer : public ISessionServerEvents
{
public:
    void OnCreatePlayer(PlayerId player) override { lastPlayer = player; }
    void OnDestroyPlayer(PlayerId) override {}
    void OnReceive(PlayerId, const uint8_t*, size_t) override {}
    std::atomic<PlayerId> lastPlayer{0};
};

// A session server on loopback with one client connected to it; the client
// is serviced on a thread of its own and counts what it receives.
class ConnectedPair
{
public:
    explicit ConnectedPair(uint16_t firstPort) : m_server(m_serverEvents), m_client(clientEvents)
    {
        uint16_t port = 0;
        for (uint16_t candidate = firstPort; !m_server.IsHosting() && candidate < firstPort + 100;
             ++candidate)
            if (m_server.Host(SessionHostParams{candidate, kGame, "bench", 5, kLoopback}))
                port = candidate;
        m_thread = std::thread([this, port] { ServeClient(port); });
        while (!m_connected || m_serverEvents.lastPlayer < 2)
            m_server.DoWork(5);
        player = m_serverEvents.lastPlayer;
    }
    ~ConnectedPair()
    {
        m_stop = true;
        m_thread.join();
    }

    CSessionServer& Server() { return m_server; }
    CountingClient clientEvents;
    PlayerId player = 0;

private:
    void ServeClient(uint16_t port)
    {
        m_connected = m_client.Connect(HostAddress{kLoopback, port}, kGame) == ConnectResult::Connected;
        while (!m_stop)
        {
            m_client.DoWork(5);
            m_client.WaitForTraffic(5);
        }
    }

    IdleServer m_serverEvents;
    CSessionServer m_server;
    CSessionClient m_client;
    std::atomic<bool> m_connected{false}, m_stop{false};
    std::thread m_thread;
};

// The server sends to one client, as the game server sends its batches.
Result RunSession(size_t size, double seconds)
{
    ConnectedPair pair(40000);
    CSessionServer& server = pair.Server();
    server.DoWork(0);
    SessionStats before = server.GetStats();
    uint64_t startPackets = pair.clientEvents.packets;
    std::vector<uint8_t> payload(size, 0xA5);
    uint64_t sent = 0;
    for (auto end = Clock::now() + std::chrono::duration<double>(seconds); Clock::now() < end;
         server.DoWork(0))
        for (int i = 0; i < kPacketsPerFlush; ++i, ++sent)
            server.SendTo(pair.player, payload.data(), payload.size());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    server.DoWork(0);
    SessionStats after = server.GetStats();

    Result result;
    uint64_t packets = pair.clientEvents.packets - startPackets;
    uint64_t wire = after.bytesSent - before.bytesSent;
    uint64_t payloadSent = sent * size;
    result.packetsPerSecond = static_cast<double>(packets) / seconds;
    result.wireBytesPerPayloadByte = static_cast<double>(wire) / static_cast<double>(payloadSent);
    result.returnDatagrams = after.datagramsReceived - before.datagramsReceived;
    return result;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void PrintSize(size_t size, const Options& options)
{
    std::vector<double> udpRate, sessionRate;
    Result last;
    uint64_t returned = 0;
    for (int repeat = 0; repeat < options.repeats; ++repeat)
    {
        // Alternate the order so neither transport always runs on a warm machine.
        if (repeat % 2 == 0)
            udpRate.push_back(RunUdp(size, options.seconds));
        last = RunSession(size, options.seconds);
        if (repeat % 2 == 1)
            udpRate.push_back(RunUdp(size, options.seconds));
        sessionRate.push_back(last.packetsPerSecond);
        returned = std::max(returned, last.returnDatagrams);
    }
    double udp = Median(udpRate), session = Median(sessionRate), megabytes = double(size) / 1e6;
    std::printf("%6zu B | UDP %10.0f pkt/s %8.1f MB/s | session %10.0f pkt/s %8.1f MB/s | ratio %.2f | "
                "wire/payload %.4f | return datagrams %llu\n",
                size, udp, udp * megabytes, session, session * megabytes, session / udp,
                last.wireBytesPerPayloadByte, static_cast<unsigned long long>(returned));
}
} // namespace

int main(int argc, char** argv)
{
    Options options;
    const cmdline::Option table[] = {
        cmdline::NumberOption<double>("--seconds", options.seconds, 0.001, 3600),
        cmdline::NumberOption<int>("--repeats", options.repeats, 1, 1000),
        cmdline::StopOption("--help"),
    };
    bench::ReadOptions(table, argc, argv,
                       "[--seconds S] [--repeats N]\n"
                       "Compares session-service sends with plain UDP on loopback (medians of N alternating\n"
                       "runs of S seconds each, for 64 B, 1200 B and 20 KB payloads).");
    std::printf("Session service against plain UDP, %d alternating repeats of %.1f s, medians\n",
                options.repeats, options.seconds);
    for (size_t size : options.sizes)
    {
        std::fflush(stdout);
        PrintSize(size, options);
    }
    return 0;
}
