#include "tools/soundgen/Synth.h"

#include <algorithm>
#include <cmath>

namespace synth
{
namespace
{
constexpr double kTwoPi = 6.283185307179586;

float WaveAt(Wave wave, double phase)
{
    double cycle = phase - std::floor(phase);
    switch (wave)
    {
    case Wave::Sine:
        return static_cast<float>(std::sin(kTwoPi * cycle));
    case Wave::Square:
        return cycle < 0.5 ? 0.7f : -0.7f;
    case Wave::Saw:
        return static_cast<float>(2 * cycle - 1) * 0.8f;
    case Wave::Triangle:
        return static_cast<float>(cycle < 0.5 ? 4 * cycle - 1 : 3 - 4 * cycle);
    }
    return 0;
}

double Coefficient(double hz)
{
    return 1 - std::exp(-kTwoPi * hz / kSampleRate);
}
} // namespace

float CNoise::Next()
{
    m_state ^= m_state << 13;
    m_state ^= m_state >> 17;
    m_state ^= m_state << 5;
    return static_cast<float>(m_state / 2147483647.5 - 1.0);
}

size_t SamplesIn(double seconds)
{
    return static_cast<size_t>(std::lround(seconds * kSampleRate));
}

Signal Tone(Wave wave, double startHz, double endHz, double seconds)
{
    Signal out(SamplesIn(seconds));
    double phase = 0;
    double ratio = std::log(endHz / startHz);
    for (size_t i = 0; i < out.size(); ++i)
    {
        out[i] = WaveAt(wave, phase);
        double progress = static_cast<double>(i) / static_cast<double>(out.size());
        phase += startHz * std::exp(ratio * progress) / kSampleRate;
    }
    return out;
}

Signal Vibrato(Wave wave, double hz, double depth, double rateHz, double seconds)
{
    Signal out(SamplesIn(seconds));
    double phase = 0;
    for (size_t i = 0; i < out.size(); ++i)
    {
        out[i] = WaveAt(wave, phase);
        double t = static_cast<double>(i) / kSampleRate;
        phase += hz * (1 + depth * std::sin(kTwoPi * rateHz * t)) / kSampleRate;
    }
    return out;
}

Signal Noise(uint32_t seed, double seconds)
{
    CNoise noise(seed);
    Signal out(SamplesIn(seconds));
    for (float& sample : out)
        sample = noise.Next();
    return out;
}

Signal Crackle(uint32_t seed, double perSecond, double seconds)
{
    CNoise noise(seed);
    Signal out(SamplesIn(seconds));
    double chance = perSecond / kSampleRate;
    for (float& sample : out)
        if ((noise.Next() + 1) / 2 < chance)
            sample = noise.Next() < 0 ? -1.0f : 1.0f;
    return out;
}

Signal LowPass(const Signal& in, double startHz, double endHz)
{
    Signal out(in.size());
    double state = 0;
    double ratio = std::log(endHz / startHz);
    for (size_t i = 0; i < in.size(); ++i)
    {
        double progress = static_cast<double>(i) / static_cast<double>(in.size());
        state += Coefficient(startHz * std::exp(ratio * progress)) * (in[i] - state);
        out[i] = static_cast<float>(state);
    }
    return out;
}

Signal HighPass(const Signal& in, double hz)
{
    Signal low = LowPass(in, hz, hz);
    Signal out(in.size());
    for (size_t i = 0; i < in.size(); ++i)
        out[i] = in[i] - low[i];
    return out;
}

void Envelope(Signal& signal, double attack)
{
    size_t rise = std::max<size_t>(1, SamplesIn(attack));
    double fallLength =
        static_cast<double>(std::max<size_t>(1, signal.size() - std::min(rise, signal.size())));
    for (size_t i = 0; i < signal.size(); ++i)
    {
        double gain = i < rise ? static_cast<double>(i) / static_cast<double>(rise)
                               : std::exp(-6.9 * static_cast<double>(i - rise) / fallLength);
        signal[i] = static_cast<float>(signal[i] * gain);
    }
    FadeEnds(signal, 0.004);
}

void Tremolo(Signal& signal, double rateHz, double depth)
{
    for (size_t i = 0; i < signal.size(); ++i)
    {
        double t = static_cast<double>(i) / kSampleRate;
        signal[i] = static_cast<float>(signal[i] * (1 - depth * (1 - std::sin(kTwoPi * rateHz * t)) / 2));
    }
}

void FadeEnds(Signal& signal, double seconds)
{
    size_t fade = std::min(SamplesIn(seconds), signal.size() / 2);
    for (size_t i = 0; i < fade; ++i)
    {
        float gain = static_cast<float>(i) / static_cast<float>(fade);
        signal[i] *= gain;
        signal[signal.size() - 1 - i] *= gain;
    }
}

void MixInto(Signal& signal, const Signal& other, double gain, double atSeconds)
{
    size_t start = SamplesIn(atSeconds);
    signal.resize(std::max(signal.size(), start + other.size()), 0.0f);
    for (size_t i = 0; i < other.size(); ++i)
        signal[start + i] += static_cast<float>(other[i] * gain);
}

void Normalise(Signal& signal, float peak)
{
    float loudest = 0;
    for (float sample : signal)
        loudest = std::max(loudest, std::fabs(sample));
    if (loudest > 0)
        for (float& sample : signal)
            sample *= peak / loudest;
}

// Sample i of the loop is the signal's sample i, except near the start,
// where it is blended with the sample one loop-length later: the loop's
// first sample then continues its last one as the long signal would.
Signal MakeLoop(const Signal& signal, double overlapSeconds)
{
    size_t overlap = std::min(SamplesIn(overlapSeconds), signal.size() / 2);
    size_t length = signal.size() - overlap;
    Signal out(signal.begin(), signal.begin() + static_cast<std::ptrdiff_t>(length));
    for (size_t i = 0; i < overlap; ++i)
    {
        float in = static_cast<float>(i) / static_cast<float>(overlap);
        out[i] = signal[i] * in + signal[length + i] * (1 - in);
    }
    return out;
}

} // namespace synth
