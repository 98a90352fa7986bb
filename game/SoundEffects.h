// The game's sound effects: one id per effect, the file it is kept in (in
// the data folder's "Sounds" folder, written by tools/soundgen), how much it
// matters when the mixer runs out of channels, and whether it plays as a
// loop. The client plays them; the sound generator writes the same names.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

enum class Sound : uint8_t
{
    Bullet,
    MissileLaunch,
    MineLaid,
    PlasmaMine,
    Repulsor,
    TurretShot,
    ShieldHit,
    HullHit,
    ShipExplosion,
    ShrapnelBurst,
    PowerupPickup,
    FuelFlow,
    Thrust,
    CloakOn,
    CloakOff,
    PlayerJoined,
    ChatLine,
    RoundOver,
    MenuMove,
    MenuSelect,
};

constexpr size_t kSoundCount = static_cast<size_t>(Sound::MenuSelect) + 1;

struct SoundEffectInfo
{
    const char* file;
    // 0 to 1: when every channel is busy, a sound replaces a playing one
    // only if its importance times its loudness is higher.
    float importance;
    bool loop;
};

constexpr std::array<SoundEffectInfo, kSoundCount> kSoundEffects = {{
    {"bullet.wav", 0.35f, false},
    {"missile.wav", 0.6f, false},
    {"mine.wav", 0.5f, false},
    {"plasma_mine.wav", 0.6f, false},
    {"repulsor.wav", 0.7f, false},
    {"turret_shot.wav", 0.35f, false},
    {"shield_hit.wav", 0.7f, false},
    {"hull_hit.wav", 0.8f, false},
    {"explosion.wav", 1.0f, false},
    {"shrapnel.wav", 0.5f, false},
    {"pickup.wav", 0.75f, false},
    {"fuel_loop.wav", 1.0f, true},
    {"thrust_loop.wav", 1.0f, true},
    {"cloak_on.wav", 0.65f, false},
    {"cloak_off.wav", 0.65f, false},
    {"player_joined.wav", 0.8f, false},
    {"chat.wav", 0.8f, false},
    {"round_over.wav", 1.0f, false},
    {"menu_move.wav", 1.0f, false},
    {"menu_select.wav", 1.0f, false},
}};

constexpr const SoundEffectInfo& SoundInfo(Sound sound)
{
    return kSoundEffects[static_cast<size_t>(sound)];
}
