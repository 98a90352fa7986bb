#include "server/Heartbeats.h"

#include "session/MasterWire.h"

#include <charconv>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>

namespace server
{

// A name's resolution, shared with the helper thread that does it: the
// thread is detached, so a name server that never answers holds up neither
// the server thread nor its shut-down.
struct CHeartbeats::Lookup
{
    std::mutex mutex;
    bool done = false;
    std::optional<uint32_t> ipv4;
};

namespace
{
std::optional<MasterServer> ParseMaster(std::string_view text)
{
    MasterServer master{std::string(text), session::master::kDefaultMasterPort};
    size_t colon = text.rfind(':');
    if (colon != std::string_view::npos)
    {
        std::string_view digits = text.substr(colon + 1);
        unsigned port = 0;
        auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
        if (error != std::errc() || end != digits.data() + digits.size() || port == 0 || port > 65535)
            return std::nullopt;
        master = {std::string(text.substr(0, colon)), static_cast<uint16_t>(port)};
    }
    if (master.host.empty())
        return std::nullopt;
    return master;
}
} // namespace

std::optional<std::vector<MasterServer>> ParseMasterList(std::string_view text)
{
    std::vector<MasterServer> masters;
    while (true)
    {
        size_t comma = text.find(',');
        std::optional<MasterServer> master = ParseMaster(text.substr(0, comma));
        if (!master)
            return std::nullopt;
        masters.push_back(std::move(*master));
        if (comma == std::string_view::npos)
            return masters;
        text = text.substr(comma + 1);
    }
}

CHeartbeats::CHeartbeats(std::vector<MasterServer> masters, Sender send, Logger log, Resolver resolve)
    : m_send(std::move(send)), m_log(std::move(log)), m_resolve(std::move(resolve))
{
    for (MasterServer& server : masters)
    {
        m_masters.emplace_back();
        m_masters.back().server = std::move(server);
    }
}

CHeartbeats::~CHeartbeats() = default;

void CHeartbeats::Tick(uint64_t nowMs, size_t people)
{
    for (Master& master : m_masters)
    {
        if (!master.ipv4)
            Resolve(master, nowMs);
        if (!master.ipv4 || !IsDue(master, nowMs, people))
            continue;
        m_send({*master.ipv4, master.server.port}, session::master::MakeHeartbeat());
        master.lastSent = nowMs;
        master.peopleSent = people;
    }
}

// A dotted address needs no helper; a name gets one lookup at a time.
void CHeartbeats::Resolve(Master& master, uint64_t nowMs)
{
    if (master.lookup)
        return TakeLookup(master, nowMs);
    if (nowMs < master.retryAt)
        return;
    if ((master.ipv4 = session::HostAddress::ParseIpv4(master.server.host)))
        return;
    auto lookup = std::make_shared<Lookup>();
    master.lookup = lookup;
    std::thread(
        [lookup, resolve = m_resolve, host = master.server.host]
        {
            std::optional<uint32_t> ipv4 = resolve(host);
            std::lock_guard guard(lookup->mutex);
            lookup->ipv4 = ipv4;
            lookup->done = true;
        })
        .detach();
}

void CHeartbeats::TakeLookup(Master& master, uint64_t nowMs)
{
    {
        std::lock_guard guard(master.lookup->mutex);
        if (!master.lookup->done)
            return;
        master.ipv4 = master.lookup->ipv4;
    }
    master.lookup.reset();
    master.retryAt = nowMs + kResolveRetryMs;
    if (master.ipv4 || master.reportedUnresolved)
        return;
    master.reportedUnresolved = true;
    m_log("Master server \"" + master.server.host + "\" could not be found; trying again every minute.");
}

bool CHeartbeats::IsDue(const Master& master, uint64_t nowMs, size_t people) const
{
    if (!master.lastSent)
        return true;
    uint64_t since = nowMs - *master.lastSent;
    return since >= kIntervalMs || (people != master.peopleSent && since >= kChangeIntervalMs);
}

std::optional<uint32_t> CHeartbeats::ResolveIpv4(const std::string& host)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found)
        return std::nullopt;
    uint32_t ipv4 = ntohl(reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
    freeaddrinfo(found);
    return ipv4;
}

} // namespace server
