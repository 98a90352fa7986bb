// CUdpRelay is QuorvexImpair's relay: one socket where clients send, and one
// socket towards the server for each client address, so the server sees
// every client separately. Each direction of each client's traffic has its
// own CImpairSchedule (seeded from the one seed and the client's number), and
// the datagrams it holds back wait in one queue ordered by their due times.
//
// It sends only to the server's address and to client addresses that sent to
// it, and takes from a server socket only what comes from the server. Clients
// and held datagrams are capped; what is over the caps is dropped and counted.
#pragma once

#include "tools/impair/ImpairOptions.h"
#include "tools/impair/ImpairSchedule.h"

#include <netinet/in.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <queue>
#include <string>
#include <vector>

namespace impair
{

class CUdpRelay
{
public:
    static constexpr size_t kMaxClients = 64;
    static constexpr size_t kMaxHeld = 8192;

    // `out` receives the progress lines and the summary.
    CUdpRelay(const ImpairOptions& options, std::FILE* out);
    ~CUdpRelay();
    CUdpRelay(const CUdpRelay&) = delete;
    CUdpRelay& operator=(const CUdpRelay&) = delete;

    // Binds the clients' socket; false with the reason in `error`.
    bool Open(std::string& error);
    // Relays until the duration is over or `stop` is set; `lift` set (by a
    // signal) lifts the impairment.
    void Run(const volatile std::sig_atomic_t& stop, const volatile std::sig_atomic_t& lift);

private:
    struct Client
    {
        sockaddr_in address{};
        int upstream = -1;
        CImpairSchedule toServer;
        CImpairSchedule toClient;
    };
    struct Held
    {
        uint64_t due = 0;
        uint64_t order = 0; // arrival order, for copies due at the same time
        int socket = -1;
        sockaddr_in to{};
        std::vector<uint8_t> bytes;
        bool operator>(const Held& other) const
        {
            return due != other.due ? due > other.due : order > other.order;
        }
    };
    enum class Phase
    {
        Untouched,
        Impairing,
        Lifted,
    };
    struct Counts
    {
        uint64_t received = 0, sent = 0, lost = 0, duplicated = 0, reordered = 0, overflowed = 0, refused = 0;
    };

    uint64_t NowMs() const;
    void UpdatePhase(uint64_t now, bool liftAsked);
    void StartImpairing();
    void Lift();
    void SendDue(uint64_t now);
    void WaitForTraffic(uint64_t now);
    void ReadFromClients(uint64_t now);
    void ReadFromServer(Client& client, uint64_t now);
    Client* FindOrAddClient(const sockaddr_in& from);
    void Pass(int socket, const sockaddr_in& to, const uint8_t* data, size_t size, CImpairSchedule& schedule,
              uint64_t now);
    void Hold(uint64_t due, int socket, const sockaddr_in& to, const uint8_t* data, size_t size);
    void Send(int socket, const sockaddr_in& to, const uint8_t* data, size_t size);
    void PrintSummary();

    ImpairOptions m_options;
    std::FILE* m_out;
    int m_listen = -1;
    uint64_t m_start = 0;
    Phase m_phase = Phase::Untouched;
    std::vector<std::unique_ptr<Client>> m_clients;
    std::priority_queue<Held, std::vector<Held>, std::greater<Held>> m_held;
    uint64_t m_nextOrder = 0;
    Counts m_counts;
};

} // namespace impair
