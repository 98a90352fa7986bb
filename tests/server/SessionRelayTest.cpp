// The server's player records and outgoing queue: what a flush sends and
// keeps, what a new round drops, the replies to one sender, and the batches
// of a send rate.
#include "server/session/SessionRelay.h"

#include "tests/server/SessionFixture.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace
{
class SessionRelayTest : public SessionFixture
{
protected:
    using Packets = PacketsOf<std::string>;
    // The targets and the texts of the packets sent since the last call.
    Packets Sent() { return SessionFixture::Sent(TextOf); }
    void Queue(session::PlayerId target, const char* text)
    {
        relay.QueueMessage(target, Msg(&CMessage::SetText, text));
    }
};
} // namespace

TEST_F(SessionRelayTest, FlushNeedsAClientBesideTheHostAndKeepsOnlyTheBroadcastBatch)
{
    Queue(0, "dropped for all");
    Queue(kHost, "dropped for one");
    relay.FlushBatches();
    EXPECT_EQ(Sent(), Packets{}) << "the host's own player alone is sent nothing";
    relay.OnPing(5, Msg(&CMessage::SetPing, 123456));
    ASSERT_EQ(sender.packets.size(), 1u) << "but a pong goes at once";
    EXPECT_EQ(Serialized(sender.Take()[0].messages.at(0)), Serialized(Msg(&CMessage::SetPong, 123456)));
    relay.AddPlayer(2);
    Queue(2, "for two");
    Queue(0, "for all");
    relay.FlushBatches();
    EXPECT_EQ(Sent(), (Packets{{0, {"for all"}}, {2, {"for two"}}}))
        << "the broadcast batch was kept, emptied, so it still comes first";
    relay.FlushBatches();
    EXPECT_EQ(Sent(), Packets{}) << "empty batches are not sent";
    Queue(0, "old for all");
    Queue(2, "old for two");
    relay.DropQueued();
    Queue(2, "new for two");
    Queue(0, "new for all");
    relay.FlushBatches();
    EXPECT_EQ(Sent(), (Packets{{2, {"new for two"}}, {0, {"new for all"}}}))
        << "the broadcast batch was made afresh";
}

TEST_F(SessionRelayTest, ChatAndDeparturesAreLoggedPrintableAndEachPlayerChatsAtARateOfItsOwn)
{
    relay.AddPlayer(3);
    relay.FindPlayer(3)->SetName("Ace");
    relay.AddPlayer(4);
    std::vector<std::string> lines;
    for (int i = 0; i < 8; ++i)
    {
        relay.OnText(3, Msg(&CMessage::SetText, "hi\r\nConsole: Server is shutting down...\x1b[2J"));
        for (const std::string& line : TakeServerLogLines())
            lines.push_back(line);
    }
    relay.OnText(4, Msg(&CMessage::SetText, "me too"));
    clock.Advance(334);
    relay.OnText(3, Msg(&CMessage::SetText, "later"));
    relay.OnText(9, Msg(&CMessage::SetText, "who?"));
    relay.RemovePlayer(3);
    relay.RemovePlayer(3);
    for (const std::string& line : TakeServerLogLines())
        lines.push_back(line);
    std::vector<std::string> expected(5, "Ace: hi??Console: Server is shutting down...?[2J");
    expected.insert(expected.end(), {"Dropping chat from Ace: more than 3 lines a second.", ": me too",
                                     "Ace: later", "Unknown: who?", "Ace has left the game"});
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(relay.GetPlayerCount(), 2u);
    relay.FindPlayer(4)->SetShipId(7);
    EXPECT_EQ(relay.FindPlayerByShipId(0), nullptr) << "though unregistered records have ship id 0";
    EXPECT_EQ(relay.FindPlayerByShipId(7), relay.FindPlayer(4));
    EXPECT_EQ(relay.FindPlayerByShipId(8), nullptr);
}

TEST_F(SessionRelayTest, AtASendRateEachClientGetsItsOwnBatchOncePerInterval)
{
    relay.RemovePlayer(kHost); // to come again once it is known as the host's own player
    relay.SetHostPlayer(kHost);
    relay.SetSendRate(20);
    for (session::PlayerId player : {kHost, 2u, 3u})
        relay.AddPlayer(player);
    EXPECT_EQ(relay.GetClientCount(), 2u);
    Queue(0, "first");
    Queue(3, "for three");
    Queue(kHost, "for the host: nobody");
    relay.FlushBatches();
    EXPECT_EQ(Sent(), (Packets{{2, {"first"}}, {3, {"first", "for three"}}}))
        << "one batch per client, none for the host's own player";
    Queue(0, "second");
    clock.Advance(49);
    relay.FlushBatches();
    relay.OnPing(2, Msg(&CMessage::SetPing, 77));
    relay.SendNow(0, Msg(&CMessage::SetPlayerLeft, 9));
    EXPECT_EQ(Sent(), (Packets{{2, {""}}, {0, {""}}}))
        << "the interval has not passed: only a pong and a departure";
    relay.RemovePlayer(3);
    clock.Advance(1);
    relay.FlushBatches();
    EXPECT_EQ(Sent(), (Packets{{2, {"second"}}})) << "a player who left is sent nothing";
    relay.QueueMessage(0, ObjectStateMsg(3, KIND_BULLET));
    Queue(0, "chat outlives its round");
    relay.DropQueued();
    clock.Advance(50);
    relay.FlushBatches();
    EXPECT_EQ(Sent(), (Packets{{2, {"chat outlives its round"}}})) << "a new round drops the waiting states";
    clock.Advance(1000);
    relay.FlushBatches();
    EXPECT_EQ(Sent(), Packets{}) << "nothing waiting, nothing sent";
    EXPECT_GT(relay.TakeLargestBatch(), 4u);
    EXPECT_EQ(relay.TakeLargestBatch(), 0u) << "the largest batch starts again after it is taken";
}

// A turret's unchanged state on every pass: who is told it again, and when.
TEST_F(SessionRelayTest, AStateKnownIsToldAgainToNewcomersInANewRoundAndAtTheRefresh)
{
    const CMessage turret = Msg(&CMessage::SetTurretState, 4, 2, 1, CVector());
    const auto pass = [&]
    {
        relay.QueueMessage(0, turret);
        relay.FlushBatches();
        std::vector<session::PlayerId> told;
        for (const SentPacket& packet : sender.Take())
            told.push_back(packet.target);
        clock.Advance(1);
        return told;
    };
    using Told = std::vector<session::PlayerId>;
    for (uint32_t rate : {0u, 30u})
    {
        relay.SetSendRate(rate);
        relay.SetHostPlayer(kHost);
        relay.AddPlayer(2);
        const Told everyone = rate == 0 ? Told{0} : Told{2, 3};
        clock.Advance(100);
        EXPECT_EQ(pass(), (rate == 0 ? Told{0} : Told{2})) << rate;
        clock.Advance(100);
        EXPECT_EQ(pass(), Told{}) << rate << ": known";
        relay.AddPlayer(3);
        clock.Advance(100);
        EXPECT_EQ(pass(), (rate == 0 ? Told{0} : Told{3})) << rate << ": a newcomer connected";
        relay.OnJoined(3);
        clock.Advance(100);
        EXPECT_EQ(pass(), (rate == 0 ? Told{0} : Told{3})) << rate << ": the newcomer joined";
        relay.DropQueued();
        clock.Advance(100);
        EXPECT_EQ(pass(), everyone) << rate << ": a new round";
        clock.Advance(CStateFilter::kRefreshMs);
        EXPECT_EQ(pass(), everyone) << rate << ": the refresh";
        relay.RemovePlayer(2);
        relay.RemovePlayer(3);
    }
}
