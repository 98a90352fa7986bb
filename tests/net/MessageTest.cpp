#include "net/Message.h"
#include "WireTestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>

namespace
{
CMessage ShipStateMessage()
{
    CMessage message;
    message.SetShipState(7, 0x31, 55.5f, 300.0f, -3, 1, 2, 3, 4, CVector(100.1, 200.25, 1),
                         CVector(-8, 16, 0), 270.0f);
    return message;
}

CMessage Decoded(const Bytes& bytes)
{
    CMessage message;
    EXPECT_TRUE(message.Deserialize(bytes.data(), bytes.size()));
    return message;
}

CMessage Made(const std::function<void(CMessage&)>& set)
{
    CMessage message;
    set(message);
    return message;
}

// "0A 07000000" as bytes; spaces only make the fields easier to read.
Bytes FromHex(std::string hex)
{
    std::erase(hex, ' ');
    Bytes bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

// One message of every type the game sends, with its bytes as the table in
// net/Message.h lays them out.
struct Documented
{
    CMessage message;
    const char* hex;
};

std::vector<Documented> OneOfEachType()
{
    const uint32_t codes[] = {7, 9, 17};
    return {
        {Made([](CMessage& m) { m.SetText("hello"); }), "01 05000000 68656C6C6F"},
        {Made([](CMessage& m) { m.SetJoin(3, 2, "Ace"); }), "02 03000000 02000000 03000000 416365"},
        {Made([](CMessage& m) { m.SetMap("Arena"); }), "03 05000000 4172656E61"},
        {Made([](CMessage& m) { m.SetRoundOver(); }), "04"},
        {Made([](CMessage& m) { m.SetShipInfo(3, -40, 96, 5, "Ace"); }),
         "05 03000000 D8FFFFFF 60000000 05000000 03000000 416365"},
        {Made([](CMessage& m) { m.SetPlayerLeft(3); }), "06 03000000"},
        {Made([](CMessage& m) { m.SetShipDied(4); }), "08 04000000"},
        {Made([](CMessage& m) { m.SetObjectGone(5); }), "09 05000000"},
        {ShipStateMessage(), "0A 07000000 31 00005E42 00009643 FD 01 02 03 04 3333C842 00404843 0000803F "
                             "000000C1 00008041 00000000 00008743"},
        {Made([](CMessage& m) { m.SetObjectState(12, 6, CVector(1, 2, 1), CVector(3, 4, 0), 90, 2); }),
         "0B 0C000000 06000000 02000000 0000803F 00000040 0000803F 00004040 00008040 00000000 0000B442"},
        {Made([](CMessage& m) { m.SetTurretState(2, 3, 1, CVector(48, 80, 1)); }),
         "0C 02000000 01 03000000 00004042 0000A042 0000803F"},
        {Made([](CMessage& m) { m.SetTile(-1, 64, 0xAB); }), "0D FFFFFFFF 40000000 AB"},
        {Made([&](CMessage& m) { m.SetKeys(3, codes, 3); }),
         "0E 03000000 03000000 07000000 09000000 11000000"},
        {Made([](CMessage& m) { m.SetShutdown(0); }), "0F 00000000"},
        {Made([](CMessage& m) { m.SetPing(123456); }), "10 40E20100"},
        {Made([](CMessage& m) { m.SetPong(654321); }), "11 F1FB0900"},
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
        EXPECT_EQ(Serialized(original), bytes) << hex;
        EXPECT_EQ(original.GetSize(), bytes.size()) << hex;
        CMessage copy = Decoded(bytes);
        EXPECT_EQ(copy.GetType(), original.GetType());
        EXPECT_EQ(Serialized(copy), bytes) << hex;
        for (size_t size = 0; size < bytes.size(); ++size)
        {
            CMessage message;
            message.SetPing(1);
            EXPECT_FALSE(message.Deserialize(bytes.data(), size)) << hex << " cut to " << size;
            EXPECT_EQ(message.GetType(), MSG_NONE);
        }
    }
    EXPECT_EQ(CMessage().GetSize(), 0u);
}

TEST(Message, FloatsAreNarrowedToSinglePrecision)
{
    CMessage decoded = Decoded(Serialized(ShipStateMessage()));
    CMessage::ShipState state;
    ASSERT_TRUE(decoded.GetShipState(state));
    EXPECT_EQ(state.position.GetX(), static_cast<double>(100.1f));
    EXPECT_NE(state.position.GetX(), 100.1);
    EXPECT_EQ(state.position.GetZ(), 1.0);
    EXPECT_EQ(state.frags, -3);
    EXPECT_EQ(state.flags, 0x31);
    EXPECT_EQ(state.repulses, 4);
}

TEST(Message, GettersOfAnotherTypeTouchNothing)
{
    CMessage message;
    message.SetPing(5);
    char text[4] = {'x', 'x', 'x', 'x'};
    uint32_t id = 99, count = 99;
    CMessage::ShipState state;
    state.objectId = 42;
    EXPECT_FALSE(message.GetText(text, sizeof text));
    EXPECT_EQ(text[0], 'x');
    EXPECT_FALSE(message.GetKeys(id, nullptr, count));
    EXPECT_EQ(count, 99u);
    EXPECT_FALSE(message.GetShipState(state));
    EXPECT_EQ(state.objectId, 42u);
    EXPECT_FALSE(message.GetShipDied(id));
    EXPECT_EQ(id, 99u);
}

TEST(Message, TextGettersTruncateIntoZeroFilledBuffer)
{
    CMessage message;
    message.SetText("abcdef");
    char buffer[5];
    std::memset(buffer, 'x', sizeof buffer);
    ASSERT_TRUE(message.GetText(buffer, sizeof buffer));
    EXPECT_EQ(std::string(buffer, sizeof buffer), std::string("abcd\0", 5));

    char small[1] = {'x'};
    message.GetText(small, 1);
    EXPECT_EQ(small[0], '\0');
    EXPECT_TRUE(message.GetText(nullptr, 10)) << "a missing buffer is skipped, not written";
}

TEST(Message, SettersStoreAndClearEmpties)
{
    CMessage message;
    message.SetText(nullptr);
    EXPECT_EQ(message.GetSize(), 5u) << "a null text is sent as empty";

    message.SetShutdown(-5);
    uint32_t value = 1;
    ASSERT_TRUE(message.GetShutdown(value));
    EXPECT_EQ(value, 0u);
    message.SetShutdown(9);
    message.GetShutdown(value);
    EXPECT_EQ(value, 9u);

    message.Clear();
    EXPECT_EQ(message.GetType(), MSG_NONE);
    EXPECT_EQ(message.GetSize(), 0u);
}

TEST(Message, KeysNeedCodesAndCopyOutWithinTheArray)
{
    CMessage message;
    const uint32_t codes[] = {7, 8, 9, 10};
    message.SetKeys(1, nullptr, 3);
    message.SetKeys(1, codes, 0);
    EXPECT_EQ(message.GetType(), MSG_NONE) << "no codes, no keys message";

    message.SetKeys(2, codes, 4);
    uint32_t id = 0, count = 0;
    ASSERT_TRUE(message.GetKeys(id, nullptr, count));
    EXPECT_EQ(id, 2u);
    EXPECT_EQ(count, 4u);

    uint32_t out[3] = {0, 0, 0};
    count = 2;
    message.GetKeys(id, out, count);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(out[1], 8u);
    EXPECT_EQ(out[2], 0u) << "the array was said to hold two";
}

TEST(Message, SerializeRefusesShortBuffersAndEmptyMessages)
{
    CMessage message;
    message.SetText("abc");
    Bytes buffer(7, 0xEE);
    EXPECT_FALSE(message.Serialize(buffer.data(), buffer.size()));
    EXPECT_EQ(buffer, Bytes(7, 0));
    EXPECT_FALSE(message.Serialize(nullptr, 100));

    Bytes roomy(12, 0xEE);
    EXPECT_TRUE(message.Serialize(roomy.data(), roomy.size()));
    EXPECT_EQ(roomy, (Bytes{1, 3, 0, 0, 0, 'a', 'b', 'c', 0, 0, 0, 0}));

    CMessage empty;
    EXPECT_FALSE(empty.Serialize(roomy.data(), roomy.size()));
}

TEST(Message, LengthsAndCountsAreCheckedBeforeUse)
{
    CMessage message;
    Bytes text{MSG_TEXT, 0xFF, 0xFF, 0xFF, 0x7F, 'a'};
    EXPECT_FALSE(message.Deserialize(text.data(), text.size()));

    Bytes keys{MSG_KEYS, 1, 0, 0, 0};
    PutU32(keys, 0x40000001); // would wrap a 32-bit byte count
    PutU32(keys, 7);
    EXPECT_FALSE(message.Deserialize(keys.data(), keys.size()));

    Bytes join{MSG_JOIN, 1, 0, 0, 0, 2, 0, 0, 0};
    PutU32(join, 4);
    join.insert(join.end(), {'A', 'c', 'e'});
    EXPECT_FALSE(message.Deserialize(join.data(), join.size())) << "name one byte short";
    EXPECT_FALSE(message.Deserialize(nullptr, 10));
}

TEST(Message, LenientWhereNothingIsAtRisk)
{
    CMessage message;
    Bytes trailing{MSG_PING, 1, 0, 0, 0, 0xAA, 0xBB};
    ASSERT_TRUE(message.Deserialize(trailing.data(), trailing.size()));
    EXPECT_EQ(message.GetSize(), 5u) << "bytes after the last field are ignored";

    Bytes zeroKeys{MSG_KEYS, 1, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(message.Deserialize(zeroKeys.data(), zeroKeys.size()));
    uint32_t id = 0, count = 5;
    message.GetKeys(id, nullptr, count);
    EXPECT_EQ(count, 0u);

    Bytes embeddedZero{MSG_TEXT, 4, 0, 0, 0, 'a', 'b', 0, 'c'};
    ASSERT_TRUE(message.Deserialize(embeddedZero.data(), embeddedZero.size()));
    EXPECT_EQ(message.GetSize(), 7u) << "text ends at the zero byte";
}

TEST(Message, UnknownTypesDecodeBare)
{
    CMessage message;
    for (uint8_t type : {0x00, 0x12, 0x80, 0xFF})
    {
        Bytes bytes{type, 1, 2, 3};
        ASSERT_TRUE(message.Deserialize(bytes.data(), bytes.size()));
        EXPECT_EQ(message.GetType(), static_cast<int8_t>(type)) << "the type byte is signed";
        EXPECT_EQ(message.GetSize(), 0u);
    }
}

TEST(Message, ReservedTypeUsesObjectStateLayout)
{
    Bytes bytes = FromHex(OneOfEachType()[9].hex);
    bytes[0] = MSG_RESERVED;
    CMessage message;
    ASSERT_TRUE(message.Deserialize(bytes.data(), bytes.size()));
    EXPECT_EQ(message.GetType(), MSG_RESERVED);
    EXPECT_EQ(message.GetSize(), 41u);
    EXPECT_EQ(Serialized(message), bytes);
    EXPECT_FALSE(message.Deserialize(bytes.data(), 40));
}
