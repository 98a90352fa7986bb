// CServerStats gathers the server's figures over one period and writes them as
// one "Stats:" line: passes a second, the p50 and p99 of the time a pass
// works (its sleep left out), the clients connected, and what each of them
// was sent a second on average, with the largest batch of the period.
//
// Pass times go into 10-microsecond bins up to 100 ms, so a period of any
// length takes the same memory; a percentile is the lower edge of the bin
// holding that rank (nearest rank), or the longest pass when it lies beyond.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class CServerStats
{
public:
    // What was sent over the period.
    struct Sends
    {
        uint64_t datagrams = 0; // to all clients together
        uint64_t bytes = 0;
        size_t clients = 0; // connected at the end of the period
        size_t largestBatch = 0;
    };

    // One pass whose work took `micros` microseconds.
    void AddPass(uint32_t micros);
    uint64_t GetPasses() const { return m_passes; }
    // The pass time at `fraction` (0.5 for the median) of this period's
    // passes, in milliseconds; 0 when there were none.
    double PercentileMs(double fraction) const;

    // The line for a period of `periodMs` milliseconds that ends now; the
    // next period starts empty.
    std::string TakeLine(uint32_t periodMs, const Sends& sends);

private:
    static constexpr uint32_t kBinMicros = 10;
    static constexpr size_t kBins = 10000;

    std::array<uint32_t, kBins> m_bins{};
    uint64_t m_passes = 0;
    uint32_t m_longest = 0;
};
