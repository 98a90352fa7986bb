// The impairment relay's decisions: rates, seeds, delays and order.
#include "tools/impair/ImpairSchedule.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
constexpr int kDatagrams = 20000;

// The fates of a stream of datagrams arriving one every `gapMs`.
std::vector<DatagramFate> Fates(const Impairment& impairment, uint64_t seed, uint64_t gapMs = 5)
{
    CImpairSchedule schedule(impairment, seed);
    std::vector<DatagramFate> fates;
    for (int i = 0; i < kDatagrams; ++i)
        fates.push_back(schedule.Decide(1000 + uint64_t(i) * gapMs));
    return fates;
}

double PercentWith(const std::vector<DatagramFate>& fates, int copies)
{
    int count = 0;
    for (const DatagramFate& fate : fates)
        count += fate.copies == copies;
    return 100.0 * count / double(fates.size());
}

bool InArrivalOrder(const std::vector<DatagramFate>& fates)
{
    uint64_t last = 0;
    for (const DatagramFate& fate : fates)
        for (int copy = 0; copy < fate.copies; ++copy)
        {
            if (fate.due[copy] < last)
                return false;
            last = fate.due[copy];
        }
    return true;
}
} // namespace

TEST(ImpairSchedule, LossAndDuplicatesComeAtAboutTheirRates)
{
    Impairment impairment;
    impairment.lossPercent = 5;
    impairment.duplicatePercent = 10;
    std::vector<DatagramFate> fates = Fates(impairment, 7);
    EXPECT_NEAR(PercentWith(fates, 0), 5, 1);
    // Duplicates are drawn for lost datagrams too, then lost with them.
    EXPECT_NEAR(PercentWith(fates, 2), 10 * 0.95, 1.5);

    EXPECT_EQ(PercentWith(Fates(Impairment{}, 7), 1), 100) << "no impairment: every datagram once";
    impairment.lossPercent = 100;
    EXPECT_EQ(PercentWith(Fates(impairment, 7), 0), 100);
}

TEST(ImpairSchedule, OneSeedGivesTheSameDecisions)
{
    Impairment impairment{250, 250, 5, 10, 3};
    std::vector<DatagramFate> first = Fates(impairment, 42), again = Fates(impairment, 42),
                              other = Fates(impairment, 43);
    auto same = [](const std::vector<DatagramFate>& a, const std::vector<DatagramFate>& b)
    {
        for (size_t i = 0; i < a.size(); ++i)
            if (a[i].copies != b[i].copies || a[i].due != b[i].due || a[i].reordered != b[i].reordered)
                return false;
        return true;
    };
    EXPECT_TRUE(same(first, again));
    EXPECT_FALSE(same(first, other));
}

TEST(ImpairSchedule, DelaysStayWithinTheJitterAndNeverGoNegative)
{
    for (const Impairment& impairment : {Impairment{250, 250}, Impairment{100, 30}, Impairment{20, 50}})
    {
        uint64_t low =
            impairment.delayMs > impairment.jitterMs ? impairment.delayMs - impairment.jitterMs : 0;
        uint64_t high = impairment.delayMs + impairment.jitterMs;
        // Spaced wider than the jitter, so keeping the order never lifts a delay.
        CImpairSchedule schedule(impairment, 3);
        uint64_t lowest = UINT64_MAX, highest = 0;
        for (int i = 0; i < kDatagrams; ++i)
        {
            uint64_t now = 1000 + uint64_t(i) * 1000;
            DatagramFate fate = schedule.Decide(now);
            ASSERT_EQ(fate.copies, 1);
            lowest = std::min(lowest, fate.due[0] - now);
            highest = std::max(highest, fate.due[0] - now);
        }
        EXPECT_EQ(lowest, low) << impairment.delayMs << " +/- " << impairment.jitterMs;
        EXPECT_EQ(highest, high) << impairment.delayMs << " +/- " << impairment.jitterMs;
    }
}

TEST(ImpairSchedule, DatagramsKeepTheirOrderUnlessReorderingIsAsked)
{
    Impairment impairment{250, 250, 5, 10};
    std::vector<DatagramFate> fates = Fates(impairment, 9, 1);
    EXPECT_TRUE(InArrivalOrder(fates)) << "jitter and duplicates alone do not reorder";
    for (size_t i = 0; i < fates.size(); ++i)
        for (int copy = 0; copy < fates[i].copies; ++copy)
            ASSERT_LE(fates[i].due[copy] - (1000 + i), 500u) << "keeping the order stays within the delay";

    impairment.reorderPercent = 10;
    fates = Fates(impairment, 9, 1);
    EXPECT_FALSE(InArrivalOrder(fates));
    int reordered = 0;
    for (size_t i = 0; i < fates.size(); ++i)
        if (fates[i].reordered && fates[i].copies > 0)
        {
            ++reordered;
            EXPECT_EQ(fates[i].due[0], 1000 + i) << "sent at once, ahead of the held";
        }
    EXPECT_NEAR(100.0 * reordered / kDatagrams, 10 * 0.95, 1.5);
}
