// The server side of the session service, the game's stand-in for a
// client/server session of the platform it was designed for. Built on ENet.
//
// Guarantees the game relies on:
// - every callback runs on the calling thread inside DoWork, which handles
//   what is pending and returns at once when nothing is, never blocking past
//   its slice;
// - the host's own player is created first, like any other player, and
//   counts against the player limit;
// - player ids are never 0 and never reused within a run;
// - a client beyond the limit (or with no free peer left), or of another
//   application, is refused at once;
// - joining costs the server nothing until the client has shown, with a join
//   cookie, that it receives at its address: a connect without one is
//   dropped before ENet makes a peer for it; a join not finished within
//   seconds is dropped (silently while ENet's handshake is unfinished), and
//   one IPv4 address holds at most a few unfinished joins at a time;
// - sends are unreliable and unsequenced: a packet arrives whole, once, or not
//   at all, in any order; packets larger than a datagram are never resent;
// - silent clients are dropped (destroy-player) within seconds;
// - Close tells every connected client at once;
// - with a status source, getinfo and getstatus of the master protocol (see
//   MasterWire.h) are answered on the same port, a few a second for each
//   address and a bounded number in all.
// The wire format is documented in SessionWire.h.
#pragma once

#include "session/MasterWire.h"
#include "session/SessionTypes.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace session
{

class ISessionServerEvents
{
public:
    virtual ~ISessionServerEvents() = default;
    virtual void OnCreatePlayer(PlayerId player) = 0;
    virtual void OnDestroyPlayer(PlayerId player) = 0;
    virtual void OnReceive(PlayerId sender, const uint8_t* data, size_t size) = 0;
};

// What the game tells anyone who asks how the server is (getinfo and
// getstatus of the master protocol); gathered by the game when asked.
struct ServerStatus
{
    std::string gameVersion;
    std::string mapName;
    uint32_t people = 0;
    uint32_t bots = 0;
    uint32_t maxPlayers = 0; // people and bots; 0 = no limit
    std::vector<master::StatusPlayer> players;
};

class IServerStatusSource
{
public:
    virtual ~IServerStatusSource() = default;
    // Runs on the thread that calls DoWork, inside it.
    virtual ServerStatus GetServerStatus() = 0;
};

struct SessionHostParams
{
    uint16_t port = 0;
    Guid application;
    std::string sessionName;
    uint32_t maxPlayers = 0; // the host's own player included; 0 = no limit
    uint32_t bindIpv4 = 0;   // host byte order; 0 = every interface
};

class CSessionServer
{
public:
    explicit CSessionServer(ISessionServerEvents& events);
    ~CSessionServer(); // closes the session
    CSessionServer(const CSessionServer&) = delete;
    CSessionServer& operator=(const CSessionServer&) = delete;

    // Starts hosting. False (and nothing hosted) when the port cannot be bound.
    bool Host(const SessionHostParams& params);
    bool IsHosting() const;
    // The host's own player, or 0 before Host.
    PlayerId GetHostPlayer() const;

    // Handles pending traffic and runs callbacks for at most `sliceMs`.
    void DoWork(uint32_t sliceMs);
    // Blocks until a datagram is waiting or `timeoutMs` passes; runs no callbacks.
    void WaitForTraffic(uint32_t timeoutMs);

    // Sends one packet to a player, or to every player with target 0. The
    // host's own player never receives. False for an unknown target.
    bool SendTo(PlayerId target, const uint8_t* data, size_t size);

    // Answers getinfo and getstatus from `source`, which must outlive the
    // session or be replaced; null (the default) leaves them unanswered.
    void SetStatusSource(IServerStatusSource* source);
    // Sends one datagram from the session's port outside ENet (a heartbeat,
    // whose master answers to the port it came from). False when not hosting.
    bool SendDatagram(const HostAddress& to, const std::vector<uint8_t>& bytes);

    // Refuses the join cookie (and a connect already holding one) to IPv4
    // addresses (host byte order) for which `isBanned` is true; it runs on the
    // thread that calls DoWork. Empty: nobody is banned.
    void SetBanCheck(std::function<bool(uint32_t ipv4)> isBanned);
    // Disconnects one client once what was sent to it has gone, telling it
    // it was kicked. False for an unknown player.
    bool Kick(PlayerId player);

    // Disconnects every client at once and stops hosting. No callbacks run.
    void Close();

    // Players in the session, the host's own included.
    uint32_t GetPlayerCount() const;
    // Where a client's packets come from; nullopt for the host's own player
    // and for an unknown one.
    std::optional<HostAddress> GetPlayerAddress(PlayerId player) const;
    SessionStats GetStats() const;
    // ENet's smoothed round-trip time to a client in ms; 0 for the host's own
    // player and for an unknown one.
    uint32_t GetPlayerPing(PlayerId player) const;

    class Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

} // namespace session
