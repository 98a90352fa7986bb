// A server packet of many messages: its bytes, what it refuses to hold or
// write, and how much of an untrusted packet parsing keeps.
#include "net/MessageBatch.h"

#include "tests/net/Messages.h"

#include <gtest/gtest.h>

#include <functional>

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

// A pong, a text and a round-over: records at 4 (4+5), 13 (4+7) and 24
// (4+1); 29 bytes. Each case spoils it one way and says what parsing keeps.
TEST(MessageBatch, ParseKeepsTheRecordsBeforeTheFirstBadOne)
{
    const Bytes packet = BatchBytes(
        {Msg(&CMessage::SetPong, 77), Msg(&CMessage::SetText, "hi"), Msg(&CMessage::SetRoundOver)});
    ASSERT_EQ(packet.size(), 29u);
    const std::vector<int32_t> all{MSG_PONG, MSG_TEXT, MSG_ROUND_OVER}, pong{MSG_PONG};
    const struct
    {
        const char* what;
        std::function<void(Bytes&)> spoil;
        bool sound;
        std::vector<int32_t> kept;
    } cases[] = {
        {"whole", [](Bytes&) {}, true, all},
        {"text record cut short", [](Bytes& b) { b.resize(22); }, false, pong},
        {"text record claims 9 bytes, eating the next",
         [](Bytes& b) { b[13] = 9; },
         false,
         {MSG_PONG, MSG_TEXT}},
        {"the text's own length runs past its record", [](Bytes& b) { b[18] = 50; }, false, pong},
        {"an empty record holds no message", [](Bytes& b) { b[13] = 0; }, false, pong},
        {"more records promised than present", [](Bytes& b) { b[0] = b[3] = 0xFF; }, false, all},
        {"bytes after the counted records",
         [](Bytes& b)
         {
             b[0] = 2;
             b.push_back(0xAA);
         },
         true,
         {MSG_PONG, MSG_TEXT}},
        {"no records",
         [](Bytes& b) {
             b = {0, 0, 0, 0};
         },
         true,
         {}},
        {"a count and nothing else",
         [](Bytes& b) {
             b = {0xFF, 0xFF, 0xFF, 0xFF};
         },
         false,
         {}},
        {"no room for the count",
         [](Bytes& b) {
             b = {0, 0, 0};
         },
         false,
         {}},
    };
    CMessageBatch batch;
    for (const auto& [what, spoil, sound, kept] : cases)
    {
        Bytes bytes = packet;
        spoil(bytes);
        EXPECT_EQ(batch.Parse(bytes.data(), bytes.size()), sound) << what;
        EXPECT_EQ(batch.GetCount(), kept.size()) << what;
        std::vector<CMessage> messages;
        while (const CMessage* message = batch.NextMessage())
            messages.push_back(*message);
        EXPECT_EQ(Types(messages), kept) << what;
        EXPECT_EQ(batch.NextMessage(), nullptr) << what << ": stays at the end";
    }
    batch.Parse(packet.data(), packet.size());
    batch.NextMessage();
    batch.ResetCursor();
    uint32_t clock = 0;
    ASSERT_TRUE(batch.NextMessage()->GetPong(clock));
    EXPECT_EQ(clock, 77u);
    EXPECT_FALSE(batch.Parse(nullptr, 0));
}

// A full server pass's worth of states, larger than one datagram.
TEST(MessageBatch, ALargeServerBatchRoundTrips)
{
    CMessageBatch out;
    for (uint32_t id = 1; id <= 200; ++id)
    {
        out.Add(Msg(&CMessage::SetObjectState, id, 2 + id % 7, CVector(id, id * 2.0, 1), CVector(300, 0, 0),
                    180.0f, 0));
        out.Add(ShipStateMsg(id, 90, 1, CVector(id * 32.5, 64, 1)));
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
