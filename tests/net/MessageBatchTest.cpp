// A server packet of many messages: its bytes, what it refuses to hold or
// write, and how much of an untrusted packet parsing keeps.
#include "net/MessageBatch.h"

#include "tests/net/Messages.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace testing_support;

TEST(MessageBatch, BytesOfEmptyAndOneMessageBatchesAndWhatAddAndWriteRefuse)
{
    CMessageBatch batch;
    EXPECT_EQ(Written(batch), (Bytes{0, 0, 0, 0}));
    batch.SetTarget(0x1234);
    CMessage unknown;
    Bytes unknownType{0x55};
    ASSERT_TRUE(unknown.Deserialize(unknownType.data(), unknownType.size()));
    EXPECT_FALSE(batch.Add(nullptr));
    EXPECT_FALSE(batch.Add(CMessage()));
    EXPECT_FALSE(batch.Add(unknown)) << "a type with no layout has nothing to send";
    EXPECT_EQ(batch.GetWireSize(), 4u);
    ASSERT_TRUE(batch.Add(Msg(&CMessage::SetRoundOver)));
    EXPECT_EQ(batch.GetCount(), 1u);
    EXPECT_EQ(Written(batch), (Bytes{1, 0, 0, 0, 1, 0, 0, 0, 4}));
    Bytes buffer(batch.GetWireSize() - 1, 0xEE);
    EXPECT_FALSE(batch.Write(buffer.data(), buffer.size()));
    EXPECT_EQ(buffer, Bytes(buffer.size(), 0xEE)) << "nothing written";
    EXPECT_FALSE(batch.Write(nullptr, 100));
    batch.Clear();
    EXPECT_EQ(batch.GetTarget(), 0x1234u);
    EXPECT_EQ(Written(batch), (Bytes{0, 0, 0, 0}));
}

// A pong, a text and a round-over, as BatchBytes writes them, then spoilt one
// way at a time: what parsing keeps, and whether the packet was sound.
TEST(MessageBatch, ParseKeepsTheRecordsBeforeTheFirstBadOne)
{
    const char* const whole = "03000000 05000000 114D000000 07000000 01020000006869 01000000 04";
    ASSERT_EQ(BatchBytes(
                  {Msg(&CMessage::SetPong, 77), Msg(&CMessage::SetText, "hi"), Msg(&CMessage::SetRoundOver)}),
              FromHex(whole));
    const std::vector<int32_t> all{MSG_PONG, MSG_TEXT, MSG_ROUND_OVER}, pong{MSG_PONG},
        two{MSG_PONG, MSG_TEXT};
    const std::tuple<const char*, bool, std::vector<int32_t>> cases[] = {
        {whole, true, all},
        {"03000000 05000000 114D000000 07000000 0102000000", false, pong}, // the text record cut short
        {"03000000 05000000 114D000000 09000000 01020000006869 01000000 04", false, two}, // eats the next one
        {"03000000 05000000 114D000000 07000000 01320000006869 01000000 04", false,
         pong}, // text past its record
        {"03000000 05000000 114D000000 00000000 01020000006869 01000000 04", false, pong}, // an empty record
        {"FF0000FF 05000000 114D000000 07000000 01020000006869 01000000 04", false, all},  // records promised
        {"02000000 05000000 114D000000 07000000 01020000006869 01000000 04 AA", true,
         two}, // bytes after them
        {"00000000", true, {}},
        {"FFFFFFFF", false, {}},
        {"000000", false, {}}, // no room for the count
        {"", false, {}},
    };
    CMessageBatch batch;
    for (const auto& [hex, sound, kept] : cases)
    {
        Bytes bytes = FromHex(hex);
        EXPECT_EQ(batch.Parse(bytes.data(), bytes.size()), sound) << hex;
        EXPECT_EQ(batch.GetCount(), kept.size()) << hex;
        std::vector<CMessage> messages;
        while (const CMessage* message = batch.NextMessage())
            messages.push_back(*message);
        EXPECT_EQ(Types(messages), kept) << hex;
        EXPECT_EQ(batch.NextMessage(), nullptr) << hex << ": stays at the end";
    }
    Bytes bytes = FromHex(whole);
    batch.Parse(bytes.data(), bytes.size());
    batch.NextMessage();
    batch.ResetCursor();
    uint32_t clock = 0;
    ASSERT_TRUE(batch.NextMessage()->GetPong(clock));
    EXPECT_EQ(clock, 77u);
    Bytes many = BatchBytes(std::vector<CMessage>(300, Msg(&CMessage::SetPing, 1)));
    EXPECT_TRUE(batch.Parse(many.data(), many.size()) && batch.GetCount() == 300u) << "a count beyond a byte";
}
