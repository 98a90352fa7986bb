#include "server/SettingRanges.h"

#include <iterator>

namespace
{

// Bounds shared by settings of one kind. The upper ends are generous: they
// stop typing slips (an extra zero or three) and overflow, not experiments.
constexpr double kHour = 3600000;   // ms
constexpr double kFastest = 100000; // units/s: crosses the largest map in a fraction of a second
constexpr double kFarthest = 100000;
constexpr double kMostFuel = 100000;
constexpr double kMostItems = 1000;
constexpr double kFastestFire = 100; // shots/s
constexpr double kSlowestFire = 0.01;

const SettingRange kRanges[] = {
    {"ServerYield", 0, 1000},
    {"ServerDPTimeSlice", 1, 1000},
    {"ServerEOR", 0, kHour},
    {"DefaultFragLimit", 1, 10000},
    {"DefaultTimeLimit", 1, 24 * 60},
    {"MaxPlayers", 0, 255},
    {"ThrustCost", 0, kMostFuel},
    {"ShieldCost", 0, kMostFuel},
    {"CloakCost", 0, kMostFuel},
    {"WeaponCost", 0, kMostFuel},
    {"RepulseCost", 0, kMostFuel},
    {"BaseCollisionCost", 0, kMostFuel},
    {"BulletDamage", 0, kMostFuel},
    {"MissileDamage", 0, kMostFuel},
    {"MineDamage", 0, kMostFuel},
    {"PlasmaMineDamage", 0, kMostFuel},
    {"FuelRange", 0, 64},
    {"FuelRate", 0, kMostFuel},
    {"BaseFuelCapacity", 1, kMostFuel},
    {"ExtraTankCapacity", 0, kMostFuel},
    {"BaseTurnRate", 1, 3600},
    {"BaseAccelRate", 1, 1000000},
    {"BaseMaxSpeed", 1, kFastest},
    {"BaseROF", kSlowestFire, kFastestFire},
    {"MissileROF", kSlowestFire, kFastestFire},
    {"MineROF", kSlowestFire, kFastestFire},
    {"PowerupSpawnRate", 1, 3600},
    {"PowerupLifetime", 1, kHour},
    {"CloakLifetime", 1, kHour},
    {"MissileLifetime", 1, kHour},
    {"MineLifetime", 1, kHour},
    {"BulletLifetime", 1, kHour},
    {"BulletMaxSpeed", 1, kFastest},
    {"MissileMaxSpeed", 1, kFastest},
    {"MineMaxSpeed", 1, kFastest},
    {"BulletMinSpeed", 0, kFastest},
    {"MissileMinSpeed", 0, kFastest},
    {"MineMinSpeed", 0, kFastest},
    {"MaxMissiles", 0, kMostItems},
    {"MaxMines", 0, kMostItems},
    {"MaxPlasmaMines", 0, kMostItems},
    {"MaxRepulse", 0, kMostItems},
    {"StartingMissiles", 0, kMostItems},
    {"StartingMines", 0, kMostItems},
    {"StartingPlasmaMines", 0, kMostItems},
    {"StartingRepulse", 0, kMostItems},
    {"MissilesPerPowerup", 0, kMostItems},
    {"MinesPerPowerup", 0, kMostItems},
    {"PlasmaMinesPerPowerup", 0, kMostItems},
    {"RepulsePerPowerup", 0, kMostItems},
    {"MineRange", 0, kFarthest},
    {"MineDamageRange", 0, kFarthest},
    {"MinePushRange", 0, kFarthest},
    {"MineExplosionAccel", 0, 1000000},
    {"PlasmaMineExplosionAccel", 0, 1000000},
    {"RepulsePushRange", 0, kFarthest},
    {"RepulseAccel", 0, 1000000},
    {"RepulseROF", kSlowestFire, kFastestFire},
    {"ShrapnelLifespan", 1, kHour},
    {"ShrapnelSpeed", 0, kFastest},
    // Each piece is a body the world moves and collides every tick.
    {"ShrapnelCount", 0, 256},
};

} // namespace

std::optional<SettingRange> FindSettingRange(std::string_view key)
{
    for (const SettingRange& range : kRanges)
        if (range.key == key)
            return range;
    return std::nullopt;
}
