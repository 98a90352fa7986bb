// One client's outbox at a fixed send rate: what waits between two sends,
// in which order it leaves, and when it may leave.
#include "server/session/Outbox.h"

#include "tests/net/Messages.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace
{
CMessage Turret(ObjectId id, uint8_t inPlay)
{
    return Msg(&CMessage::SetTurretState, id, 2, inPlay, CVector(5, 5, 0));
}

// What the outbox sends now, decoded as a client would.
std::vector<CMessage> Take(COutbox& outbox)
{
    CMessageBatch batch;
    outbox.TakeBatch(batch, 0);
    Bytes bytes = Written(batch);
    return Unbatched(bytes.data(), bytes.size());
}

// The fuel of a ship state, the object of an object state, the ship of a
// death, whether a turret is in play.
uint32_t Detail(const CMessage& message)
{
    CMessage::ShipState state;
    ObjectId id = 0;
    int32_t kind = 0, subtype = 0;
    CVector position, velocity;
    float angle = 0;
    uint8_t inPlay = 0;
    if (message.GetShipState(state))
        return static_cast<uint32_t>(state.fuel);
    if (message.GetTurretState(id, kind, inPlay, position))
        return inPlay;
    if (!message.GetObjectState(id, kind, position, velocity, angle, subtype))
        message.GetShipDied(id);
    return id;
}

std::vector<uint32_t> Details(const std::vector<CMessage>& messages)
{
    std::vector<uint32_t> details;
    for (const CMessage& message : messages)
        details.push_back(Detail(message));
    return details;
}
} // namespace

TEST(Outbox, ANewerStateReplacesTheWaitingOneOfTheSameObjectOnly)
{
    COutbox outbox(20);
    for (const CMessage& message : {ShipStateMsg(1, 10), ShipStateMsg(2, 50), ShipStateMsg(1, 20),
                                    Turret(1, 1), // a turret's id may equal a ship's: another object
                                    ShipStateMsg(1, 30), Turret(1, 0)})
        outbox.Queue(message);
    std::vector<CMessage> sent = Take(outbox);
    ASSERT_EQ(Types(sent), (std::vector<int32_t>{MSG_SHIP_STATE, MSG_SHIP_STATE, MSG_TURRET_STATE}));
    EXPECT_EQ(Details(sent), (std::vector<uint32_t>{50, 30, 0}))
        << "ship 2 stays where it was; three states of ship 1 (and two of turret 1) leave the newest, last";
    EXPECT_TRUE(outbox.IsEmpty());
    EXPECT_TRUE(Take(outbox).empty()) << "what was sent does not come again";
}

TEST(Outbox, AStateNeverOvertakesADeathQueuedBeforeIt)
{
    COutbox outbox(20);
    for (const CMessage& message : {ShipStateMsg(1, 10), Msg(&CMessage::SetShipDied, 1), ShipStateMsg(1, 20)})
        outbox.Queue(message);
    std::vector<CMessage> sent = Take(outbox);
    ASSERT_EQ(Types(sent), (std::vector<int32_t>{MSG_SHIP_DIED, MSG_SHIP_STATE}));
    EXPECT_EQ(Details(sent), (std::vector<uint32_t>{1, 20}));
}

TEST(Outbox, AnObjectGoneTakesItsWaitingStateAndBarsLaterOnesUntilTheSend)
{
    COutbox outbox(20);
    for (const CMessage& message : {ObjectStateMsg(4, 1), ObjectStateMsg(5, 1), Turret(4, 1),
                                    Msg(&CMessage::SetObjectGone, 4), ObjectStateMsg(4, 1)})
        outbox.Queue(message);
    std::vector<CMessage> sent = Take(outbox);
    ASSERT_EQ(Types(sent), (std::vector<int32_t>{MSG_OBJECT_STATE, MSG_TURRET_STATE, MSG_OBJECT_GONE}));
    EXPECT_EQ(Detail(sent[0]), 5u) << "only object 4's states go; turret 4 is another object";
    outbox.Queue(ObjectStateMsg(4, 1));
    EXPECT_EQ(Types(Take(outbox)), std::vector<int32_t>{MSG_OBJECT_STATE})
        << "after the send the id may be given to a new object";
}

TEST(Outbox, TextAndJoinsAreNeverDroppedAndRepeatedDeathsAreKeptOnce)
{
    COutbox outbox(20);
    auto died = [](ObjectId id) { return Msg(&CMessage::SetShipDied, id); };
    for (const CMessage& message :
         {Msg(&CMessage::SetText, "gg"), died(3), Msg(&CMessage::SetJoin, 7, 0, "Ace"),
          Msg(&CMessage::SetText, "gg"), died(3), died(4), Msg(&CMessage::SetJoin, 8, 0, "Ace"), died(3)})
        outbox.Queue(message);
    std::vector<CMessage> sent = Take(outbox);
    ASSERT_EQ(Types(sent),
              (std::vector<int32_t>{MSG_TEXT, MSG_JOIN, MSG_TEXT, MSG_SHIP_DIED, MSG_JOIN, MSG_SHIP_DIED}));
    EXPECT_EQ(TextOf(sent[2]), "gg") << "two identical chat lines are two lines";
    EXPECT_EQ(Detail(sent[3]), 4u);
    EXPECT_EQ(Detail(sent[5]), 3u) << "ship 3's death stands where it was last reported";
    outbox.Queue(died(3));
    EXPECT_EQ(Types(Take(outbox)), std::vector<int32_t>{MSG_SHIP_DIED})
        << "a repeat of what was sent is news";
}

TEST(Outbox, ANewRoundDropsOnlyTheWaitingStates)
{
    COutbox outbox(20);
    for (const CMessage& message : {ObjectStateMsg(4, 1), ShipStateMsg(1, 10), Msg(&CMessage::SetRoundOver),
                                    Msg(&CMessage::SetObjectGone, 6)})
        outbox.Queue(message);
    outbox.DropStates();
    outbox.Queue(ObjectStateMsg(6, 1)); // the new round's object 6
    EXPECT_EQ(Types(Take(outbox)), (std::vector<int32_t>{MSG_ROUND_OVER, MSG_OBJECT_GONE, MSG_OBJECT_STATE}));
}

TEST(Outbox, IsDueOncePerIntervalAcrossTheClockWrap)
{
    const uint32_t start = 0xFFFFFFF0u;
    const struct
    {
        uint32_t perSecond, sentAt, notYet, due;
    } cases[] = {
        {20, start, start + 49, start + 50}, // 50 ms after the last send, past the wrap
        {1000, 7, 7, 8},
        {3, 0, 333, 334}, // a third of a second is 333.3 ms
    };
    for (const auto& [perSecond, sentAt, notYet, due] : cases)
    {
        COutbox outbox(perSecond);
        CMessageBatch batch;
        EXPECT_TRUE(outbox.IsDue(12345)) << "the first batch goes at once";
        outbox.TakeBatch(batch, sentAt);
        EXPECT_FALSE(outbox.IsDue(sentAt)) << perSecond;
        EXPECT_FALSE(outbox.IsDue(notYet)) << perSecond;
        EXPECT_TRUE(outbox.IsDue(due)) << perSecond;
    }
}
