// The server's player records and outgoing queue: what a flush sends and
// keeps, what a new round drops, and the replies to one sender.
#include "server/session/SessionRelay.h"

#include "common/MessageLog.h"
#include "platform/Clock.h"
#include "tests/server/RecordingSender.h"

#include <gtest/gtest.h>

using testing_support::RecordingSender;
using testing_support::TakeServerLogLines;
using testing_support::TextMessage;
using testing_support::TextOf;

namespace
{
class SessionRelayTest : public ::testing::Test
{
protected:
    void SetUp() override { CMessageLog::GetServerLog().Clear(); }
    void TearDown() override { CMessageLog::DestroyServerLog(); }

    RecordingSender sender;
    CLock lock;
    CSessionRelay relay{sender, lock};
};
} // namespace

TEST_F(SessionRelayTest, FlushNeedsAClientBesideTheHostAndKeepsOnlyTheBroadcastBatch)
{
    relay.AddPlayer(1);
    relay.QueueMessage(0, TextMessage("dropped for all"));
    relay.QueueMessage(1, TextMessage("dropped for one"));
    relay.FlushBatches();
    EXPECT_TRUE(sender.packets.empty()) << "the host's own player alone is sent nothing";

    relay.AddPlayer(2);
    relay.QueueMessage(2, TextMessage("for two"));
    relay.QueueMessage(0, TextMessage("for all"));
    relay.FlushBatches();
    ASSERT_EQ(sender.packets.size(), 2u);
    EXPECT_EQ(sender.packets[0].target, 0u) << "the broadcast batch was kept, so it still comes first";
    ASSERT_EQ(sender.packets[0].messages.size(), 1u) << "and it was emptied";
    EXPECT_EQ(TextOf(sender.packets[0].messages[0]), "for all");
    EXPECT_EQ(sender.packets[1].target, 2u);
    ASSERT_EQ(sender.packets[1].messages.size(), 1u);
    EXPECT_EQ(TextOf(sender.packets[1].messages[0]), "for two");

    relay.FlushBatches();
    EXPECT_EQ(sender.packets.size(), 2u) << "empty batches are not sent";
}

TEST_F(SessionRelayTest, DropQueuedDropsTheBroadcastBatchToo)
{
    relay.AddPlayer(1);
    relay.AddPlayer(2);
    relay.QueueMessage(0, TextMessage("old for all"));
    relay.QueueMessage(2, TextMessage("old for two"));
    relay.DropQueued();
    relay.QueueMessage(2, TextMessage("new for two"));
    relay.QueueMessage(0, TextMessage("new for all"));
    relay.FlushBatches();
    ASSERT_EQ(sender.packets.size(), 2u);
    EXPECT_EQ(sender.packets[0].target, 2u) << "the broadcast batch was made afresh";
    EXPECT_EQ(TextOf(sender.packets[0].messages.at(0)), "new for two");
    ASSERT_EQ(sender.packets[1].messages.size(), 1u);
    EXPECT_EQ(TextOf(sender.packets[1].messages[0]), "new for all");
}

TEST_F(SessionRelayTest, PingIsAnsweredAtOnceEvenWithoutAClient)
{
    CMessage ping;
    ping.SetPing(123456);
    relay.OnPing(5, ping);
    ASSERT_EQ(sender.packets.size(), 1u);
    EXPECT_EQ(sender.packets[0].target, 5u);
    ASSERT_EQ(sender.packets[0].Types(), std::vector<int32_t>{MSG_PONG});
    uint32_t clock = 0;
    EXPECT_TRUE(sender.packets[0].messages[0].GetPong(clock));
    EXPECT_EQ(clock, 123456u);
}

TEST_F(SessionRelayTest, ChatAndDeparturesAreLoggedPrintableAndEachPlayerChatsAtARateOfItsOwn)
{
    platform::FakeClock clock(5000);
    relay.AddPlayer(3);
    relay.FindPlayer(3)->SetName("Ace");
    relay.AddPlayer(4);
    std::vector<std::string> lines;
    for (int i = 0; i < 8; ++i)
    {
        relay.OnText(3, TextMessage("hi\r\nConsole: Server is shutting down...\x1b[2J"));
        for (const std::string& line : TakeServerLogLines())
            lines.push_back(line);
    }
    relay.OnText(4, TextMessage("me too"));
    clock.Advance(334);
    relay.OnText(3, TextMessage("later"));
    relay.OnText(9, TextMessage("who?"));
    relay.RemovePlayer(3);
    relay.RemovePlayer(3);
    for (const std::string& line : TakeServerLogLines())
        lines.push_back(line);

    std::vector<std::string> expected(5, "Ace: hi??Console: Server is shutting down...?[2J");
    expected.insert(expected.end(), {"Dropping chat from Ace: more than 3 lines a second.", ": me too",
                                     "Ace: later", "Unknown: who?", "Ace has left the game"});
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(relay.GetPlayerCount(), 1u);
}

TEST_F(SessionRelayTest, ShipIdZeroFindsNoRecordThoughUnregisteredRecordsHaveIt)
{
    relay.AddPlayer(3);
    relay.AddPlayer(4);
    relay.FindPlayer(4)->SetShipId(7);
    EXPECT_EQ(relay.FindPlayerByShipId(0), nullptr);
    EXPECT_EQ(relay.FindPlayerByShipId(7), relay.FindPlayer(4));
    EXPECT_EQ(relay.FindPlayerByShipId(8), nullptr);
}

TEST_F(SessionRelayTest, AtASendRateEachClientGetsItsOwnBatchOncePerInterval)
{
    platform::FakeClock clock(5000);
    relay.SetHostPlayer(1);
    relay.SetSendRate(20);
    relay.AddPlayer(1);
    relay.AddPlayer(2);
    relay.AddPlayer(3);
    EXPECT_EQ(relay.GetClientCount(), 2u);
    relay.QueueMessage(0, TextMessage("first"));
    relay.QueueMessage(3, TextMessage("for three"));
    relay.QueueMessage(1, TextMessage("for the host: nobody"));
    relay.FlushBatches();
    ASSERT_EQ(sender.packets.size(), 2u) << "one batch per client, none for the host's own player";
    EXPECT_EQ(sender.packets[0].target, 2u);
    EXPECT_EQ(sender.packets[0].messages.size(), 1u);
    EXPECT_EQ(sender.packets[1].target, 3u);
    ASSERT_EQ(sender.packets[1].messages.size(), 2u);
    EXPECT_EQ(TextOf(sender.packets[1].messages[1]), "for three");

    sender.packets.clear();
    relay.QueueMessage(0, TextMessage("second"));
    clock.Advance(49);
    relay.FlushBatches();
    EXPECT_TRUE(sender.packets.empty()) << "the interval has not passed";
    relay.RemovePlayer(3);
    clock.Advance(1);
    relay.FlushBatches();
    ASSERT_EQ(sender.packets.size(), 1u) << "a player who left is sent nothing";
    EXPECT_EQ(sender.packets[0].target, 2u);
    EXPECT_EQ(TextOf(sender.packets[0].messages.at(0)), "second");

    clock.Advance(1000);
    relay.FlushBatches();
    EXPECT_EQ(sender.packets.size(), 1u) << "nothing waiting, nothing sent";
    EXPECT_GT(relay.TakeLargestBatch(), 4u);
    EXPECT_EQ(relay.TakeLargestBatch(), 0u) << "the largest batch starts again after it is taken";
}

TEST_F(SessionRelayTest, AtASendRatePongsAndDeparturesStillGoAtOnce)
{
    platform::FakeClock clock(5000);
    relay.SetHostPlayer(1);
    relay.SetSendRate(1);
    relay.AddPlayer(1);
    relay.AddPlayer(2);
    relay.QueueMessage(0, TextMessage("opens the interval"));
    relay.FlushBatches();
    CMessage ping;
    ping.SetPing(77);
    relay.OnPing(2, ping);
    CMessage left;
    left.SetPlayerLeft(9);
    relay.SendNow(0, left);
    ASSERT_EQ(sender.packets.size(), 3u);
    EXPECT_EQ(sender.packets[1].Types(), std::vector<int32_t>{MSG_PONG});
    EXPECT_EQ(sender.packets[2].target, 0u);
    EXPECT_EQ(sender.packets[2].Types(), std::vector<int32_t>{MSG_PLAYER_LEFT});
}
