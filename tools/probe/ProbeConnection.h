// One probe client: a session connection that sends what the options ask for
// on schedule and reports every game message it receives.
#pragma once

#include "game/ObjectId.h"
#include "net/MessageBatch.h"
#include "session/SessionClient.h"
#include "tools/probe/ProbeOptions.h"
#include "tools/probe/RepeatSchedule.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <utility>

class CMessage;

namespace probe
{

class ProbeConnection : private session::ISessionClientEvents
{
public:
    // `out` receives the message lines; null keeps only the counts (bots).
    ProbeConnection(const ProbeOptions& options, std::string name, std::FILE* out);

    session::ConnectResult Connect(const session::HostAddress& server);
    // Sends the one-off messages: join, raw packets, chat.
    void SendOpening();
    // Services the session and sends what is due (keys, pings, repeated raw
    // packets).
    void Pump(uint64_t nowMs);
    void WaitForTraffic(uint32_t timeoutMs) { m_session.WaitForTraffic(timeoutMs); }
    void Close() { m_session.Close(); }

    bool IsTerminated() const { return m_terminated; }
    uint64_t GetMessages() const { return m_messages; }
    uint64_t GetBytes() const { return m_bytes; }
    // UDP datagrams received, the session's own ones included.
    uint64_t GetDatagrams() const { return m_session.GetStats().datagramsReceived; }
    const std::string& GetName() const { return m_name; }

private:
    void OnEnumHostsResponse(const session::SessionDescription&, const session::HostAddress&) override {}
    void OnConnectComplete(session::ConnectResult) override {}
    void OnTerminateSession() override { m_terminated = true; }
    void OnReceive(const uint8_t* data, size_t size) override;

    using SteadyTime = std::chrono::steady_clock::time_point;

    void Send(const CMessage& message);
    void SendRaw();
    void SendPing(uint64_t nowMs);
    void Note(const CMessage& message);
    void NotePong(uint32_t clock, SteadyTime arrived);

    const ProbeOptions& m_options;
    std::string m_name;
    std::FILE* m_out;
    CMessageBatch m_batch; // reused for every packet
    session::CSessionClient m_session;
    uint64_t m_connectedAt = 0;
    uint64_t m_nextKeys = 0;
    uint64_t m_nextPing = 0;
    RepeatSchedule m_rawRepeats;
    // The pings not yet answered: the clock value each carried and when it
    // left, on a finer clock than the message's milliseconds.
    std::deque<std::pair<uint32_t, SteadyTime>> m_pings;
    ObjectId m_shipId = 0;
    bool m_terminated = false;
    uint64_t m_messages = 0;
    uint64_t m_bytes = 0;
};

// Milliseconds of a steady clock.
uint64_t NowMs();

} // namespace probe
