#include "tools/probe/ProbeConnection.h"

#include "net/GameIdentity.h"
#include "net/Message.h"
#include "net/MessageBatch.h"
#include "platform/ByteIo.h"
#include "platform/EnetSupport.h"

#include <vector>

namespace probe
{
namespace
{
constexpr uint64_t kKeysIntervalMs = 20;
constexpr uint64_t kPingIntervalMs = 1000;

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
    return platform::enet::NowMs();
}

ProbeConnection::ProbeConnection(const ProbeOptions& options, std::string name, std::FILE* out)
    : m_options(options), m_name(std::move(name)), m_out(out), m_session(*this)
{
}

platform::ConnectResult ProbeConnection::Connect(const platform::HostAddress& server)
{
    platform::ConnectResult result = m_session.Connect(server, game_identity::ApplicationGuid());
    m_connectedAt = NowMs();
    m_nextKeys = m_nextPing = m_connectedAt;
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
    for (const std::vector<uint8_t>& raw : m_options.sends)
        m_session.Send(raw.data(), raw.size());
    if (m_options.chat)
    {
        message.SetText(m_options.chat->c_str());
        Send(message);
    }
}

void ProbeConnection::Pump(uint64_t nowMs)
{
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
        message.SetPing(static_cast<uint32_t>(nowMs));
        Send(message);
    }
}

void ProbeConnection::OnReceive(const uint8_t* data, size_t size)
{
    uint64_t now = NowMs();
    m_bytes += size;
    CMessageBatch batch;
    if (!batch.Parse(data, size))
    {
        if (m_out)
            std::fprintf(m_out, "BADBATCH %llu %s\n", static_cast<unsigned long long>(now - m_connectedAt),
                         Hex(data, size).c_str());
        return;
    }
    m_messages += batch.GetCount();
    PrintRecords(data, size, now);
}

// Walks the records of a batch that parsed, printing each one's own bytes.
void ProbeConnection::PrintRecords(const uint8_t* data, size_t size, uint64_t nowMs)
{
    platform::ByteReader in(data, size);
    uint32_t count = in.U32();
    for (uint32_t i = 0; i < count && in.Ok(); ++i)
    {
        uint32_t length = in.U32();
        if (!in.Has(length))
            return;
        const uint8_t* record = data + in.Offset();
        in.Skip(length);
        NoteShipId(record, length);
        NotePong(record, length, nowMs);
        if (m_out)
            std::fprintf(m_out, "MSG %llu %s\n", static_cast<unsigned long long>(nowMs - m_connectedAt),
                         Hex(record, length).c_str());
    }
    if (m_out)
        std::fflush(m_out);
}

void ProbeConnection::NoteShipId(const uint8_t* record, size_t size)
{
    CMessage message;
    uint32_t shipId = 0, shipType = 0;
    char name[128];
    if (message.Deserialize(record, size) && message.GetJoin(shipId, shipType, name, sizeof name))
        m_shipId = shipId;
}

void ProbeConnection::NotePong(const uint8_t* record, size_t size, uint64_t nowMs)
{
    CMessage message;
    uint32_t clock = 0;
    if (m_out && message.Deserialize(record, size) && message.GetPong(clock))
        std::fprintf(m_out, "PONG %u\n", static_cast<uint32_t>(nowMs) - clock);
}

} // namespace probe
