// The game's message codec: every type's bytes as net/Message.h documents
// them, and what decoding untrusted bytes and the getters may and may not do.
#include "net/Message.h"

#include "tests/net/Messages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

using testing_support::Bytes;
using testing_support::FromHex;
using testing_support::Msg;
using testing_support::Serialized;

namespace
{
CMessage Decoded(const Bytes& bytes)
{
    CMessage message;
    EXPECT_TRUE(message.Deserialize(bytes.data(), bytes.size()));
    return message;
}

// One message of every type, with its bytes as the table in net/Message.h
// lays them out. MSG_RESERVED has no setter: it is only ever decoded.
struct Documented
{
    CMessage message;
    const char* hex;
};

std::vector<Documented> OneOfEachType()
{
    const uint32_t codes[] = {7, 9, 17};
    CMessage shipState;
    shipState.SetShipState(7, 0x31, 55.5f, 300.0f, -3, 1, 2, 3, 4, CVector(100.1, 200.25, 1),
                           CVector(-8, 16, 0), 270.0f);
    return {
        {Msg(&CMessage::SetText, "hello"), "01 05000000 68656C6C6F"},
        {Msg(&CMessage::SetJoin, 3, 2, "Ace"), "02 03000000 02000000 03000000 416365"},
        {Msg(&CMessage::SetMap, "Arena"), "03 05000000 4172656E61"},
        {Msg(&CMessage::SetRoundOver), "04"},
        {Msg(&CMessage::SetShipInfo, 3, -40, 96, 5, "Ace"),
         "05 03000000 D8FFFFFF 60000000 05000000 03000000 416365"},
        {Msg(&CMessage::SetPlayerLeft, 3), "06 03000000"},
        {CMessage(),
         "07 0C000000 06000000 02000000 0000803F 00000040 0000803F 00004040 00008040 00000000 0000B442"},
        {Msg(&CMessage::SetShipDied, 4), "08 04000000"},
        {Msg(&CMessage::SetObjectGone, 5), "09 05000000"},
        {shipState, "0A 07000000 31 00005E42 00009643 FD 01 02 03 04 3333C842 00404843 0000803F "
                    "000000C1 00008041 00000000 00008743"},
        {Msg(&CMessage::SetObjectState, 12, 6, CVector(1, 2, 1), CVector(3, 4, 0), 90.0f, 2),
         "0B 0C000000 06000000 02000000 0000803F 00000040 0000803F 00004040 00008040 00000000 0000B442"},
        {Msg(&CMessage::SetTurretState, 2, 3, 1, CVector(48, 80, 1)),
         "0C 02000000 01 03000000 00004042 0000A042 0000803F"},
        {Msg(&CMessage::SetTile, -1, 64, 0xAB), "0D FFFFFFFF 40000000 AB"},
        {Msg(&CMessage::SetKeys, 3, codes, 3), "0E 03000000 03000000 07000000 09000000 11000000"},
        {Msg(&CMessage::SetShutdown, 0), "0F 00000000"},
        {Msg(&CMessage::SetPing, 123456), "10 40E20100"},
        {Msg(&CMessage::SetPong, 654321), "11 F1FB0900"},
    };
}
} // namespace

// Each type's bytes, its size, its way back from the wire, and that every
// message cut short is dropped whole.
TEST(Message, EveryTypeHasItsDocumentedBytesAndSurvivesOnlyWhole)
{
    for (const auto& [original, hex] : OneOfEachType())
    {
        Bytes bytes = FromHex(hex);
        if (original.GetType() != MSG_NONE)
        {
            EXPECT_EQ(Serialized(original), bytes) << hex;
            EXPECT_EQ(original.GetSize(), bytes.size()) << hex;
        }
        CMessage copy = Decoded(bytes);
        EXPECT_EQ(copy.GetType(), bytes[0]) << hex;
        EXPECT_EQ(Serialized(copy), bytes) << hex;
        for (size_t size = 0; size < bytes.size(); ++size)
        {
            CMessage message = Msg(&CMessage::SetPing, 1);
            EXPECT_FALSE(message.Deserialize(bytes.data(), size)) << hex << " cut to " << size;
            EXPECT_EQ(message.GetType(), MSG_NONE);
        }
    }
    EXPECT_EQ(CMessage().GetSize(), 0u);
}

TEST(Message, TextGettersTruncateAndSerializeZeroFills)
{
    CMessage message = Msg(&CMessage::SetText, "abcdef");
    char buffer[5];
    std::memset(buffer, 'x', sizeof buffer);
    ASSERT_TRUE(message.GetText(buffer, sizeof buffer));
    EXPECT_EQ(std::string(buffer, sizeof buffer), std::string("abcd\0", 5));
    char small[1] = {'x'};
    message.GetText(small, 1);
    EXPECT_EQ(small[0], '\0');
    EXPECT_TRUE(message.GetText(nullptr, 10)) << "a missing buffer is skipped, not written";
    Bytes roomy(14, 0xEE), tight(10, 0xEE);
    EXPECT_TRUE(message.Serialize(roomy.data(), roomy.size()));
    EXPECT_EQ(roomy, FromHex("01 06000000 616263646566 000000")) << "zero-filled after the message";
    EXPECT_FALSE(message.Serialize(tight.data(), tight.size()));
    EXPECT_EQ(tight, Bytes(10, 0)) << "too short: only the zeros";
    EXPECT_FALSE(message.Serialize(nullptr, 100));
    EXPECT_FALSE(CMessage().Serialize(roomy.data(), roomy.size())) << "an empty message";
    EXPECT_EQ(Msg(&CMessage::SetText, nullptr).GetSize(), 5u) << "a null text is sent as empty";
}

TEST(Message, SettersStoreKeysNeedCodesClearEmptiesAndGettersOfAnotherTypeTouchNothing)
{
    uint32_t negative = 1, nine = 0;
    ASSERT_TRUE(Msg(&CMessage::SetShutdown, -5).GetShutdown(negative));
    ASSERT_TRUE(Msg(&CMessage::SetShutdown, 9).GetShutdown(nine));
    EXPECT_EQ(std::tuple(negative, nine), std::tuple(0u, 9u));
    const uint32_t codes[] = {7, 8, 9, 10};
    EXPECT_EQ(Msg(&CMessage::SetKeys, 1, nullptr, 3).GetType(), MSG_NONE) << "no codes, no keys message";
    EXPECT_EQ(Msg(&CMessage::SetKeys, 1, codes, 0).GetType(), MSG_NONE);
    CMessage message = Msg(&CMessage::SetKeys, 2, codes, 4);
    uint32_t id = 0, count = 0;
    ASSERT_TRUE(message.GetKeys(id, nullptr, count));
    EXPECT_EQ(std::tuple(id, count), std::tuple(2u, 4u));
    uint32_t out[3] = {0, 0, 0};
    count = 2;
    message.GetKeys(id, out, count);
    EXPECT_EQ(std::tuple(count, out[1], out[2]), std::tuple(2u, 8u, 0u)) << "the array was said to hold two";
    message.Clear();
    EXPECT_EQ(std::tuple(message.GetType(), message.GetSize()), std::tuple(MSG_NONE, 0u));
    message.SetPing(5); // getters of another type touch nothing
    char text[4] = {'x', 'x', 'x', 'x'};
    id = count = 99;
    CMessage::ShipState state;
    state.objectId = 42;
    EXPECT_EQ(std::tuple(message.GetText(text, sizeof text), message.GetKeys(id, nullptr, count),
                         message.GetShipState(state), message.GetShipDied(id)),
              std::tuple(false, false, false, false));
    EXPECT_EQ(std::tuple(text[0], count, state.objectId, id), std::tuple('x', 99u, 42u, 99u));
}

// Lengths and counts are checked before use; where nothing is at risk the
// decoder is lenient.
TEST(Message, DecodingChecksLengthsAndCountsAndIsLenientElsewhere)
{
    const struct
    {
        const char* hex;
        bool decodes;
        size_t size; // after decoding
    } cases[] = {
        {"01 FFFFFF7F 61", false, 0},
        {"0E 01000000 01000040 07000000", false, 0},        // a count that would wrap a 32-bit byte count
        {"02 01000000 02000000 04000000 416365", false, 0}, // the name one byte short
        {"10 01000000 AABB", true, 5},                      // bytes after the last field are ignored
        {"0E 01000000 00000000", true, 9},
        {"01 04000000 6162 00 63", true, 7}, // the text ends at the zero byte
        {"00 010203", true, 0},              // unknown types decode bare
        {"12 010203", true, 0},
        {"80 010203", true, 0},
        {"FF 010203", true, 0},
    };
    for (const auto& [hex, decodes, size] : cases)
    {
        Bytes bytes = FromHex(hex);
        CMessage message;
        EXPECT_EQ(message.Deserialize(bytes.data(), bytes.size()), decodes) << hex;
        EXPECT_EQ(message.GetSize(), size) << hex;
        EXPECT_EQ(message.GetType(), decodes ? static_cast<int8_t>(bytes[0]) : 0) << hex << ": signed";
    }
    EXPECT_FALSE(CMessage().Deserialize(nullptr, 10));
}
