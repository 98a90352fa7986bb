#include "net/Message.h"
#include "WireTestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
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

// One message of every type the game sends, for the tests that cover them all.
std::vector<CMessage> OneOfEachType()
{
    std::vector<CMessage> all(16);
    const uint32_t codes[] = {7, 9, 17};
    all[0].SetText("hello");
    all[1].SetJoin(3, 2, "Ace");
    all[2].SetMap("Arena");
    all[3].SetRoundOver();
    all[4].SetShipInfo(3, -40, 96, 5, "Ace");
    all[5].SetPlayerLeft(3);
    all[6].SetShipDied(4);
    all[7].SetObjectGone(5);
    all[8] = ShipStateMessage();
    all[9].SetObjectState(12, 6, CVector(1, 2, 1), CVector(3, 4, 0), 90, 2);
    all[10].SetTurretState(2, 3, 1, CVector(48, 80, 1));
    all[11].SetTile(-1, 64, 0xAB);
    all[12].SetKeys(3, codes, 3);
    all[13].SetShutdown(0);
    all[14].SetPing(123456);
    all[15].SetPong(654321);
    return all;
}
} // namespace

TEST(Message, TextAndRoundOverBytes)
{
    CMessage text;
    text.SetText("abc");
    EXPECT_EQ(Serialized(text), (Bytes{0x01, 0x03, 0x00, 0x00, 0x00, 0x61, 0x62, 0x63}));

    CMessage roundOver;
    roundOver.SetRoundOver();
    EXPECT_EQ(Serialized(roundOver), Bytes{0x04});
}

TEST(Message, SizesFollowTheTable)
{
    const size_t expected[] = {5 + 5, 13 + 3, 5 + 5, 1, 21 + 3, 5, 5, 5, 47, 41, 22, 10, 9 + 4 * 3, 5, 5, 5};
    std::vector<CMessage> all = OneOfEachType();
    for (size_t i = 0; i < all.size(); ++i)
    {
        EXPECT_EQ(all[i].GetSize(), expected[i]) << "type " << all[i].GetType();
        EXPECT_EQ(Serialized(all[i]).size(), expected[i]);
        EXPECT_EQ(Serialized(all[i])[0], all[i].GetType());
    }
    EXPECT_EQ(CMessage().GetSize(), 0u);

    CMessage object; // state sizes do not depend on the values
    object.SetObjectState(0xFFFFFFFF, 8, CVector(1e30, -1e30, 1), CVector(), -1, 77);
    EXPECT_EQ(object.GetSize(), 41u);
}

TEST(Message, ShipStateFieldsSitAtTheirOffsets)
{
    Bytes bytes = Serialized(ShipStateMessage());
    EXPECT_EQ(bytes[0], MSG_SHIP_STATE);
    EXPECT_EQ(U32At(bytes, 1), 7u);
    EXPECT_EQ(bytes[5], 0x31);
    EXPECT_EQ(F32At(bytes, 6), 55.5f);
    EXPECT_EQ(F32At(bytes, 10), 300.0f);
    EXPECT_EQ(bytes[14], 0xFD) << "frags -3 as a signed byte";
    EXPECT_EQ((Bytes{bytes[15], bytes[16], bytes[17], bytes[18]}), (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(F32At(bytes, 19), 100.1f);
    EXPECT_EQ(F32At(bytes, 23), 200.25f);
    EXPECT_EQ(F32At(bytes, 27), 1.0f);
    EXPECT_EQ(F32At(bytes, 31), -8.0f);
    EXPECT_EQ(F32At(bytes, 35), 16.0f);
    EXPECT_EQ(F32At(bytes, 39), 0.0f);
    EXPECT_EQ(F32At(bytes, 43), 270.0f);
}

TEST(Message, OtherFixedLayoutsSitAtTheirOffsets)
{
    std::vector<CMessage> all = OneOfEachType();
    Bytes join = Serialized(all[1]);
    EXPECT_EQ(U32At(join, 1), 3u);
    EXPECT_EQ(U32At(join, 5), 2u);
    EXPECT_EQ(U32At(join, 9), 3u);
    EXPECT_EQ(std::string(join.begin() + 13, join.end()), "Ace");

    Bytes info = Serialized(all[4]);
    EXPECT_EQ(static_cast<int32_t>(U32At(info, 5)), -40);
    EXPECT_EQ(U32At(info, 9), 96u);
    EXPECT_EQ(U32At(info, 13), 5u);
    EXPECT_EQ(U32At(info, 17), 3u);

    Bytes object = Serialized(all[9]);
    EXPECT_EQ(U32At(object, 5), 6u);
    EXPECT_EQ(U32At(object, 9), 2u);
    EXPECT_EQ(F32At(object, 13), 1.0f);
    EXPECT_EQ(F32At(object, 25), 3.0f);
    EXPECT_EQ(F32At(object, 37), 90.0f);

    Bytes turret = Serialized(all[10]);
    EXPECT_EQ(turret[5], 1);
    EXPECT_EQ(U32At(turret, 6), 3u);
    EXPECT_EQ(F32At(turret, 10), 48.0f);
    EXPECT_EQ(F32At(turret, 18), 1.0f);

    EXPECT_EQ(Serialized(all[11]), (Bytes{13, 0xFF, 0xFF, 0xFF, 0xFF, 64, 0, 0, 0, 0xAB}));

    Bytes keys = Serialized(all[12]);
    EXPECT_EQ(U32At(keys, 5), 3u);
    EXPECT_EQ(U32At(keys, 9), 7u);
    EXPECT_EQ(U32At(keys, 17), 17u);

    EXPECT_EQ(Serialized(all[14]), (Bytes{16, 0x40, 0xE2, 0x01, 0x00}));
}

TEST(Message, EveryTypeSurvivesTheWire)
{
    for (const CMessage& original : OneOfEachType())
    {
        Bytes bytes = Serialized(original);
        CMessage copy = Decoded(bytes);
        EXPECT_EQ(copy.GetType(), original.GetType());
        EXPECT_EQ(Serialized(copy), bytes) << "type " << original.GetType();
    }
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

TEST(Message, EveryTruncationIsDropped)
{
    for (const CMessage& original : OneOfEachType())
    {
        Bytes bytes = Serialized(original);
        for (size_t size = 0; size < bytes.size(); ++size)
        {
            CMessage message;
            message.SetPing(1);
            EXPECT_FALSE(message.Deserialize(bytes.data(), size))
                << "type " << original.GetType() << " size " << size;
            EXPECT_EQ(message.GetType(), MSG_NONE);
        }
    }
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
    Bytes bytes = Serialized(OneOfEachType()[9]);
    bytes[0] = MSG_RESERVED;
    CMessage message;
    ASSERT_TRUE(message.Deserialize(bytes.data(), bytes.size()));
    EXPECT_EQ(message.GetType(), MSG_RESERVED);
    EXPECT_EQ(message.GetSize(), 41u);
    EXPECT_EQ(Serialized(message), bytes);
    EXPECT_FALSE(message.Deserialize(bytes.data(), 40));
}
