// CImpairSchedule decides what a bad network does to one stream of datagrams
// (one direction of one client's traffic): whether each datagram is lost,
// whether it arrives twice, and when each copy is due. The decisions come
// from a generator seeded once, so one seed gives the same decisions for the
// same stream, however fast the datagrams come.
//
// Each copy is due after the delay plus or minus the jitter (never before it
// arrived). Copies leave in the order they came: a copy is never due before
// the one scheduled ahead of it in the stream, so jitter alone does not
// reorder. A datagram picked for reordering goes at once instead, overtaking
// whatever is still held back (so reordering needs a delay to show).
#pragma once

#include <array>
#include <cstdint>
#include <random>

struct Impairment
{
    uint32_t delayMs = 0;
    uint32_t jitterMs = 0;
    // Chances in percent, 0 to 100.
    double lossPercent = 0;
    double duplicatePercent = 0;
    double reorderPercent = 0;
};

// What becomes of one datagram: `copies` (0 when lost, 2 when duplicated)
// leave at the times in `due`, in milliseconds of the caller's clock.
struct DatagramFate
{
    int copies = 0;
    std::array<uint64_t, 2> due{};
    bool reordered = false;
};

class CImpairSchedule
{
public:
    CImpairSchedule(const Impairment& impairment, uint64_t seed);

    // The fate of the next datagram of the stream, which arrived at `nowMs`.
    DatagramFate Decide(uint64_t nowMs);

private:
    bool Chance(double percent);
    uint64_t DelayedTime(uint64_t nowMs);

    Impairment m_impairment;
    // mt19937_64 gives the same numbers everywhere; the distributions of
    // <random> do not, so the numbers are mapped by hand.
    std::mt19937_64 m_random;
    uint64_t m_lastDue = 0; // of the last copy that kept its place
};
