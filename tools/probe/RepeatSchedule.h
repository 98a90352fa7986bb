// When something sent again and again (the --send packets of a flood) is due.
// A probe's loop wakes every few milliseconds, so a short period is caught up
// with several repeats at once; after a longer stall the missed ones are
// dropped rather than sent in one burst.
#pragma once

#include <cstdint>

namespace probe
{

class RepeatSchedule
{
public:
    // `everyMs` 0 never repeats.
    explicit RepeatSchedule(uint32_t everyMs) : m_everyMs(everyMs) {}

    // The first repeat is due one period after `nowMs`.
    void Start(uint64_t nowMs) { m_next = nowMs + m_everyMs; }

    // How many repeats are due at `nowMs`; counts them as done.
    uint32_t TakeDue(uint64_t nowMs)
    {
        if (m_everyMs == 0 || nowMs < m_next)
            return 0;
        uint64_t due = (nowMs - m_next) / m_everyMs + 1;
        if (due > kMostAtOnce)
        {
            m_next = nowMs + m_everyMs;
            return kMostAtOnce;
        }
        m_next += due * m_everyMs;
        return static_cast<uint32_t>(due);
    }

private:
    static constexpr uint64_t kMostAtOnce = 50;

    uint32_t m_everyMs;
    uint64_t m_next = 0;
};

} // namespace probe
