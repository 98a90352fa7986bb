// Announces the server to master servers, so that players on the internet
// find it: a heartbeat from the game port to each master at start, every five
// minutes, and soon after the number of people changes (at most once a minute
// for that). A master answers with getinfo, which the session answers on the
// same port.
//
// Names are resolved on a helper thread, so a slow name server never holds
// up the server thread; a name that does not resolve is logged once and tried
// again a minute later.
#pragma once

#include "session/SessionTypes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace server
{

struct MasterServer
{
    std::string host;
    uint16_t port = 0;
    bool operator==(const MasterServer&) const = default;
};

// "HOST[:PORT][,HOST[:PORT]...]", the port 27950 when not given; nullopt when
// a name is empty or a port is not a number from 1 to 65535.
std::optional<std::vector<MasterServer>> ParseMasterList(std::string_view text);

class CHeartbeats
{
public:
    // Sends one datagram from the game port.
    using Sender = std::function<void(const session::HostAddress& to, const std::vector<uint8_t>& bytes)>;
    // A name to an IPv4 address (host byte order); runs on a helper thread.
    using Resolver = std::function<std::optional<uint32_t>(const std::string& host)>;
    // Logs one line.
    using Logger = std::function<void(const std::string& line)>;

    static constexpr uint64_t kIntervalMs = 5 * 60 * 1000;
    static constexpr uint64_t kChangeIntervalMs = 60 * 1000;
    static constexpr uint64_t kResolveRetryMs = 60 * 1000;

    CHeartbeats(std::vector<MasterServer> masters, Sender send, Logger log, Resolver resolve = ResolveIpv4);
    ~CHeartbeats();
    CHeartbeats(const CHeartbeats&) = delete;
    CHeartbeats& operator=(const CHeartbeats&) = delete;

    // Sends the heartbeats that are due at `nowMs` (any steady clock), with
    // `people` the number playing now. Never blocks.
    void Tick(uint64_t nowMs, size_t people);

    // getaddrinfo, IPv4 only.
    static std::optional<uint32_t> ResolveIpv4(const std::string& host);

private:
    struct Lookup;
    struct Master
    {
        MasterServer server;
        std::optional<uint32_t> ipv4;
        std::shared_ptr<Lookup> lookup; // under way
        uint64_t retryAt = 0;
        bool reportedUnresolved = false;
        std::optional<uint64_t> lastSent;
        size_t peopleSent = 0;
    };

    void Resolve(Master& master, uint64_t nowMs);
    void TakeLookup(Master& master, uint64_t nowMs);
    bool IsDue(const Master& master, uint64_t nowMs, size_t people) const;

    std::vector<Master> m_masters;
    Sender m_send;
    Logger m_log;
    Resolver m_resolve;
};

} // namespace server
