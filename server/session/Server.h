// CServer is the server's session: the one face the server loop and the tests
// talk to. It hosts the session on its port under its name, keeps the
// running flag (cleared by a shut-down request), takes the session's events,
// decodes each message a player sends once and hands it to the class whose job
// it is (shut-down and map requests only when the sender may administer the
// server, see CAdministrators), and passes its other operations on to those
// classes:
// - CSessionRelay: the player records, the outgoing batch queue, chat and
//   pings;
// - CRoundController: the world of the current round, the map rotation, map
//   requests, starting rounds, ending them on their limits, the pause between
//   two, and registering players (the welcome and the ship); its world's
//   reports become messages for all;
// - CBotRoster: computer pilots in the empty slots, and their keys.
//
// The process has one, made by the first Get and gone after Destroy. All
// session callbacks run on the server thread inside DoWork.
#pragma once

#include "common/Lock.h"
#include "common/Singleton.h"
#include "game/ObjectId.h"
#include "game/World.h"
#include "net/GameIdentity.h"
#include "net/Message.h"
#include "server/session/Administrators.h"
#include "server/session/BotRoster.h"
#include "server/session/PlayerRecord.h"
#include "server/session/RoundController.h"
#include "server/session/SessionRelay.h"
#include "session/SessionServer.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// One player as the host's console lists it.
struct ConsolePlayer
{
    session::PlayerId id = 0;
    std::string name;
    std::string address; // empty for a bot
    uint32_t ping = 0;
    int frags = 0;
    bool bot = false;
};

class CServer : public CSingleton<CServer>,
                private session::ISessionServerEvents,
                private IPacketSender,
                private session::IServerStatusSource
{
    friend class CSingleton<CServer>;

public:
    void SetPort(uint32_t port) { m_port = port; }
    uint32_t GetPort() const { return m_port; }
    // Hosts only on this local IPv4 address (host byte order); 0, the
    // default, hosts on every address.
    void SetBindAddress(uint32_t ipv4) { m_bindIpv4 = ipv4; }
    // Ignores null or empty names.
    void SetName(const char* name);
    const std::string& GetName() const { return m_name; }
    // At most `perSecond` batches a second for each client, coalesced while
    // they wait (see COutbox); 0, the default, sends on every flush.
    void SetSendRate(uint32_t perSecond) { m_relay.SetSendRate(perSecond); }
    // Obeys shut-down and map requests only from clients at these IPv4
    // addresses (host byte order); empty, the default, obeys every client.
    void SetAdministrators(std::vector<uint32_t> addresses)
    {
        m_administrators.Restrict(std::move(addresses));
    }

    // Refuses joins from IPv4 addresses (host byte order) for which
    // `isBanned` is true (see CSessionServer::SetBanCheck).
    void SetBanCheck(std::function<bool(uint32_t ipv4)> isBanned)
    {
        m_session->SetBanCheck(std::move(isBanned));
    }

    // The host's console: every player but the host's own.
    std::vector<ConsolePlayer> ListPlayers();
    // Sends the player a console line with the reason, then drops it once
    // that has gone; its client returns to the menu. False for a bot or an
    // unknown player.
    bool Kick(session::PlayerId player, const std::string& reason);
    // A map of the rotation, by name in any case: ends the round and plays it
    // next. False when the rotation has no such map.
    bool RequestMap(const std::string& name);
    // Stops the server as a client's shut-down request does.
    void Halt() { OnShutdown(); }

    // Prepares the session service. Always true.
    bool Init();
    // Hosts the session on the port; false (and not running) when it cannot.
    bool Host();
    bool IsRunning();
    // Whether the session ended because a client asked it to (MSG_SHUTDOWN),
    // rather than by a signal: such a halt ends the process with its own
    // status, so that a service manager can bring the server back.
    bool WasHaltedByClient() const { return m_haltedByClient; }

    // Adds "Maps\\<fileName>" to the rotation when that file exists.
    void AddMap(const char* fileName) { m_rounds.AddMap(fileName); }
    // Starts the next round with the default limits; false when no map loads
    // and there is no round to go on with (see CRoundController).
    bool StartRound() { return m_rounds.StartRound(); }
    // One pass of the round (see CRoundController::Advance): the bots choose
    // their keys just before each tick.
    void AdvanceRound(uint32_t now, int32_t elapsed)
    {
        m_rounds.Advance(now, elapsed, [this, elapsed] { m_bots.Fly(elapsed); });
    }
    CGameWorld* GetWorld() { return m_rounds.GetWorld(); }
    const std::vector<std::string>& GetRotation() const { return m_rounds.GetRotation(); }

    // Computer pilots fill the game up to this many ships (0: none).
    void SetWantedShips(uint32_t ships) { m_bots.SetWantedShips(ships); }
    // Lets one bot join or leave when people and bots are not the wanted
    // number of ships.
    void BalanceBots() { m_bots.Balance(); }

    bool IsRoundOver() { return m_rounds.IsRoundOver(); }
    // Ends the round and tells every player (the loop ends it on its limits).
    void EndRound() { m_rounds.EndRound(); }

    // Queues a message for one player, or for every player with target 0.
    void QueueMessage(uint32_t target, const CMessage& message) { m_relay.QueueMessage(target, message); }
    // Sends what was queued since the last flush while a client is connected;
    // drops it otherwise.
    void FlushBatches() { m_relay.FlushBatches(); }
    // Runs the session's pending work and callbacks for at most `sliceMs`.
    void DoWork(uint32_t sliceMs);
    // True with no one to serve: no client, no bot, none wanted.
    bool IsIdle() const
    {
        return GetClientCount() == 0 && m_bots.GetBotCount() == 0 && m_bots.GetWantedShips() == 0;
    }
    // Blocks until a datagram reaches the game port or `timeoutMs` passes.
    void WaitForTraffic(uint32_t timeoutMs) { m_session->WaitForTraffic(timeoutMs); }

    CPlayerRecord* FindPlayer(session::PlayerId player) { return m_relay.FindPlayer(player); }
    CPlayerRecord* FindPlayerByShipId(ObjectId shipId) { return m_relay.FindPlayerByShipId(shipId); }
    size_t GetPlayerCount() const { return m_relay.GetPlayerCount(); }
    // Players but the host's own.
    size_t GetClientCount() const { return m_relay.GetClientCount(); }

    // What the session has sent so far: datagrams and bytes, counted from
    // the start.
    session::SessionStats GetSessionStats() const { return m_session->GetStats(); }
    // Sends a datagram from the game port (a heartbeat to a master); false
    // when not hosting.
    bool SendDatagram(const session::HostAddress& to, const std::vector<uint8_t>& bytes)
    {
        return m_session->SendDatagram(to, bytes);
    }
    // The round's map, people and bots, as a server query would see them.
    session::ServerStatus DescribeStatus() { return GetServerStatus(); }
    // The largest batch sent since the last call, in bytes.
    size_t TakeLargestBatch() { return m_relay.TakeLargestBatch(); }

private:
    CServer();
    ~CServer() override;

    void OnCreatePlayer(session::PlayerId player) override;
    void OnDestroyPlayer(session::PlayerId player) override;
    void OnReceive(session::PlayerId sender, const uint8_t* data, size_t size) override;
    void SendPacket(session::PlayerId target, const uint8_t* data, size_t size) override;
    // What getinfo and getstatus answer: the round's map, people and bots,
    // and each registered player's frags, ping and name.
    session::ServerStatus GetServerStatus() override;

    void OnShutdown();
    void OnJoin(CPlayerRecord& record, const CMessage& message);
    void ReportNotHosted();
    // Whether a `request` ("shut-down", "map") from `sender` is obeyed; a
    // refusal is logged, a few a second at most.
    bool ObeysRequest(session::PlayerId sender, const char* request);

    std::unique_ptr<session::CSessionServer> m_session;
    uint32_t m_port = game_identity::kGamePort;
    uint32_t m_bindIpv4 = 0;
    std::string m_name;
    CLock m_stateLock; // guards the running flag
    CLock m_roundLock; // guards the round-over flag, the batch queue and the world during a welcome
    bool m_running = false;
    bool m_haltedByClient = false;
    CAdministrators m_administrators;
    // Destroyed after the rounds: the round's ships hold the addresses of the
    // records' keys.
    CSessionRelay m_relay;
    CRoundController m_rounds;
    CBotRoster m_bots;
};
