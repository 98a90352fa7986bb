// One client's outbox at a fixed send rate: what waits between two sends,
// in which order it leaves, and when it may leave.
#include "server/session/Outbox.h"

#include "net/MessageBatch.h"
#include "tests/server/RecordingSender.h"

#include <gtest/gtest.h>

using testing_support::TextMessage;
using testing_support::TextOf;

namespace
{
CMessage ShipState(ObjectId id, float fuel)
{
    CMessage message;
    message.SetShipState(id, 0, fuel, 100, 0, 0, 0, 0, 0, CVector(1, 2, 0), CVector(), 0);
    return message;
}

CMessage ObjectState(ObjectId id, double x)
{
    CMessage message;
    message.SetObjectState(id, 1, CVector(x, 0, 0), CVector(), 0, 0);
    return message;
}

CMessage TurretState(ObjectId id, uint8_t inPlay)
{
    CMessage message;
    message.SetTurretState(id, 2, inPlay, CVector(5, 5, 0));
    return message;
}

CMessage ShipDied(ObjectId id)
{
    CMessage message;
    message.SetShipDied(id);
    return message;
}

CMessage ObjectGone(ObjectId id)
{
    CMessage message;
    message.SetObjectGone(id);
    return message;
}

CMessage Join(ObjectId id, const char* name)
{
    CMessage message;
    message.SetJoin(id, 0, name);
    return message;
}

// What the outbox sends now, decoded as a client would.
std::vector<CMessage> Take(COutbox& outbox, uint32_t now = 0)
{
    CMessageBatch batch;
    outbox.TakeBatch(batch, now);
    std::vector<uint8_t> bytes(batch.GetWireSize());
    batch.Write(bytes.data(), bytes.size());
    CMessageBatch received;
    EXPECT_TRUE(received.Parse(bytes.data(), bytes.size()));
    std::vector<CMessage> messages;
    while (const CMessage* message = received.NextMessage())
        messages.push_back(*message);
    return messages;
}

std::vector<int32_t> Types(const std::vector<CMessage>& messages)
{
    std::vector<int32_t> types;
    for (const CMessage& message : messages)
        types.push_back(message.GetType());
    return types;
}

float Fuel(const CMessage& message)
{
    CMessage::ShipState state;
    EXPECT_TRUE(message.GetShipState(state));
    return state.fuel;
}

ObjectId ObjectOf(const CMessage& message)
{
    ObjectId id = 0;
    int32_t kind = 0, subtype = 0;
    CVector position, velocity;
    float angle = 0;
    EXPECT_TRUE(message.GetObjectState(id, kind, position, velocity, angle, subtype));
    return id;
}
} // namespace

TEST(Outbox, ANewerStateReplacesTheWaitingOneOfTheSameObjectOnly)
{
    COutbox outbox(20);
    outbox.Queue(ShipState(1, 10));
    outbox.Queue(ShipState(2, 50));
    outbox.Queue(ShipState(1, 20));
    outbox.Queue(TurretState(1, 1)); // a turret's id may equal a ship's: another object
    outbox.Queue(ShipState(1, 30));
    outbox.Queue(TurretState(1, 0));
    std::vector<CMessage> sent = Take(outbox);
    ASSERT_EQ(Types(sent), (std::vector<int32_t>{MSG_SHIP_STATE, MSG_SHIP_STATE, MSG_TURRET_STATE}));
    EXPECT_EQ(Fuel(sent[0]), 50) << "ship 2 stays where it was";
    EXPECT_EQ(Fuel(sent[1]), 30) << "three states of ship 1 leave the newest, moved to the end";
    EXPECT_TRUE(outbox.IsEmpty());
    EXPECT_TRUE(Take(outbox).empty()) << "what was sent does not come again";
}

TEST(Outbox, AStateNeverOvertakesADeathQueuedBeforeIt)
{
    COutbox outbox(20);
    outbox.Queue(ShipState(1, 10));
    outbox.Queue(ShipDied(1));
    outbox.Queue(ShipState(1, 20));
    std::vector<CMessage> sent = Take(outbox);
    ASSERT_EQ(Types(sent), (std::vector<int32_t>{MSG_SHIP_DIED, MSG_SHIP_STATE}));
    EXPECT_EQ(Fuel(sent[1]), 20);
}

TEST(Outbox, AnObjectGoneTakesItsWaitingStateAndBarsLaterOnesUntilTheSend)
{
    COutbox outbox(20);
    outbox.Queue(ObjectState(4, 1));
    outbox.Queue(ObjectState(5, 1));
    outbox.Queue(TurretState(4, 1));
    outbox.Queue(ObjectGone(4));
    outbox.Queue(ObjectState(4, 2));
    std::vector<CMessage> sent = Take(outbox);
    ASSERT_EQ(Types(sent), (std::vector<int32_t>{MSG_OBJECT_STATE, MSG_TURRET_STATE, MSG_OBJECT_GONE}));
    EXPECT_EQ(ObjectOf(sent[0]), 5u) << "only object 4's states go; turret 4 is another object";

    outbox.Queue(ObjectState(4, 3));
    EXPECT_EQ(Types(Take(outbox)), std::vector<int32_t>{MSG_OBJECT_STATE})
        << "after the send the id may be given to a new object";
}

TEST(Outbox, TextAndJoinsAreNeverDroppedAndRepeatedDeathsAreKeptOnce)
{
    COutbox outbox(20);
    outbox.Queue(TextMessage("gg"));
    outbox.Queue(ShipDied(3));
    outbox.Queue(Join(7, "Ace"));
    outbox.Queue(TextMessage("gg"));
    outbox.Queue(ShipDied(3));
    outbox.Queue(ShipDied(4));
    outbox.Queue(Join(8, "Ace"));
    outbox.Queue(ShipDied(3));
    std::vector<CMessage> sent = Take(outbox);
    ASSERT_EQ(Types(sent),
              (std::vector<int32_t>{MSG_TEXT, MSG_JOIN, MSG_TEXT, MSG_SHIP_DIED, MSG_JOIN, MSG_SHIP_DIED}));
    EXPECT_EQ(TextOf(sent[0]), "gg");
    EXPECT_EQ(TextOf(sent[2]), "gg") << "two identical chat lines are two lines";
    ObjectId died = 0;
    EXPECT_TRUE(sent[3].GetShipDied(died));
    EXPECT_EQ(died, 4u);
    EXPECT_TRUE(sent[5].GetShipDied(died));
    EXPECT_EQ(died, 3u) << "ship 3's death stands where it was last reported";

    outbox.Queue(ShipDied(3));
    EXPECT_EQ(Types(Take(outbox)), std::vector<int32_t>{MSG_SHIP_DIED})
        << "a repeat of what was sent is news";
}

TEST(Outbox, ANewRoundDropsOnlyTheWaitingStates)
{
    COutbox outbox(20);
    outbox.Queue(ObjectState(4, 1));
    outbox.Queue(ShipState(1, 10));
    CMessage roundOver;
    roundOver.SetRoundOver();
    outbox.Queue(roundOver);
    outbox.Queue(ObjectGone(6));
    outbox.DropStates();
    outbox.Queue(ObjectState(6, 1)); // the new round's object 6
    std::vector<CMessage> sent = Take(outbox);
    EXPECT_EQ(Types(sent), (std::vector<int32_t>{MSG_ROUND_OVER, MSG_OBJECT_GONE, MSG_OBJECT_STATE}));
}

TEST(Outbox, IsDueOncePerIntervalAcrossTheClockWrap)
{
    COutbox outbox(20);
    CMessageBatch batch;
    EXPECT_TRUE(outbox.IsDue(12345)) << "the first batch goes at once";
    const uint32_t start = 0xFFFFFFF0u;
    outbox.TakeBatch(batch, start);
    EXPECT_FALSE(outbox.IsDue(start));
    EXPECT_FALSE(outbox.IsDue(start + 49));
    EXPECT_TRUE(outbox.IsDue(start + 50)) << "50 ms after the last send, past the wrap";

    COutbox fast(1000);
    fast.TakeBatch(batch, 7);
    EXPECT_FALSE(fast.IsDue(7));
    EXPECT_TRUE(fast.IsDue(8));
    COutbox slow(3);
    slow.TakeBatch(batch, 0);
    EXPECT_FALSE(slow.IsDue(333)) << "a third of a second is 333.3 ms";
    EXPECT_TRUE(slow.IsDue(334));
}
