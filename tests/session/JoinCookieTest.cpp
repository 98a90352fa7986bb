#include "session/JoinCookie.h"

#include <gtest/gtest.h>

using session::CJoinCookies;
using session::HostAddress;
using session::kCookieWindowMs;

namespace
{
const HostAddress kClient{0x7F000001, 40000};
// Somewhere inside a window, as a steady clock would read after a while up.
constexpr uint64_t kIssuedAt = 1000 * kCookieWindowMs + kCookieWindowMs / 2;
} // namespace

TEST(JoinCookie, ValidForItsAddressInItsWindowAndTheNext)
{
    CJoinCookies cookies;
    uint32_t cookie = cookies.Issue(kClient, kIssuedAt);
    EXPECT_TRUE(cookies.IsValid(cookie, kClient, kIssuedAt));
    EXPECT_TRUE(cookies.IsValid(cookie, kClient, kIssuedAt + kCookieWindowMs)) << "the next window";
    EXPECT_FALSE(cookies.IsValid(cookie, kClient, kIssuedAt + 2 * kCookieWindowMs)) << "stale";
    EXPECT_FALSE(cookies.IsValid(cookie, kClient, kIssuedAt - kCookieWindowMs)) << "not before it was issued";
    EXPECT_EQ(cookies.Issue(kClient, kIssuedAt + 1), cookie) << "the same all through the window";
    EXPECT_TRUE(cookies.IsValid(cookies.Issue(kClient, 0), kClient, 0)) << "the clock's first window";
}

TEST(JoinCookie, ReplayedFromAnotherAddressIsRefused)
{
    CJoinCookies cookies;
    uint32_t cookie = cookies.Issue(kClient, kIssuedAt);
    EXPECT_FALSE(cookies.IsValid(cookie, HostAddress{0x7F000002, kClient.port}, kIssuedAt)) << "other IP";
    EXPECT_FALSE(cookies.IsValid(cookie, HostAddress{kClient.ipv4, static_cast<uint16_t>(kClient.port + 1)},
                                 kIssuedAt))
        << "other port";
}

TEST(JoinCookie, ForgedCookiesAreRefused)
{
    CJoinCookies cookies;
    CJoinCookies otherRun;
    EXPECT_FALSE(cookies.IsValid(otherRun.Issue(kClient, kIssuedAt), kClient, kIssuedAt))
        << "another run's secret";
    int accepted = 0;
    for (uint32_t guess = 0; guess < 100000; ++guess)
        accepted += cookies.IsValid(guess * 2654435761u, kClient, kIssuedAt) ? 1 : 0;
    EXPECT_LE(accepted, 1) << "guessing finds one of 2^32 (two windows) by luck only";
}
