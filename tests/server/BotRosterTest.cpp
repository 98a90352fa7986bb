// Bots in the server's slots, without a network: how many there are as
// people come and go, and that a bot is a player to the round but never a
// client to the relay.
#include "server/session/BotRoster.h"

#include "tests/server/SessionFixture.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace
{
class BotRosterTest : public SessionFixture
{
protected:
    BotRosterTest()
    {
        AddMaps({"Open"});
        relay.SetHostPlayer(kHost);
        rounds.NewRound(nullptr);
        CMessageLog::GetServerLog().Clear();
    }
    // Balances until nothing changes.
    void Settle()
    {
        for (int i = 0; i < 20; ++i)
            bots.Balance();
    }
    size_t ShipsInWorld() { return rounds.GetWorld()->GetPlayerCount(); }
    CBotRoster bots{relay, rounds};
};
} // namespace

TEST_F(BotRosterTest, KeepsTheWantedShipsInPlayAsPeopleComeAndGo)
{
    bots.SetWantedShips(3);
    bots.Balance();
    EXPECT_EQ(bots.GetBotCount(), 1u) << "one bot a call";
    Settle();
    EXPECT_EQ(bots.GetBotCount(), 3u);
    EXPECT_EQ(ShipsInWorld(), 3u);
    Join(2, "Ann");
    Settle();
    EXPECT_EQ(bots.GetBotCount(), 2u);
    Join(3, "Bob");
    Join(4, "Cy");
    Join(5, "Di");
    Settle();
    EXPECT_EQ(bots.GetBotCount(), 0u) << "four people: more than enough";
    EXPECT_EQ(ShipsInWorld(), 4u);
    Leave(5);
    Leave(4);
    Settle();
    EXPECT_EQ(bots.GetBotCount(), 1u) << "a bot comes back for the people who left";
    EXPECT_EQ(ShipsInWorld(), 3u);
}

TEST_F(BotRosterTest, ABotJoinsAndLeavesAsAPlayerButIsSentNothing)
{
    relay.SetSendRate(30);
    bots.SetWantedShips(1);
    Settle();
    ASSERT_EQ(bots.GetBotCount(), 1u);
    const CPlayerRecord* bot = nullptr;
    for (const CPlayerRecord& record : relay.GetPlayers())
        if (record.IsBot())
            bot = &record;
    ASSERT_NE(bot, nullptr);
    std::string name = bot->GetName(); // its joining under a pilot's name is the end-to-end bot test's
    ObjectId shipId = bot->GetShipId();
    EXPECT_EQ(relay.GetClientCount(), 0u);
    Join(2, "Ann");
    Settle();
    EXPECT_EQ(bots.GetBotCount(), 0u);
    EXPECT_EQ(rounds.GetWorld()->FindPlayer(shipId), nullptr);
    EXPECT_EQ(relay.GetClientCount(), 1u);
    EXPECT_EQ(TakeServerLogLines().back(), name + " has left the game");
    bool toldLeft = false;
    for (const auto& packet : sender.packets)
    {
        EXPECT_FALSE(IsBotPlayer(packet.target)) << "a packet for the bot";
        for (const CMessage& message : packet.messages)
            toldLeft |= Serialized(message) == Serialized(Msg(&CMessage::SetPlayerLeft, shipId));
    }
    EXPECT_TRUE(toldLeft) << "MSG_PLAYER_LEFT names the bot's ship";
}

// That pilots press keys once their ships are in play is the end-to-end bot
// test's; here, that they press none before.
TEST_F(BotRosterTest, PilotsHoldNoKeysForShipsOutOfPlay)
{
    bots.SetWantedShips(2);
    Settle();
    bots.Fly(16);
    for (const CPlayerRecord& record : relay.GetPlayers())
        EXPECT_EQ(record.GetKeys()[0], 0u) << "the ships are out of play before the first tick";
}
