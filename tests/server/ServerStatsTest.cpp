// The server's "Stats:" figures: percentiles of the pass times and the
// per-second, per-client arithmetic of one period.
#include "server/ServerStats.h"

#include <gtest/gtest.h>

TEST(ServerStats, PercentilesAreNearestRankInTenMicrosecondSteps)
{
    CServerStats stats;
    EXPECT_EQ(stats.PercentileMs(0.5), 0) << "no passes yet";
    for (uint32_t micros = 100; micros >= 1; --micros)
        stats.AddPass(micros * 10); // 10 us to 1 ms, out of order
    EXPECT_DOUBLE_EQ(stats.PercentileMs(0.5), 0.50);
    EXPECT_DOUBLE_EQ(stats.PercentileMs(0.99), 0.99);
    EXPECT_DOUBLE_EQ(stats.PercentileMs(1.0), 1.00);
    EXPECT_DOUBLE_EQ(stats.PercentileMs(0.0), 0.01) << "the smallest pass";

    CServerStats fine;
    fine.AddPass(219);
    EXPECT_DOUBLE_EQ(fine.PercentileMs(0.5), 0.21) << "a pass counts in the step it falls in";
}

TEST(ServerStats, PassesBeyondTheBinsReportTheLongest)
{
    CServerStats stats;
    for (int i = 0; i < 98; ++i)
        stats.AddPass(200);
    stats.AddPass(250000);
    stats.AddPass(400000);
    EXPECT_DOUBLE_EQ(stats.PercentileMs(0.5), 0.2);
    EXPECT_DOUBLE_EQ(stats.PercentileMs(0.99), 400.0);
}

TEST(ServerStats, LineGivesRatesPerSecondAndPerClientThenStartsAgain)
{
    CServerStats stats;
    for (int i = 0; i < 1748; ++i)
        stats.AddPass(i % 100 == 0 ? 800 : 210);
    CServerStats::Sends sends;
    sends.datagrams = 4 * 2 * 874;     // four clients over two seconds
    sends.bytes = 4 * 2 * 712400 + 16; // the remainder is below a tenth of a kB
    sends.clients = 4;
    sends.largestBatch = 1268;
    EXPECT_EQ(stats.TakeLine(2000, sends),
              "Stats: 874 passes/s, tick p50 0.21 ms p99 0.80 ms, 4 players, per "
              "client 874 datagrams/s 712.4 kB/s, largest batch 1268 B");
    EXPECT_EQ(stats.GetPasses(), 0u);
    EXPECT_EQ(
        stats.TakeLine(0, CServerStats::Sends{}),
        "Stats: 0 passes/s, tick p50 0.00 ms p99 0.00 ms, 0 players, per client 0 datagrams/s 0.0 kB/s, "
        "largest batch 0 B")
        << "an empty period of no length and no clients divides by nothing";
}
