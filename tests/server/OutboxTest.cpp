// One client's outbox at a fixed send rate: what waits between two sends,
// in which order it leaves, and when it may leave.
#include "server/session/Outbox.h"

#include "tests/net/Messages.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace
{
// The cases' messages: a ship's state (ship, fuel), a turret's (turret, in
// play), an object's; a ship's death, an object gone, a join, a chat line, a
// round's end, a new map; and an empty message, which drops the waiting
// states as a new round does.
const auto Ship = [](ObjectId id, float fuel) { return ShipStateMsg(id, fuel); };
const auto Turret = [](ObjectId id, uint8_t inPlay)
{ return Msg(&CMessage::SetTurretState, id, 2, inPlay, CVector()); };
const auto Object = [](ObjectId id) { return ObjectStateMsg(id, 1); };
const auto Died = [](ObjectId id) { return Msg(&CMessage::SetShipDied, id); };
const auto Gone = [](ObjectId id) { return Msg(&CMessage::SetObjectGone, id); };
const auto Join = [](ObjectId id) { return Msg(&CMessage::SetJoin, id, 0, "Ace"); };
const auto Chat = [](const char* text) { return Msg(&CMessage::SetText, text); };
const CMessage kRoundOver = Msg(&CMessage::SetRoundOver), kMap = Msg(&CMessage::SetMap, "Caves"), kNewRound;

std::vector<Bytes> AllBytes(const std::vector<CMessage>& messages)
{
    std::vector<Bytes> all;
    for (const CMessage& message : messages)
        all.push_back(Serialized(message));
    return all;
}

// Queues `messages`, then takes what the outbox sends now, decoded as a
// client would.
std::vector<Bytes> QueueAndTake(COutbox& outbox, const std::vector<CMessage>& messages)
{
    for (const CMessage& message : messages)
        if (message.GetType() == MSG_NONE)
            outbox.DropStates();
        else
            outbox.Queue(message);
    CMessageBatch batch;
    outbox.TakeBatch(batch, 0);
    Bytes bytes = Written(batch);
    return AllBytes(Unbatched(bytes.data(), bytes.size()));
}
} // namespace

// Each case queues messages and takes a batch, then queues more and takes
// the next.
TEST(Outbox, WhatWaitsIsCoalescedAndLeavesInOrder)
{
    const std::vector<CMessage> cases[][4] = {
        // A newer state replaces the waiting one of the same object only (a
        // turret's id may equal a ship's), moving to the end; what was sent
        // does not come again.
        {{Ship(1, 10), Ship(2, 50), Ship(1, 20), Turret(1, 1), Ship(1, 30), Turret(1, 0)},
         {Ship(2, 50), Ship(1, 30), Turret(1, 0)},
         {},
         {}},
        // A state never overtakes a death queued before it.
        {{Ship(1, 10), Died(1), Ship(1, 20)}, {Died(1), Ship(1, 20)}, {}, {}},
        // An object gone takes its waiting state and bars later ones until
        // the send; after it, the id may be given to a new object.
        {{Object(4), Object(5), Turret(4, 1), Gone(4), Object(4)},
         {Object(5), Turret(4, 1), Gone(4)},
         {Object(4)},
         {Object(4)}},
        // Chat lines and joins are never dropped; a repeated death is kept
        // once, where it was last reported; a repeat of what was sent waits
        // for the refresh time, a chat line does not.
        {{Chat("gg"), Died(3), Join(7), Chat("gg"), Died(3), Died(4), Join(8), Died(3)},
         {Chat("gg"), Join(7), Chat("gg"), Died(4), Join(8), Died(3)},
         {Died(3), Chat("gg")},
         {Chat("gg")}},
        // Nothing queued before a round's end or a map comes after it; the
        // client told of a new map is told every state again.
        {{Ship(1, 10), Object(4), kRoundOver, Ship(1, 20), Object(4), Turret(2, 1)},
         {Ship(1, 10), Object(4), kRoundOver, Ship(1, 20), Turret(2, 1)},
         {Turret(2, 1), kMap, Turret(2, 1), Turret(2, 1)},
         {kMap, Turret(2, 1)}},
        // A new round drops only the waiting states.
        {{Object(4), Ship(1, 10), kRoundOver, Gone(6), kNewRound, Object(6)},
         {kRoundOver, Gone(6), Object(6)},
         {},
         {}},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
    {
        const auto& [queued, sent, queuedAfter, sentAfter] = cases[i];
        COutbox outbox(20);
        EXPECT_EQ(QueueAndTake(outbox, queued), AllBytes(sent)) << "case " << i;
        EXPECT_TRUE(outbox.IsEmpty()) << "case " << i;
        EXPECT_EQ(QueueAndTake(outbox, queuedAfter), AllBytes(sentAfter)) << "case " << i;
    }
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
