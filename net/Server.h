// CServer is the server's side of the network and its round management. It
// hosts the session, keeps one CPlayerRecord per connected player, relays
// chat into the server's log, answers pings, accepts shut-down requests, and
// queues outgoing messages into one batch per target, which the server loop
// flushes once per pass.
//
// All session callbacks run on the server thread inside DoWork.
#pragma once

#include "common/Lock.h"
#include "net/Message.h"
#include "net/MessageBatch.h"
#include "net/PlayerRecord.h"
#include "platform/SessionServer.h"

#include <cstdint>
#include <list>
#include <memory>
#include <string>

class CServer : private platform::ISessionServerEvents
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

    void OnText(platform::PlayerId sender, const CMessage& message);
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
};
