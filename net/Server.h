// CServer is the server's side of the network and its round management. It
// hosts the session, keeps one CPlayerRecord per connected player, welcomes
// players who register, relays chat into the server's log, answers pings,
// accepts map-change and shut-down requests, starts rounds (new world, map,
// turrets, one ship per registered player), and queues outgoing messages into
// one batch per target, which the server loop flushes once per pass. It owns
// the world of the current round and turns the world's reports into state
// messages for every player.
//
// All session callbacks run on the server thread inside DoWork.
#pragma once

#include "common/Lock.h"
#include "game/World.h"
#include "game/WorldHost.h"
#include "net/Message.h"
#include "net/MessageBatch.h"
#include "net/PlayerRecord.h"
#include "platform/SessionServer.h"

#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CServer : private platform::ISessionServerEvents, private IWorldHost
{
public:
    static constexpr uint32_t kDefaultPort = 3000;

    // The process's server session, created on first use.
    static CServer& Get();
    static bool Exists();
    static void Destroy();

    void SetPort(uint32_t port) { m_port = port; }
    uint32_t GetPort() const { return m_port; }
    // Ignores null or empty names.
    void SetName(const char* name);
    const std::string& GetName() const { return m_name; }

    // Prepares the session service. Always true.
    bool Init();
    // Hosts the session on the port; false (and not running) when it cannot.
    bool Host();
    bool IsRunning();

    // Adds "Maps\\<fileName>" to the rotation when that file exists.
    void AddMap(const char* fileName);
    // Starts a round on `mapPath`, or on the pending map (a request, else the
    // next map of the rotation) when it is null.
    bool NewRound(const char* mapPath);
    CGameWorld* GetWorld() { return m_world.get(); }
    const std::vector<std::string>& GetRotation() const { return m_rotation; }

    bool IsRoundOver();
    // Ends the round and tells every player.
    void EndRound();

    // Queues a message for one player, or for every player with target 0.
    void QueueMessage(uint32_t target, const CMessage& message);
    // Sends what was queued since the last flush while a client is connected;
    // drops it otherwise.
    void FlushBatches();
    // Runs the session's pending work and callbacks for at most `sliceMs`.
    void DoWork(uint32_t sliceMs);

    CPlayerRecord* FindPlayer(platform::PlayerId player);
    CPlayerRecord* FindPlayerByShipId(uint32_t shipId);
    size_t GetPlayerCount() const { return m_players.size(); }

private:
    CServer();
    ~CServer() override;

    void OnCreatePlayer(platform::PlayerId player) override;
    void OnDestroyPlayer(platform::PlayerId player) override;
    void OnReceive(platform::PlayerId sender, const uint8_t* data, size_t size) override;

    // IWorldHost: the world's reports become state messages for all.
    const HeldKeys* GetHeldKeys(int32_t shipId) override;
    void OnShipInPlay(const CShip& ship) override;
    void OnShipState(const CShip& ship) override;
    void OnShipOutOfPlay(const CShip& ship) override;
    void OnObjectState(const CGameObject& object, int32_t subtype) override;
    void OnObjectGone(const CGameObject& object) override;
    void OnTurretState(const CTurret& turret) override;

    void OnText(platform::PlayerId sender, const CMessage& message);
    void OnJoin(platform::PlayerId sender, const CMessage& message);
    void Welcome(CPlayerRecord& record);
    void OnMapRequest(const CMessage& message);
    void OnKeys(platform::PlayerId sender, const CMessage& message);
    std::string NextMapOfRotation();
    // "Maps\\<name>.smp" when the name is a plain file name whose map exists.
    std::optional<std::string> RequestedMapPath(const std::string& name) const;
    void StaggerSpawners(CMap& map);
    void AddTurrets(CMap& map);
    void AddShipsForPlayers();
    CShip* NewShip(const CPlayerRecord& record);
    // Removes the ship and tells every client with MSG_PLAYER_LEFT.
    void RetireShip(uint32_t shipId);
    std::string WorldMapName() const;
    void OnShutdown();
    void OnPing(platform::PlayerId sender, const CMessage& message);
    // Sends one message to `target` at once, outside the queue.
    void SendNow(uint32_t target, const CMessage& message);
    void SendBatch(const CMessageBatch& batch);

    std::unique_ptr<platform::CSessionServer> m_session;
    uint32_t m_port = kDefaultPort;
    std::string m_name;
    CLock m_stateLock; // guards the running flag
    CLock m_roundLock; // guards the round-over flag and the batch queue
    bool m_running = false;
    bool m_roundOver = false;
    std::list<CPlayerRecord> m_players;
    std::list<CMessageBatch> m_batches;
    std::unique_ptr<CGameWorld> m_world;
    std::optional<std::string> m_pendingMap;
    std::vector<std::string> m_rotation;
    size_t m_rotationCursor = 0;
    uint32_t m_nextTurretId = 1;
    uint32_t m_nextShipId = 1;
};
