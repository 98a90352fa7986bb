// What guards a join before ENet sees it: the inspection that lets only a lone
// connect from a new peer through, and the join cookies themselves.
#include "session/EnetDatagram.h"
#include "session/JoinCookie.h"

#include "tests/support/RawDatagrams.h"

#include <gtest/gtest.h>

using session::CJoinCookies;
using session::HostAddress;
using session::kCookieWindowMs;
using session::enet::DatagramKind;
using session::enet::InspectDatagram;

namespace
{
DatagramKind KindOf(const std::vector<uint8_t>& bytes)
{
    return InspectDatagram(bytes.data(), bytes.size()).kind;
}

// `bytes` with the byte at `at` set to `value`.
std::vector<uint8_t> With(std::vector<uint8_t> bytes, size_t at, uint8_t value)
{
    bytes[at] = value;
    return bytes;
}

const HostAddress kClient{0x7F000001, 40000};
// Somewhere inside a window, as a steady clock would read after a while up.
constexpr uint64_t kIssuedAt = 1000 * kCookieWindowMs + kCookieWindowMs / 2;
} // namespace

TEST(EnetDatagram, ALoneConnectFromANewPeerYieldsItsDataWord)
{
    std::vector<uint8_t> connect = testing_support::EnetConnect(0xA1B2C3D4, 7);
    ASSERT_EQ(connect.size(), 52u);
    session::enet::DatagramInspection seen = InspectDatagram(connect.data(), connect.size());
    EXPECT_EQ(seen.kind, DatagramKind::Connect);
    EXPECT_EQ(seen.connectData, 0xA1B2C3D4u);
    EXPECT_EQ(KindOf(With(connect, 0, connect[0] | 0x30)), DatagramKind::Connect)
        << "session bits beside peer 0xFFF";
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
    EXPECT_EQ(KindOf(With(connect, 0, connect[0] | 0x40)), DatagramKind::Drop) << "compressed";
    EXPECT_EQ(KindOf(With(connect, 4, 0x85)), DatagramKind::Drop) << "a ping, 48 bytes long";
    EXPECT_EQ(KindOf(With(With(connect, 0, 0x80), 1, 0x03)), DatagramKind::ForPeer)
        << "peer 3: even a connect is ENet's to refuse";
    EXPECT_EQ(KindOf({0x00, 0x00}), DatagramKind::ForPeer);
    EXPECT_EQ(KindOf({'Q', 'V', 'X', 'Q'}), DatagramKind::ForPeer) << "ours, not ENet's";
}

TEST(JoinCookie, ValidOnlyForItsAddressInItsWindowAndTheNext)
{
    CJoinCookies cookies;
    uint32_t cookie = cookies.Issue(kClient, kIssuedAt);
    EXPECT_TRUE(cookies.IsValid(cookie, kClient, kIssuedAt));
    EXPECT_TRUE(cookies.IsValid(cookie, kClient, kIssuedAt + kCookieWindowMs)) << "the next window";
    EXPECT_FALSE(cookies.IsValid(cookie, kClient, kIssuedAt + 2 * kCookieWindowMs)) << "stale";
    EXPECT_FALSE(cookies.IsValid(cookie, kClient, kIssuedAt - kCookieWindowMs)) << "not before it was issued";
    EXPECT_EQ(cookies.Issue(kClient, kIssuedAt + 1), cookie) << "the same all through the window";
    EXPECT_TRUE(cookies.IsValid(cookies.Issue(kClient, 0), kClient, 0)) << "the clock's first window";
    EXPECT_FALSE(cookies.IsValid(cookie, HostAddress{0x7F000002, kClient.port}, kIssuedAt))
        << "replayed from another IP";
    EXPECT_FALSE(cookies.IsValid(cookie, HostAddress{kClient.ipv4, 40001}, kIssuedAt)) << "from another port";
}

TEST(JoinCookie, ForgedCookiesAreRefused)
{
    CJoinCookies cookies, otherRun;
    EXPECT_FALSE(cookies.IsValid(otherRun.Issue(kClient, kIssuedAt), kClient, kIssuedAt))
        << "another run's secret";
    int accepted = 0;
    for (uint32_t guess = 0; guess < 100000; ++guess)
        accepted += cookies.IsValid(guess * 2654435761u, kClient, kIssuedAt) ? 1 : 0;
    EXPECT_LE(accepted, 1) << "guessing finds one of 2^32 (two windows) by luck only";
}
