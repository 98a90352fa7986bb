#include "net/MessageBatch.h"
#include "WireTestUtil.h"

#include <gtest/gtest.h>

namespace
{
Bytes Written(const CMessageBatch& batch)
{
    Bytes bytes(batch.GetWireSize());
    EXPECT_TRUE(batch.Write(bytes.data(), bytes.size()));
    return bytes;
}

// A batch of a ping, a text and a round-over, as the wire carries it.
Bytes ThreeMessagePacket()
{
    CMessageBatch batch;
    CMessage message;
    message.SetPong(77);
    batch.Add(message);
    message.SetText("hi");
    batch.Add(message);
    message.SetRoundOver();
    batch.Add(message);
    return Written(batch);
}

std::vector<int32_t> ParsedTypes(CMessageBatch& batch)
{
    std::vector<int32_t> types;
    batch.ResetCursor();
    while (const CMessage* message = batch.NextMessage())
        types.push_back(message->GetType());
    return types;
}
} // namespace

TEST(MessageBatch, EmptyAndSingleMessageBytesAndClearKeepsTheTarget)
{
    CMessageBatch batch;
    EXPECT_EQ(batch.GetWireSize(), 4u);
    EXPECT_EQ(Written(batch), (Bytes{0, 0, 0, 0}));

    batch.SetTarget(0x1234);
    CMessage roundOver;
    roundOver.SetRoundOver();
    ASSERT_TRUE(batch.Add(&roundOver));
    EXPECT_EQ(batch.GetCount(), 1u);
    EXPECT_EQ(Written(batch), (Bytes{1, 0, 0, 0, 1, 0, 0, 0, 4}));
    batch.Clear();
    EXPECT_EQ(batch.GetTarget(), 0x1234u);
    EXPECT_EQ(Written(batch), (Bytes{0, 0, 0, 0}));
}

TEST(MessageBatch, AddRefusesNullAndEmptyMessages)
{
    CMessageBatch batch;
    CMessage empty;
    EXPECT_FALSE(batch.Add(nullptr));
    EXPECT_FALSE(batch.Add(empty));
    Bytes unknown{0x55};
    ASSERT_TRUE(empty.Deserialize(unknown.data(), unknown.size()));
    EXPECT_FALSE(batch.Add(empty)) << "a type with no layout has nothing to send";
    EXPECT_EQ(batch.GetCount(), 0u);
    EXPECT_EQ(batch.GetWireSize(), 4u);
}

TEST(MessageBatch, WriteNeedsRoomForTheWholeBatch)
{
    CMessageBatch batch;
    CMessage message;
    message.SetPing(1);
    batch.Add(message);
    Bytes buffer(batch.GetWireSize() - 1, 0xEE);
    EXPECT_FALSE(batch.Write(buffer.data(), buffer.size()));
    EXPECT_EQ(buffer, Bytes(buffer.size(), 0xEE));
    EXPECT_FALSE(batch.Write(nullptr, 100));
}

TEST(MessageBatch, ParseWalksMessagesInOrderAndReplacesEarlierOnes)
{
    Bytes packet = ThreeMessagePacket();
    CMessageBatch batch;
    ASSERT_TRUE(batch.Parse(packet.data(), packet.size()));
    EXPECT_EQ(batch.GetCount(), 3u);
    EXPECT_EQ(ParsedTypes(batch), (std::vector<int32_t>{MSG_PONG, MSG_TEXT, MSG_ROUND_OVER}));
    EXPECT_EQ(batch.NextMessage(), nullptr) << "stays at the end";

    batch.ResetCursor();
    uint32_t clock = 0;
    ASSERT_TRUE(batch.NextMessage()->GetPong(clock));
    EXPECT_EQ(clock, 77u);

    Bytes empty{0, 0, 0, 0};
    ASSERT_TRUE(batch.Parse(empty.data(), empty.size()));
    EXPECT_EQ(batch.GetCount(), 0u);
    EXPECT_EQ(batch.NextMessage(), nullptr);
}

TEST(MessageBatch, ParseKeepsRecordsBeforeTheFirstBadOne)
{
    Bytes packet = ThreeMessagePacket(); // records at 4 (4+5), 13 (4+7), 24 (4+1); 29 bytes
    ASSERT_EQ(packet.size(), 29u);
    CMessageBatch batch;

    EXPECT_FALSE(batch.Parse(packet.data(), 22)) << "text record cut short";
    EXPECT_EQ(ParsedTypes(batch), (std::vector<int32_t>{MSG_PONG}));

    Bytes badLength = packet;
    badLength[13] = 9; // text record claims 9 bytes: it then eats into the next record and the count runs out
    EXPECT_FALSE(batch.Parse(badLength.data(), badLength.size()));
    EXPECT_EQ(ParsedTypes(batch), (std::vector<int32_t>{MSG_PONG, MSG_TEXT}));

    Bytes badMessage = packet;
    badMessage[18] = 50; // the text's own length runs past its record
    EXPECT_FALSE(batch.Parse(badMessage.data(), badMessage.size()));
    EXPECT_EQ(ParsedTypes(batch), (std::vector<int32_t>{MSG_PONG}));

    Bytes zeroLength = packet;
    zeroLength[13] = 0;
    EXPECT_FALSE(batch.Parse(zeroLength.data(), zeroLength.size())) << "an empty record holds no message";
    EXPECT_EQ(batch.GetCount(), 1u);
}

TEST(MessageBatch, ParseCountIsCheckedAgainstThePacket)
{
    Bytes packet = ThreeMessagePacket();
    packet[0] = 0xFF;
    packet[3] = 0xFF;
    CMessageBatch batch;
    EXPECT_FALSE(batch.Parse(packet.data(), packet.size())) << "more records promised than present";
    EXPECT_EQ(batch.GetCount(), 3u);

    Bytes tiny{0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_FALSE(batch.Parse(tiny.data(), tiny.size()));
    EXPECT_EQ(batch.GetCount(), 0u);
    EXPECT_FALSE(batch.Parse(tiny.data(), 3)) << "no room for the count";
    EXPECT_FALSE(batch.Parse(nullptr, 0));
}

TEST(MessageBatch, ParseIgnoresBytesAfterTheCountedRecords)
{
    Bytes packet = ThreeMessagePacket();
    packet[0] = 2;
    packet.push_back(0xAA);
    CMessageBatch batch;
    EXPECT_TRUE(batch.Parse(packet.data(), packet.size()));
    EXPECT_EQ(ParsedTypes(batch), (std::vector<int32_t>{MSG_PONG, MSG_TEXT}));
}

// A full server pass's worth of states, larger than one datagram.
TEST(MessageBatch, ALargeServerBatchRoundTrips)
{
    CMessageBatch out;
    CMessage message;
    for (uint32_t id = 1; id <= 200; ++id)
    {
        message.SetObjectState(id, 2 + id % 7, CVector(id, id * 2.0, 1), CVector(300, 0, 0), 180, 0);
        out.Add(message);
        message.SetShipState(id, 0x10, 90, 100, 1, 2, 3, 4, 5, CVector(id * 32.5, 64, 1), CVector(), 45);
        out.Add(message);
    }
    EXPECT_EQ(out.GetWireSize(), 4 + 200 * (4 + 41) + 200 * (4 + 47));

    Bytes packet = Written(out);
    CMessageBatch in;
    ASSERT_TRUE(in.Parse(packet.data(), packet.size()));
    ASSERT_EQ(in.GetCount(), 400u);
    CMessageBatch again;
    while (const CMessage* parsed = in.NextMessage())
        again.Add(parsed);
    EXPECT_EQ(Written(again), packet);
}
