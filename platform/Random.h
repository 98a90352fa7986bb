// The game's random generator. Spawn delays and powerup types depend on the
// range being 0..32767, so the game never uses the C library's rand(), whose
// range and sequence differ between platforms. This is the classic linear
// congruential generator with one process-wide state: the same seed gives the
// same sequence everywhere.
#pragma once

#include <cstdint>

namespace platform
{

constexpr int kRandMax = 32767;

// Next value in 0..kRandMax.
int Rand();

void SeedRand(uint32_t seed);

// Seeds with the current calendar time in whole seconds, as the game does
// before drawing spawn delays and powerups.
void SeedRandFromTime();

// A generator of its own with the same sequence as Rand, for a user whose
// draws must not depend on how often others draw from the shared one (or
// reseed it): the same seed gives the same values, whatever the rest of the
// game does in between.
class RandomStream
{
public:
    explicit RandomStream(uint32_t seed = 1) : m_state(seed) {}
    // Next value in 0..kRandMax.
    int Next();
    // A value in [low, high], evenly spread as far as 15 bits allow.
    float Between(float low, float high);

private:
    uint32_t m_state;
};

} // namespace platform
