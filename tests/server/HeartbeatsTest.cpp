// Heartbeats to master servers: when they leave, to whom, and what happens
// to names that resolve late or never.
#include "server/Heartbeats.h"

#include "session/MasterWire.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

using server::CHeartbeats;
using server::MasterServer;

namespace
{
constexpr uint32_t kLiteral = 0x0A000009;
constexpr uint32_t kResolved = 0x0A000007;

struct Recorder
{
    std::vector<session::HostAddress> sent;
    std::vector<std::string> logged;
    std::atomic<int> badLookups{0};
    size_t SentTo(uint32_t ipv4) const { return std::ranges::count(sent, ipv4, &session::HostAddress::ipv4); }
};

// Ticks at `nowMs` until `done` holds (the helper threads' lookups arrive).
void TickUntil(CHeartbeats& beats, uint64_t nowMs, const std::function<bool()>& done)
{
    for (int i = 0; i < 5000 && !done(); ++i)
    {
        beats.Tick(nowMs, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(done());
}
} // namespace

// A good list is read in the command-line table.
TEST(Heartbeats, MasterListsWithoutAHostOrWithABadPortAreRefused)
{
    for (const char* bad : {"", "a,,b", ":27950", "a:0", "a:65536", "a:x", "a,"})
        EXPECT_FALSE(server::ParseMasterList(bad)) << bad;
}

TEST(Heartbeats, SentAtStartEveryFiveMinutesAndSoonAfterThePeopleChange)
{
    Recorder record;
    CHeartbeats beats(
        {{"10.0.0.9", 27950}, {"good.example", 27951}, {"bad.example", 1}},
        [&](const session::HostAddress& to, const std::vector<uint8_t>& bytes)
        {
            EXPECT_EQ(bytes, session::master::MakeHeartbeat());
            record.sent.push_back(to);
        },
        [&](const std::string& line) { record.logged.push_back(line); },
        [&](const std::string& host) -> std::optional<uint32_t>
        {
            if (host == "good.example")
                return kResolved;
            ++record.badLookups;
            return std::nullopt;
        });
    beats.Tick(0, 0);
    EXPECT_EQ(record.SentTo(kLiteral), 1u) << "an address needs no lookup";
    TickUntil(beats, 0, [&] { return record.SentTo(kResolved) == 1 && record.logged.size() == 1; });
    EXPECT_EQ(record.sent.back(), (session::HostAddress{kResolved, 27951}));

    const struct
    {
        uint64_t nowMs;
        size_t people;
        size_t sentBefore; // to the address given as such, in all
    } steps[] = {{30'000, 0, 1},  {30'000, 1, 1},  {60'000, 1, 2}, {100'000, 2, 2},
                 {160'000, 2, 3}, {459'000, 2, 3}, {460'000, 2, 4}};
    for (const auto& step : steps)
    {
        beats.Tick(step.nowMs, step.people);
        EXPECT_EQ(record.SentTo(kLiteral), step.sentBefore) << step.nowMs;
    }
    TickUntil(beats, 460'000, [&] { return record.badLookups >= 2; });
    EXPECT_EQ(record.logged.size(), 1u) << "a name that does not resolve is logged once";
    EXPECT_EQ(record.SentTo(0), 0u);
}
