#include "server/ServerStats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

void CServerStats::AddPass(uint32_t micros)
{
    ++m_passes;
    m_longest = std::max(m_longest, micros);
    size_t bin = micros / kBinMicros;
    if (bin < kBins)
        ++m_bins[bin];
}

double CServerStats::PercentileMs(double fraction) const
{
    if (m_passes == 0)
        return 0;
    // Nearest rank: the smallest pass with at least `fraction` of them at or
    // below it.
    auto rank =
        static_cast<uint64_t>(std::ceil(std::clamp(fraction, 0.0, 1.0) * static_cast<double>(m_passes)));
    rank = std::max<uint64_t>(rank, 1);
    uint64_t seen = 0;
    for (size_t bin = 0; bin < kBins; ++bin)
    {
        seen += m_bins[bin];
        if (seen >= rank)
            return static_cast<double>(bin * kBinMicros) / 1000.0;
    }
    return m_longest / 1000.0;
}

std::string CServerStats::TakeLine(uint32_t periodMs, const Sends& sends)
{
    double seconds = std::max<uint32_t>(periodMs, 1) / 1000.0;
    double perClient = sends.clients > 0 ? seconds * static_cast<double>(sends.clients) : 0;
    auto rate = [perClient](uint64_t count)
    { return perClient > 0 ? static_cast<double>(count) / perClient : 0; };
    char line[256];
    std::snprintf(line, sizeof line,
                  "Stats: %.0f passes/s, tick p50 %.2f ms p99 %.2f ms, %zu players, per client %.0f "
                  "datagrams/s %.1f kB/s, largest batch %zu B",
                  static_cast<double>(m_passes) / seconds, PercentileMs(0.5), PercentileMs(0.99),
                  sends.clients, rate(sends.datagrams), rate(sends.bytes) / 1000.0, sends.largestBatch);
    m_bins.fill(0);
    m_passes = 0;
    m_longest = 0;
    return line;
}
