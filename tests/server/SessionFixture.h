// The server's session without a network: a sender that keeps every packet
// the relay sends, decoded; the server's log read back; and a fixture with the
// relay and rounds over that sender, maps of its own and a clock it drives.
#pragma once

#include "common/MessageLog.h"
#include "platform/Clock.h"
#include "server/session/RoundController.h"
#include "server/session/SessionRelay.h"
#include "tests/net/Messages.h"
#include "tests/support/DefaultGameSettings.h"
#include "tests/support/MapFile.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace testing_support
{

struct SentPacket
{
    session::PlayerId target = 0;
    std::vector<CMessage> messages;
};

class RecordingSender : public IPacketSender
{
public:
    void SendPacket(session::PlayerId target, const uint8_t* data, size_t size) override
    {
        packets.push_back({target, Unbatched(data, size)});
    }
    // The packets sent since the last call.
    std::vector<SentPacket> Take() { return std::exchange(packets, {}); }

    std::vector<SentPacket> packets;
};

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

class SessionFixture : public ::testing::Test
{
protected:
    static constexpr session::PlayerId kHost = 1;
    using Ending = MapFile::Ending;

    SessionFixture()
    {
        CMessageLog::GetServerLog().Clear();
        relay.AddPlayer(kHost);
    }
    ~SessionFixture() override { CMessageLog::DestroyServerLog(); }

    // Writes "Maps/<title>.smp", a small open map of that title, and adds
    // each to the rotation.
    void AddMaps(std::initializer_list<const char*> titles)
    {
        for (const char* title : titles)
        {
            WriteMap(title, title);
            rounds.AddMap((std::string(title) + ".smp").c_str());
        }
    }
    void WriteMap(const std::string& fileName, const std::string& title, Ending ending = Ending::Whole)
    {
        data.Write("Maps/" + fileName + ".smp",
                   MapFile({"7......", ".......", "...7...", "......."}, title).Bytes(ending));
    }
    // The player registers (its record made first when it has none yet).
    CPlayerRecord& Join(session::PlayerId player, const char* name)
    {
        if (!relay.FindPlayer(player))
            relay.AddPlayer(player);
        CPlayerRecord& record = *relay.FindPlayer(player);
        rounds.OnJoin(record, Msg(&CMessage::SetJoin, 0, 2, name));
        return record;
    }
    // The player leaves the way the server lets a departing player go.
    void Leave(session::PlayerId player)
    {
        rounds.RetireShip(relay.FindPlayer(player)->GetShipId());
        relay.RemovePlayer(player);
    }
    std::string PlayedMap() { return rounds.GetWorld()->GetMap()->GetName(); }
    // The targets of the packets sent since the last call, each with what
    // `of` makes of its messages: their types, unless told otherwise.
    template <typename Value> using PacketsOf = std::vector<std::pair<session::PlayerId, std::vector<Value>>>;
    using Packets = PacketsOf<int32_t>;
    static int32_t TypeOf(const CMessage& message) { return message.GetType(); }
    template <typename Value = int32_t> PacketsOf<Value> Sent(Value (*of)(const CMessage&) = TypeOf)
    {
        PacketsOf<Value> sent;
        for (const SentPacket& packet : sender.Take())
        {
            sent.push_back({packet.target, {}});
            for (const CMessage& message : packet.messages)
                sent.back().second.push_back(of(message));
        }
        return sent;
    }

    DefaultGameSettings settings;
    platform::FakeClock clock{100000};
    TempDir data;
    ScopedEnv dataFolder{"QUORVEX_DATA", data.Path().c_str()};
    RecordingSender sender;
    CLock lock;
    CSessionRelay relay{sender, lock};
    CRoundController rounds{relay, lock};
};

} // namespace testing_support
