// The client side of the session service: finding servers, joining one, and
// exchanging packets with it. Built on ENet; see SessionServer.h for the
// guarantees both sides give and SessionWire.h for the wire format.
//
// Callbacks run on the calling thread: search answers inside EnumHosts, the
// connection result inside Connect, and everything else inside DoWork.
#pragma once

#include "session/MasterWire.h"
#include "session/SessionServer.h"
#include "session/SessionTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace session
{

enum class ConnectResult
{
    Connected,
    ServerFull,
    WrongApplication, // another game, or another version of the join
    BadHandshake,     // the server did not understand our greeting
    ServerClosing,    // the server was closing its session
    Banned,           // the server bans this address
    Refused,          // a refusal whose reason this client does not know
    Unreachable,      // no answer in time
};

// What a server says of itself in answer to getinfo (the master protocol).
// That text is the same for every version of the game, so a search finds
// servers of another version too, which the session's own answer cannot.
struct ServerInfo
{
    std::string name;
    std::string map;
    std::string version;   // the game's version, as the server writes it
    uint32_t protocol = 0; // the session wire version the server plays
    uint32_t people = 0;
    uint32_t bots = 0;
    uint32_t maxPlayers = 0;
    uint32_t pingMs = 0; // from our query to its answer
};

// Reads an infoResponse; false when it is not a Quorvex server's answer or a
// number in it is not one.
bool ReadServerInfo(const master::InfoPairs& pairs, ServerInfo& out);

class ISessionClientEvents
{
public:
    virtual ~ISessionClientEvents() = default;
    // One answer to a search; a server may answer more than once.
    virtual void OnEnumHostsResponse(const SessionDescription& session, const HostAddress& address) = 0;
    // One server's answer to the getinfo a search also sends.
    virtual void OnServerInfo(const ServerInfo& /*info*/, const HostAddress& /*address*/) {}
    virtual void OnConnectComplete(ConnectResult result) = 0;
    // The server closed the session or went silent. Sent once per connection.
    virtual void OnTerminateSession() = 0;
    virtual void OnReceive(const uint8_t* data, size_t size) = 0;
};

enum class EnumResult
{
    Ok,
    UnknownHost, // the host name could not be resolved
    BadPort,     // "host:port" with a port that is not 1 to 65535
    NoNetwork,   // no socket, or no address to search
};

struct EnumParams
{
    // "name", "a.b.c.d" or either with ":port", which then replaces `port`.
    // With this and `hosts` empty the search covers the local network.
    std::string hostName;
    uint16_t port = 0;
    Guid application;
    int attempts = 4;
    uint32_t retryIntervalMs = 250;
    std::vector<HostAddress> hosts; // asked as well: servers a master listed, favourites
};

class CSessionClient
{
public:
    explicit CSessionClient(ISessionClientEvents& events);
    ~CSessionClient(); // closes any connection
    CSessionClient(const CSessionClient&) = delete;
    CSessionClient& operator=(const CSessionClient&) = delete;

    // Asks one host, or every host on the local network, for its session, and
    // returns when the search is complete (attempts × retry interval).
    //
    // Broadcast goes to the broadcast address of every IPv4 interface and to
    // 127.255.255.255. The environment variable QUORVEX_BROADCAST, a comma-
    // separated list of IPv4 addresses, replaces that list (tests use it to
    // stay on loopback).
    EnumResult EnumHosts(const EnumParams& params);

    // Joins the server at `address`: asks for a join cookie, then connects
    // with it; returns when the server admitted or refused us, or after a
    // time-out (5 s for the whole join).
    ConnectResult Connect(const HostAddress& address, const Guid& application);
    // Later connections send from this local IPv4 address (host byte order);
    // 0, the default, lets the system choose.
    void SetBindAddress(uint32_t ipv4);
    bool IsConnected() const;

    // Queues one packet for the server; it leaves at the next DoWork or
    // Flush. False when not connected.
    bool Send(const uint8_t* data, size_t size);
    void DoWork(uint32_t sliceMs);
    // Puts everything queued on the network now, without servicing the
    // session: for packets whose departure time is measured (pings).
    void Flush();
    // Blocks until a datagram is waiting or `timeoutMs` passes; runs no
    // callbacks. Lets a program with nothing else to do sleep between packets.
    void WaitForTraffic(uint32_t timeoutMs);
    // Leaves the session, telling the server at once.
    void Close();

    SessionStats GetStats() const;

    // Resolves a host name or dotted address to an IPv4 address.
    static bool Resolve(const std::string& hostName, uint16_t port, HostAddress& out);
    // Resolve for what a player types: a name or dotted address with an
    // optional ":port" that replaces `port`.
    static EnumResult ResolveTyped(const std::string& text, uint16_t port, HostAddress& out);
    // Asks each master for the Quorvex servers of this wire version (empty
    // and full ones too) and returns them, without repeats, when every master
    // has sent its whole list or `waitMs` has passed.
    static std::vector<HostAddress> AskMasters(const std::vector<HostAddress>& masters, uint32_t waitMs);
    // Where a local-network search sends its queries (see EnumHosts).
    static std::vector<HostAddress> BroadcastTargets(uint16_t port);

    class Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

} // namespace session
