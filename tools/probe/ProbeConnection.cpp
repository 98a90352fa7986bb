#include "tools/probe/ProbeConnection.h"

#include "net/GameIdentity.h"
#include "net/Message.h"
#include "net/MessageBatch.h"
#include "platform/ByteIo.h"
#include "session/EnetSupport.h"

#include <vector>

namespace probe
{
namespace
{
constexpr uint64_t kKeysIntervalMs = 20;
constexpr uint64_t kPingIntervalMs = 1000;
// Unanswered pings kept for matching; older ones count as lost.
constexpr size_t kMostPingsPending = 16;

std::string Hex(const uint8_t* data, size_t size)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(size * 2);
    for (size_t i = 0; i < size; ++i)
    {
        text += kDigits[data[i] >> 4];
        text += kDigits[data[i] & 15];
    }
    return text;
}
} // namespace

// The session's own clock, so that the probe's deadlines and the session's
// slices agree; only this file sees ENet's headers.
uint64_t NowMs()
{
    return session::enet::NowMs();
}

ProbeConnection::ProbeConnection(const ProbeOptions& options, std::string name, std::FILE* out)
    : m_options(options), m_name(std::move(name)), m_out(out), m_session(*this),
      m_rawRepeats(options.sendEveryMs)
{
}

session::ConnectResult ProbeConnection::Connect(const session::HostAddress& server)
{
    m_session.SetBindAddress(m_options.bindIpv4);
    session::ConnectResult result = m_session.Connect(server, game_identity::ApplicationGuid());
    m_connectedAt = NowMs();
    m_nextKeys = m_nextPing = m_connectedAt;
    m_rawRepeats.Start(m_connectedAt);
    return result;
}

void ProbeConnection::Send(const CMessage& message)
{
    std::vector<uint8_t> bytes(message.GetSize());
    if (message.Serialize(bytes.data(), bytes.size()))
        m_session.Send(bytes.data(), bytes.size());
}

void ProbeConnection::SendOpening()
{
    CMessage message;
    if (m_options.join)
    {
        message.SetJoin(0, m_options.shipType, m_name.c_str());
        Send(message);
    }
    SendRaw();
    if (m_options.chat)
    {
        message.SetText(m_options.chat->c_str());
        Send(message);
    }
}

void ProbeConnection::SendRaw()
{
    for (const std::vector<uint8_t>& raw : m_options.sends)
        m_session.Send(raw.data(), raw.size());
}

void ProbeConnection::Pump(uint64_t nowMs)
{
    for (uint32_t due = m_rawRepeats.TakeDue(nowMs); due > 0; --due)
        SendRaw();
    m_session.DoWork(5);
    CMessage message;
    if (!m_options.keys.empty() && nowMs >= m_nextKeys)
    {
        m_nextKeys = nowMs + kKeysIntervalMs;
        message.SetKeys(m_shipId, m_options.keys.data(), static_cast<uint32_t>(m_options.keys.size()));
        Send(message);
    }
    if (m_options.ping && nowMs >= m_nextPing)
    {
        m_nextPing = nowMs + kPingIntervalMs;
        SendPing(nowMs);
    }
}

// The ping leaves at once rather than at the next DoWork, so the round trip
// printed is the network's and the server's, not the probe's loop.
void ProbeConnection::SendPing(uint64_t nowMs)
{
    uint32_t clock = static_cast<uint32_t>(nowMs);
    if (m_pings.size() >= kMostPingsPending)
        m_pings.pop_front();
    CMessage message;
    message.SetPing(clock);
    Send(message);
    m_pings.emplace_back(clock, std::chrono::steady_clock::now());
    m_session.Flush();
}

void ProbeConnection::OnReceive(const uint8_t* data, size_t size)
{
    SteadyTime arrived = std::chrono::steady_clock::now();
    uint64_t now = NowMs();
    m_bytes += size;
    if (!m_batch.Parse(data, size))
    {
        if (m_out)
            std::fprintf(m_out, "BADBATCH %llu %s\n", static_cast<unsigned long long>(now - m_connectedAt),
                         Hex(data, size).c_str());
        return;
    }
    m_messages += m_batch.GetCount();
    // The batch parsed whole, so its records and its messages match one to
    // one; each record's own bytes are what gets printed.
    platform::ByteReader records(data, size);
    records.U32();
    m_batch.ResetCursor();
    while (const CMessage* message = m_batch.NextMessage())
    {
        uint32_t length = records.U32();
        const uint8_t* record = records.Bytes(length);
        Note(*message);
        uint32_t clock = 0;
        if (message->GetPong(clock))
            NotePong(clock, arrived);
        if (m_out && record)
            std::fprintf(m_out, "MSG %llu %s\n", static_cast<unsigned long long>(now - m_connectedAt),
                         Hex(record, length).c_str());
    }
    if (m_out)
        std::fflush(m_out);
}

// Remembers the ship id of the join answer.
void ProbeConnection::Note(const CMessage& message)
{
    ObjectId shipId = 0;
    uint32_t shipType = 0;
    char name[128];
    if (message.GetJoin(shipId, shipType, name, sizeof name))
        m_shipId = shipId;
}

// Prints the round trip of the ping this pong answers, in milliseconds to a
// tenth, or BADPONG when it answers none this probe is waiting for.
void ProbeConnection::NotePong(uint32_t clock, SteadyTime arrived)
{
    auto sent = m_pings.begin();
    while (sent != m_pings.end() && sent->first != clock)
        ++sent;
    if (sent == m_pings.end())
    {
        if (m_out)
            std::fprintf(m_out, "BADPONG %u\n", clock);
        return;
    }
    std::chrono::duration<double, std::milli> roundTrip = arrived - sent->second;
    m_pings.erase(m_pings.begin(), sent + 1); // older ones were lost
    if (m_out)
        std::fprintf(m_out, "PONG %.1f\n", roundTrip.count());
}

} // namespace probe
