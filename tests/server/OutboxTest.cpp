// One client's outbox at a fixed send rate: what waits between two sends,
// in which order it leaves, and when it may leave.
#include "server/session/Outbox.h"

#include "tests/net/Messages.h"

#include <gtest/gtest.h>

#include <array>
#include <sstream>

using namespace testing_support;

namespace
{
// The cases write messages as words: "S1:30" a ship state (ship 1, fuel 30),
// "T1:0" a turret state (turret 1, out of play), "O4" an object state, "D3" a
// ship's death, "G4" an object gone, "J7" a join, "Xgg" a chat line, "R" a
// round's end; "|" drops the waiting states, as a new round does.
CMessage Make(const std::string& word)
{
    auto number = [&](size_t from) { return static_cast<uint32_t>(std::stoul(word.substr(from))); };
    uint32_t value = word.find(':') == std::string::npos ? 0 : number(word.find(':') + 1);
    switch (word[0])
    {
    case 'S':
        return ShipStateMsg(number(1), static_cast<float>(value));
    case 'T':
        return Msg(&CMessage::SetTurretState, number(1), 2, static_cast<uint8_t>(value), CVector(5, 5, 0));
    case 'O':
        return ObjectStateMsg(number(1), 1);
    case 'D':
        return Msg(&CMessage::SetShipDied, number(1));
    case 'G':
        return Msg(&CMessage::SetObjectGone, number(1));
    case 'J':
        return Msg(&CMessage::SetJoin, number(1), 0, "Ace");
    case 'X':
        return Msg(&CMessage::SetText, word.substr(1).c_str());
    default:
        return Msg(&CMessage::SetRoundOver);
    }
}

std::string Word(const CMessage& message)
{
    CMessage::ShipState ship;
    ObjectId id = 0;
    uint32_t shipType = 0;
    int32_t kind = 0, subtype = 0;
    uint8_t inPlay = 0;
    CVector at, velocity;
    float angle = 0;
    char name[16];
    if (message.GetShipState(ship))
        return "S" + std::to_string(ship.objectId) + ":" + std::to_string(static_cast<int>(ship.fuel));
    if (message.GetTurretState(id, kind, inPlay, at))
        return "T" + std::to_string(id) + ":" + std::to_string(inPlay);
    if (message.GetObjectState(id, kind, at, velocity, angle, subtype))
        return "O" + std::to_string(id);
    if (message.GetShipDied(id))
        return "D" + std::to_string(id);
    if (message.GetObjectGone(id))
        return "G" + std::to_string(id);
    if (message.GetJoin(id, shipType, name, sizeof name))
        return "J" + std::to_string(id);
    return message.GetType() == MSG_TEXT ? "X" + TextOf(message) : "R";
}

// Queues the messages `words` lists, then takes what the outbox sends now,
// decoded as a client would, as words.
std::string QueueAndTake(COutbox& outbox, const std::string& words)
{
    std::istringstream queued(words);
    for (std::string word; queued >> word;)
        if (word == "|")
            outbox.DropStates();
        else
            outbox.Queue(Make(word));
    CMessageBatch batch;
    outbox.TakeBatch(batch, 0);
    Bytes bytes = Written(batch);
    std::string sent;
    for (const CMessage& message : Unbatched(bytes.data(), bytes.size()))
        sent += (sent.empty() ? "" : " ") + Word(message);
    return sent;
}
} // namespace

// Each case queues messages and takes a batch, then queues more and takes
// the next.
TEST(Outbox, WhatWaitsIsCoalescedAndLeavesInOrder)
{
    const std::array<const char*, 4> cases[] = {
        // A newer state replaces the waiting one of the same object only (a
        // turret's id may equal a ship's), moving to the end; what was sent
        // does not come again.
        {"S1:10 S2:50 S1:20 T1:1 S1:30 T1:0", "S2:50 S1:30 T1:0", "", ""},
        // A state never overtakes a death queued before it.
        {"S1:10 D1 S1:20", "D1 S1:20", "", ""},
        // An object gone takes its waiting state and bars later ones until
        // the send; after it, the id may be given to a new object.
        {"O4 O5 T4:1 G4 O4", "O5 T4:1 G4", "O4", "O4"},
        // Chat lines and joins are never dropped; a repeated death is kept
        // once, where it was last reported; a repeat of what was sent is news.
        {"Xgg D3 J7 Xgg D3 D4 J8 D3", "Xgg J7 Xgg D4 J8 D3", "D3", "D3"},
        // A new round drops only the waiting states.
        {"O4 S1:10 R G6 | O6", "R G6 O6", "", ""},
    };
    for (const auto& [queued, sent, queuedAfter, sentAfter] : cases)
    {
        COutbox outbox(20);
        EXPECT_EQ(QueueAndTake(outbox, queued), sent) << queued;
        EXPECT_TRUE(outbox.IsEmpty()) << queued;
        EXPECT_EQ(QueueAndTake(outbox, queuedAfter), sentAfter) << queued;
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
