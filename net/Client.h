// CClient is the client's side of the network. It finds servers (by broadcast
// on the local network or by asking one named host), keeps the list of those
// that answered, connects to the one the player picked, registers the player,
// and applies every message the server sends to the client's copy of the game
// world: map loads, ships, objects, turrets, tiles, round state, console text
// and ping. It also sends the player's own messages.
//
// The game has one CClient, reached through Get; tools that run several
// clients side by side (the probe's bots) construct their own. Every session
// callback runs on the calling thread: search answers inside EnumHosts, the
// connection result inside Connect, and the rest inside DoWork.
//
// The world is the caller's: the game loop owns it and its local ship (the
// world's first player), and CClient only applies messages to it.
#pragma once

#include "common/Lock.h"
#include "common/Singleton.h"
#include "net/GameIdentity.h"
#include "net/Message.h"
#include "net/MessageBatch.h"
#include "session/SessionClient.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

class CGameWorld;
class CMessageBatch;

// A server search that could not be made. Its text is a console line the
// player understands.
class CSearchError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Sees each message from the server just before it is applied, with the
// world as it stands then: what was known before the message is what makes
// it news (the client's sound effects are found this way). It must not
// change the world.
class IMessageWatcher
{
public:
    virtual ~IMessageWatcher() = default;
    virtual void BeforeApply(const CMessage& message, CGameWorld& world) = 0;
};

// One server that answered a search: its session answer, or for a server
// of another version, which only answers getinfo, a description made from
// that; and its getinfo answer when one came.
struct CHostInfo
{
    session::SessionDescription description;
    session::HostAddress address;
    std::optional<session::ServerInfo> info;
};

// What a server browser shows of one server.
struct CServerLine
{
    std::string name;
    std::string map;     // empty when the server did not say
    std::string version; // the game version it plays, when it said
    uint32_t people = 0;
    uint32_t maxPlayers = 0;
    int32_t pingMs = -1; // -1: not measured
    bool otherVersion = false;
    session::HostAddress address;
};

class CClient : public CSingleton<CClient>, private session::ISessionClientEvents
{
public:
    // A crowded network cannot grow the server list without limit.
    static constexpr size_t kMaxHosts = 256;

    // The game's session is CSingleton's Get(), made on first use; Destroy
    // closes and forgets it, and the next Get makes a fresh one.

    CClient();
    ~CClient() override; // closes the connection
    CClient(const CClient&) = delete;
    CClient& operator=(const CClient&) = delete;

    void SetPort(uint32_t port) { m_port = port; }
    uint32_t GetPort() const { return m_port; }
    // Prepares the session service. Always true.
    bool Init();

    // Asks `hostName`, or the whole local network when it is null or empty,
    // which servers run there, and returns when the search is over. Answers
    // join the server list. Throws CSearchError when the search cannot be
    // made (an unknown host, no network); always true otherwise.
    bool EnumHosts(const char* hostName);
    // The same, asking the servers at `hosts` as well (then the local
    // network is searched only when `hostName` is null or empty and `hosts`
    // is empty too). `hostName` may end in ":port", which replaces GetPort.
    bool EnumHosts(const char* hostName, const std::vector<session::HostAddress>& hosts);
    // EnumHosts for callers that want no exception: a failed search is
    // reported on the console with the error's line. False when it failed.
    bool SearchForServers(const char* hostName);
    // Prints the server list on the console.
    void ListServers();
    // Picks the first listed server whose whole session name is a prefix of
    // `name`. False (with a console line saying why) when none is.
    bool SelectServer(const char* name);
    // Picks a server by address without a search, for tools that know where
    // the server runs.
    void SelectAddress(const session::HostAddress& address);
    // The selected server's address; false when none is selected.
    bool GetSelectedAddress(session::HostAddress& address) const;
    // Connects to the selected server; the connection's result is reported
    // on the console. False when refused, unreachable or nothing is selected.
    bool Connect();

    // The server browser's walk over the list: the session name (bounded by
    // `size`), the maximum and current players without the server's own, and
    // where the server answered from (when `address` is given), which tells
    // apart servers of the same name.
    void ResetHostCursor();
    // Every listed server, in the order found, as a browser line.
    std::vector<CServerLine> ServerLines() const;
    bool NextHost(char* name, size_t size, uint32_t& maxPlayers, uint32_t& currentPlayers,
                  session::HostAddress* address = nullptr);

    // Serialises and sends one message to the server.
    void Send(const CMessage& message);
    // Sends a MSG_PING with the current tick count, at once.
    void SendPing();
    // Half the last measured round trip in ms; never negative.
    int32_t GetPing() const { return m_ping < 0 ? 0 : m_ping; }

    // Runs the session's pending work and callbacks for at most `sliceMs`.
    void DoWork(uint32_t sliceMs);
    // Sleeps until traffic arrives or `timeoutMs` passes; runs no callbacks.
    void WaitForTraffic(uint32_t timeoutMs);
    // Traffic counters of the session, for measurements.
    session::SessionStats GetStats() const { return m_session->GetStats(); }
    // Messages applied and bytes of the batches that carried them.
    uint64_t GetMessagesReceived() const { return m_messagesReceived; }
    uint64_t GetBatchBytesReceived() const { return m_batchBytesReceived; }

    void SetWorld(CGameWorld* world);
    CGameWorld* GetWorld();

    bool IsConnected() const { return m_connected; }
    bool IsTerminated() const { return m_terminated; }
    bool IsRoundOver() const { return m_roundOver; }
    // Clears the round-over flag and resets the world for the next round.
    void ClearRoundOver();

    // Also hands every console line this session prints to `echo` (tools
    // print them as they come).
    void SetConsoleEcho(std::function<void(const char* line)> echo) { m_echo = std::move(echo); }
    // Shows every message to `watcher` (the caller's; null for none) before
    // it is applied to the world.
    void SetMessageWatcher(IMessageWatcher* watcher) { m_watcher = watcher; }

    // Session events. The session service calls them; tests may too, to feed
    // answers, results and packets through the same path.
    void OnEnumHostsResponse(const session::SessionDescription& session,
                             const session::HostAddress& address) override;
    void OnServerInfo(const session::ServerInfo& info, const session::HostAddress& address) override;
    void OnConnectComplete(session::ConnectResult result) override;
    void OnTerminateSession() override;
    // Applies one batch from the server. A batch that does not parse whole is
    // dropped whole.
    void OnReceive(const uint8_t* data, size_t size) override;

private:
    void Print(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void SendJoin();
    void Apply(const CMessage& message);
    void ApplyText(const CMessage& message);
    void ApplyJoin(const CMessage& message);
    void ApplyMap(const CMessage& message);
    void LoadMap(const std::string& name);
    void ApplyShipInfo(const CMessage& message);
    void ApplyPlayerLeft(const CMessage& message);
    void ApplyShipDied(const CMessage& message);
    void ApplyObjectGone(const CMessage& message);
    void ApplyShipState(const CMessage& message);
    void ApplyObjectState(const CMessage& message);
    void ApplyTurretState(const CMessage& message);
    void ApplyTile(const CMessage& message);
    void ApplyPong(const CMessage& message);

    std::unique_ptr<session::CSessionClient> m_session;
    uint32_t m_port = game_identity::kGamePort;
    bool m_selected = false;
    session::HostAddress m_hostAddress;
    bool m_connected = false;
    bool m_terminated = false;
    bool m_roundOver = false;
    int32_t m_ping = 0;
    mutable CLock m_hostLock; // guards the server list and the world pointer
    CLock m_receiveLock;      // held while a batch is parsed and applied
    CMessageBatch m_receiveBatch;
    std::atomic<uint64_t> m_messagesReceived{0};
    std::atomic<uint64_t> m_batchBytesReceived{0};
    std::vector<CHostInfo> m_hosts;
    size_t m_hostCursor = 0;
    CGameWorld* m_world = nullptr;
    std::function<void(const char*)> m_echo;
    IMessageWatcher* m_watcher = nullptr;
};
