// Stands in for the session under the server's relay: keeps every packet sent,
// decoded into its target and messages; and reads back the server's log.
#pragma once

#include "common/MessageLog.h"
#include "net/MessageBatch.h"
#include "server/session/SessionRelay.h"

#include <string>
#include <vector>

namespace testing_support
{

struct SentPacket
{
    session::PlayerId target = 0;
    std::vector<CMessage> messages;

    std::vector<int32_t> Types() const
    {
        std::vector<int32_t> types;
        for (const CMessage& message : messages)
            types.push_back(message.GetType());
        return types;
    }
};

class RecordingSender : public IPacketSender
{
public:
    void SendPacket(session::PlayerId target, const uint8_t* data, size_t size) override
    {
        CMessageBatch batch;
        batch.Parse(data, size);
        SentPacket packet{target, {}};
        while (const CMessage* message = batch.NextMessage())
            packet.messages.push_back(*message);
        packets.push_back(packet);
    }

    std::vector<SentPacket> packets;
};

inline CMessage TextMessage(const char* text)
{
    CMessage message;
    message.SetText(text);
    return message;
}

inline std::string TextOf(const CMessage& message)
{
    char text[1024];
    message.GetText(text, sizeof text);
    return text;
}

// The server's log lines, oldest first; the log is left empty. The log keeps
// only its newest few lines, so tests that log more take them as they go.
inline std::vector<std::string> TakeServerLogLines()
{
    CMessageLog& log = CMessageLog::GetServerLog();
    std::vector<std::string> lines;
    char line[CMessageLog::kLineSize];
    log.ResetCursor();
    while (log.NextLine(line, sizeof line))
        lines.insert(lines.begin(), line);
    log.Clear();
    return lines;
}

} // namespace testing_support
