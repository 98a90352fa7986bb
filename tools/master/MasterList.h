// CMasterList is QuorvexMaster without its socket: it takes each datagram
// with its source and the time, and hands what it sends and logs to a sink,
// so tests drive it with made-up datagrams and clocks.
//
// A heartbeat only earns a challenge (getinfo) sent to the address it came
// from; a server is listed when that address answers with an infoResponse
// echoing the challenge and naming this game. So a heartbeat with a forged
// source lists nothing: whoever forged it never sees the challenge. A listed
// server stays listed while it answers the challenges of its later
// heartbeats, and is dropped when it has not for the expiry.
//
// Everything it keeps is bounded: servers per IPv4 address and in all,
// waiting challenges (the oldest make way), and answers per address per
// second, so that a flood of forged requests neither fills its memory nor
// turns it into an amplifier against someone else.
#pragma once

#include "session/AnswerBudget.h"
#include "session/MasterWire.h"

#include <cstdint>
#include <list>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

namespace master
{

using session::master::ServerAddress;

// Where CMasterList's datagrams and log lines go.
class IMasterSink
{
public:
    virtual ~IMasterSink() = default;
    virtual void Send(const ServerAddress& to, const std::vector<uint8_t>& bytes) = 0;
    virtual void Log(const std::string& line) = 0;
};

struct MasterLimits
{
    uint64_t expiryMs = 900 * 1000;
    uint64_t challengeTimeoutMs = 5 * 1000;
    size_t serversPerIpv4 = 16;
    size_t servers = 4096;
    size_t pendingChallenges = 4096;
    int answersPerSecond = 8;
};

// "192.0.2.7:3001".
std::string ToString(const ServerAddress& address);

class CMasterList
{
public:
    // `seed` seeds the challenges; the program seeds it from the system's
    // random source, tests with a fixed number.
    CMasterList(const MasterLimits& limits, uint64_t seed, IMasterSink& sink);

    void Receive(const uint8_t* data, size_t size, const ServerAddress& from, uint64_t nowMs);
    // Drops servers past the expiry and challenges past their timeout.
    void Expire(uint64_t nowMs);

    size_t ListedCount() const { return m_servers.size(); }
    size_t PendingCount() const { return m_pending.size(); }

private:
    struct Listed
    {
        ServerAddress address;
        uint32_t protocol = 0;
        int clients = 0;
        int maxClients = 0;
        uint64_t heardMs = 0;
    };
    struct Pending
    {
        ServerAddress address;
        std::string challenge;
        uint64_t sentMs = 0;
    };
    using PendingList = std::list<Pending>;

    void OnHeartbeat(const ServerAddress& from, uint64_t nowMs);
    void OnInfoResponse(const uint8_t* data, size_t size, const ServerAddress& from, uint64_t nowMs);
    void OnGetServers(const session::master::Connectionless& packet, const ServerAddress& from,
                      uint64_t nowMs);
    bool HasRoomFor(const ServerAddress& address) const;
    void List(const ServerAddress& address, const session::master::InfoPairs& info, uint64_t nowMs);
    void ForgetPending(PendingList::iterator pending);
    std::string NewChallenge();

    MasterLimits m_limits;
    IMasterSink& m_sink;
    std::mt19937_64 m_random;
    session::CAnswerBudget m_budget;
    std::unordered_map<uint64_t, Listed> m_servers;
    std::unordered_map<uint32_t, size_t> m_serversPerIpv4;
    // Oldest first, so the oldest challenge makes way when the list is full.
    PendingList m_pending;
    std::unordered_map<uint64_t, PendingList::iterator> m_pendingByAddress;
};

} // namespace master
