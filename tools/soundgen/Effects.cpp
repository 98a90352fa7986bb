#include "tools/soundgen/Effects.h"

namespace
{
using namespace synth;

constexpr float kPeak = 0.85f;

Signal Shaped(Signal signal, double attack)
{
    Envelope(signal, attack);
    Normalise(signal, kPeak);
    return signal;
}

// A short laser-like shot: a square wave falling in pitch over a little noise.
Signal Shot(double fromHz, double toHz, double seconds, uint32_t seed)
{
    Signal signal = Tone(Wave::Square, fromHz, toHz, seconds);
    MixInto(signal, HighPass(Noise(seed, seconds * 0.4), 2000), 0.25);
    return Shaped(LowPass(signal, 6000, 2500), 0.002);
}

Signal MissileLaunch()
{
    Signal whoosh = LowPass(Noise(11, 0.5), 300, 3500);
    Normalise(whoosh, 1.0f);
    MixInto(whoosh, Tone(Wave::Saw, 140, 420, 0.5), 0.35);
    return Shaped(whoosh, 0.03);
}

Signal MineLaid()
{
    Signal signal = Tone(Wave::Triangle, 220, 200, 0.09);
    Envelope(signal, 0.002);
    MixInto(signal, Shaped(Tone(Wave::Sine, 330, 320, 0.18), 0.002), 0.6, 0.08);
    return Shaped(signal, 0.001);
}

Signal PlasmaMine()
{
    Signal signal = Vibrato(Wave::Triangle, 520, 0.18, 28, 0.45);
    MixInto(signal, Vibrato(Wave::Sine, 780, 0.12, 21, 0.45), 0.5);
    return Shaped(signal, 0.01);
}

Signal Repulsor()
{
    Signal thump = Tone(Wave::Sine, 110, 38, 0.6);
    Signal air = LowPass(Noise(23, 0.6), 1800, 200);
    Normalise(air, 1.0f);
    MixInto(thump, air, 0.6);
    return Shaped(thump, 0.008);
}

// Metal rung by a bullet: partials that do not share a fundamental.
Signal ShieldHit()
{
    Signal ring = Tone(Wave::Sine, 1250, 1200, 0.35);
    MixInto(ring, Tone(Wave::Sine, 1790, 1760, 0.3), 0.6);
    MixInto(ring, Tone(Wave::Sine, 2630, 2600, 0.22), 0.4);
    MixInto(ring, HighPass(Noise(31, 0.03), 3000), 0.5);
    return Shaped(ring, 0.001);
}

Signal HullHit()
{
    Signal crunch = LowPass(Noise(37, 0.22), 2500, 600);
    Normalise(crunch, 1.0f);
    MixInto(crunch, Tone(Wave::Sine, 130, 70, 0.22), 0.8);
    return Shaped(crunch, 0.001);
}

Signal ShipExplosion()
{
    Signal blast = LowPass(Noise(41, 1.3), 2400, 150);
    Normalise(blast, 1.0f);
    MixInto(blast, Tone(Wave::Sine, 70, 28, 1.3), 0.7);
    MixInto(blast, LowPass(Crackle(43, 60, 0.8), 3000, 800), 2.5, 0.05);
    return Shaped(blast, 0.004);
}

Signal ShrapnelBurst()
{
    Signal crackle = LowPass(Crackle(47, 220, 0.5), 5000, 1500);
    MixInto(crackle, LowPass(Noise(53, 0.12), 3000, 800), 0.15);
    return Shaped(crackle, 0.001);
}

// Three rising notes.
Signal PowerupPickup()
{
    Signal signal;
    const double notes[] = {660, 880, 1320};
    for (int i = 0; i < 3; ++i)
        MixInto(signal, Shaped(Tone(Wave::Triangle, notes[i], notes[i], 0.14), 0.003), 1.0, 0.06 * i);
    return Shaped(signal, 0.001);
}

// Loops: whole cycles of every periodic part in one second, and the noise
// blended round the seam.
Signal FuelFlow()
{
    Signal flow = LowPass(LowPass(Noise(59, 1.1), 900, 900), 1200, 1200);
    Normalise(flow, 1.0f);
    MixInto(flow, Vibrato(Wave::Sine, 240, 0.25, 6, 1.1), 0.25);
    Tremolo(flow, 6, 0.6);
    Signal loop = MakeLoop(flow, 0.1);
    Normalise(loop, 0.7f);
    return loop;
}

Signal Thrust()
{
    Signal rumble = LowPass(LowPass(Noise(61, 1.1), 420, 420), 600, 600);
    Normalise(rumble, 1.0f);
    MixInto(rumble, LowPass(Tone(Wave::Saw, 55, 55, 1.1), 300, 300), 0.4);
    Signal loop = MakeLoop(rumble, 0.1);
    Normalise(loop, 0.7f);
    return loop;
}

Signal Cloak(double fromHz, double toHz)
{
    Signal sweep = Tone(Wave::Sine, fromHz, toHz, 0.42);
    MixInto(sweep, Tone(Wave::Sine, fromHz * 1.5, toHz * 1.5, 0.42), 0.3);
    Tremolo(sweep, 18, 0.5);
    return Shaped(sweep, 0.02);
}

Signal Chime(const double (&notes)[2], double gap, double seconds)
{
    Signal signal;
    for (int i = 0; i < 2; ++i)
    {
        Signal note = Tone(Wave::Sine, notes[i], notes[i], seconds);
        MixInto(note, Tone(Wave::Sine, notes[i] * 2, notes[i] * 2, seconds), 0.3);
        MixInto(signal, Shaped(note, 0.004), 1.0, gap * i);
    }
    return Shaped(signal, 0.001);
}

Signal RoundOver()
{
    Signal signal;
    const double notes[] = {392, 494, 587, 784};
    for (int i = 0; i < 4; ++i)
    {
        Signal note = Tone(Wave::Triangle, notes[i], notes[i], 1.4 - 0.12 * i);
        MixInto(signal, Shaped(note, 0.01), 0.7, 0.12 * i);
    }
    return Shaped(signal, 0.001);
}
} // namespace

Signal MakeEffect(Sound sound)
{
    switch (sound)
    {
    case Sound::Bullet:
        return Shot(1500, 520, 0.11, 3);
    case Sound::MissileLaunch:
        return MissileLaunch();
    case Sound::MineLaid:
        return MineLaid();
    case Sound::PlasmaMine:
        return PlasmaMine();
    case Sound::Repulsor:
        return Repulsor();
    case Sound::TurretShot:
        return Shot(760, 240, 0.15, 5);
    case Sound::ShieldHit:
        return ShieldHit();
    case Sound::HullHit:
        return HullHit();
    case Sound::ShipExplosion:
        return ShipExplosion();
    case Sound::ShrapnelBurst:
        return ShrapnelBurst();
    case Sound::PowerupPickup:
        return PowerupPickup();
    case Sound::FuelFlow:
        return FuelFlow();
    case Sound::Thrust:
        return Thrust();
    case Sound::CloakOn:
        return Cloak(1400, 220);
    case Sound::CloakOff:
        return Cloak(220, 1400);
    case Sound::PlayerJoined:
        return Chime({523.25, 783.99}, 0.12, 0.35);
    case Sound::ChatLine:
        return Chime({987.77, 1318.5}, 0.05, 0.09);
    case Sound::RoundOver:
        return RoundOver();
    case Sound::MenuMove:
        return Shaped(Tone(Wave::Sine, 1800, 1700, 0.035), 0.002);
    case Sound::MenuSelect:
        return Chime({880, 1318.5}, 0.05, 0.08);
    }
    return {};
}
