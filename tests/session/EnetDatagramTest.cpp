#include "session/EnetDatagram.h"

#include "tests/support/RawDatagrams.h"

#include <gtest/gtest.h>

using session::enet::DatagramKind;
using session::enet::InspectDatagram;

namespace
{
DatagramKind KindOf(const std::vector<uint8_t>& bytes)
{
    return InspectDatagram(bytes.data(), bytes.size()).kind;
}
} // namespace

TEST(EnetDatagram, ALoneConnectFromANewPeerYieldsItsDataWord)
{
    std::vector<uint8_t> connect = testing_support::EnetConnect(0xA1B2C3D4, 7);
    ASSERT_EQ(connect.size(), 52u);
    session::enet::DatagramInspection seen = InspectDatagram(connect.data(), connect.size());
    EXPECT_EQ(seen.kind, DatagramKind::Connect);
    EXPECT_EQ(seen.connectData, 0xA1B2C3D4u);

    std::vector<uint8_t> withSession = connect;
    withSession[0] |= 0x30; // session bits beside peer id 0xFFF
    EXPECT_EQ(KindOf(withSession), DatagramKind::Connect);

    std::vector<uint8_t> withoutSentTime = connect;
    withoutSentTime.erase(withoutSentTime.begin() + 2, withoutSentTime.begin() + 4);
    withoutSentTime[0] &= 0x7F;
    EXPECT_EQ(InspectDatagram(withoutSentTime.data(), withoutSentTime.size()).connectData, 0xA1B2C3D4u);
}

TEST(EnetDatagram, AnythingElsePeerlessIsDroppedAndPeersTrafficPasses)
{
    std::vector<uint8_t> connect = testing_support::EnetConnect(1, 2);
    for (size_t size = 0; size < connect.size(); ++size)
        EXPECT_EQ(InspectDatagram(connect.data(), size).kind, DatagramKind::Drop) << "cut to " << size;

    std::vector<uint8_t> trailing = connect;
    trailing.insert(trailing.end(), {0x05, 0xFF, 0x00, 0x02}); // a ping after the connect
    EXPECT_EQ(KindOf(trailing), DatagramKind::Drop);

    std::vector<uint8_t> compressed = connect;
    compressed[0] |= 0x40;
    EXPECT_EQ(KindOf(compressed), DatagramKind::Drop);

    std::vector<uint8_t> notConnect = connect;
    notConnect[4] = 0x85; // a ping, 48 bytes long
    EXPECT_EQ(KindOf(notConnect), DatagramKind::Drop);

    std::vector<uint8_t> forPeer = connect;
    forPeer[0] = 0x80;
    forPeer[1] = 0x03; // peer 3: even a connect is ENet's to refuse
    EXPECT_EQ(KindOf(forPeer), DatagramKind::ForPeer);
    EXPECT_EQ(KindOf({0x00, 0x00}), DatagramKind::ForPeer);
    EXPECT_EQ(KindOf({'Q', 'V', 'X', 'Q'}), DatagramKind::ForPeer) << "ours, not ENet's";
}
