// The sound generator's building blocks: a signal is mono samples from -1 to
// 1 at one fixed rate, made from tones, noise and clicks and shaped by
// envelopes and filters. Noise comes from a seeded generator of our own, so
// the same recipe always gives the same samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace synth
{

constexpr int kSampleRate = 22050;

using Signal = std::vector<float>;

enum class Wave
{
    Sine,
    Square,
    Saw,
    Triangle,
};

// A deterministic generator of noise (xorshift32).
class CNoise
{
public:
    explicit CNoise(uint32_t seed) : m_state(seed ? seed : 1) {}
    // -1 to 1.
    float Next();

private:
    uint32_t m_state;
};

size_t SamplesIn(double seconds);

// A tone whose frequency glides exponentially from `startHz` to `endHz`.
Signal Tone(Wave wave, double startHz, double endHz, double seconds);
// A tone at `hz` whose pitch wobbles by `depth` (0.1 = +-10 %) `rateHz` times a second.
Signal Vibrato(Wave wave, double hz, double depth, double rateHz, double seconds);
Signal Noise(uint32_t seed, double seconds);
// Single-sample clicks at random moments, about `perSecond` of them.
Signal Crackle(uint32_t seed, double perSecond, double seconds);

// A one-pole low-pass filter whose cutoff glides from `startHz` to `endHz`.
Signal LowPass(const Signal& in, double startHz, double endHz);
// What LowPass takes away.
Signal HighPass(const Signal& in, double hz);

// A linear rise over `attack` seconds and an exponential fall that reaches
// about -60 dB at the end, ending in a short fade to zero (no click).
void Envelope(Signal& signal, double attack);
// Multiplies by 1 - depth * (1 - sin) / 2 at `rateHz`.
void Tremolo(Signal& signal, double rateHz, double depth);
// Fades in and out over `seconds` at each end.
void FadeEnds(Signal& signal, double seconds);

// `other` scaled by `gain` added in, starting `atSeconds` in; the result is
// long enough for both.
void MixInto(Signal& signal, const Signal& other, double gain, double atSeconds = 0);
// Scales so the loudest sample is `peak`.
void Normalise(Signal& signal, float peak);
// The last `overlapSeconds` of a signal faded into its start, so that the
// result, that much shorter, loops without a step at the seam.
Signal MakeLoop(const Signal& signal, double overlapSeconds);

} // namespace synth
