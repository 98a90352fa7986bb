#include "tools/impair/ImpairSchedule.h"

#include <algorithm>

CImpairSchedule::CImpairSchedule(const Impairment& impairment, uint64_t seed)
    : m_impairment(impairment), m_random(seed)
{
}

DatagramFate CImpairSchedule::Decide(uint64_t nowMs)
{
    DatagramFate fate;
    // Every chance is drawn for every datagram, so that one datagram's fate
    // does not shift the draws of the ones after it.
    bool lost = Chance(m_impairment.lossPercent);
    bool duplicated = Chance(m_impairment.duplicatePercent);
    fate.reordered = Chance(m_impairment.reorderPercent);
    if (lost)
        return DatagramFate{};
    fate.copies = duplicated ? 2 : 1;
    for (int copy = 0; copy < fate.copies; ++copy)
        fate.due[copy] = fate.reordered ? nowMs : DelayedTime(nowMs);
    return fate;
}

bool CImpairSchedule::Chance(double percent)
{
    constexpr uint64_t kScale = 1000000; // chances resolve to one in a million
    uint64_t threshold = static_cast<uint64_t>(std::clamp(percent, 0.0, 100.0) / 100.0 * kScale);
    return m_random() % kScale < threshold;
}

uint64_t CImpairSchedule::DelayedTime(uint64_t nowMs)
{
    int64_t jitter = m_impairment.jitterMs;
    int64_t offset = static_cast<int64_t>(m_random() % static_cast<uint64_t>(2 * jitter + 1)) - jitter;
    int64_t delay = std::max<int64_t>(0, int64_t(m_impairment.delayMs) + offset);
    m_lastDue = std::max(m_lastDue, nowMs + static_cast<uint64_t>(delay));
    return m_lastDue;
}
