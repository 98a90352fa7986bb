// CServer is the server's side of the network and its round management.
//
// This first cut hosts nothing: Host() only marks the session running so that
// the server loop runs until it is stopped, and queued messages are dropped at
// each flush. The session service and rounds plug in here.
#pragma once

#include "common/Lock.h"
#include "net/Message.h"

#include <cstdint>
#include <string>

class CServer
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

    bool Init();
    bool Host();
    bool IsRunning();
    bool IsRoundOver();

    // Queues a message for one player, or for every player with target 0.
    void QueueMessage(uint32_t target, const CMessage& message);
    // Sends what was queued since the last flush.
    void FlushBatches();
    // Runs the session's pending work and callbacks for at most `sliceMs`.
    void DoWork(uint32_t sliceMs);

private:
    CServer() = default;

    uint32_t m_port = kDefaultPort;
    std::string m_name;
    CLock m_stateLock;
    bool m_running = false;
    size_t m_queued = 0;
};
