#include "game/Settings.h"

GameSettings g_settings;

namespace
{

#define QV_SETTING(key, section, unit)                                                                       \
    SettingDescriptor                                                                                        \
    {                                                                                                        \
#key, section, &GameSettings::key, unit                                                              \
    }

const SettingDescriptor kSettingTable[] = {
    QV_SETTING(ServerYield, "// General server section", "ms"),
    QV_SETTING(ServerDPTimeSlice, "// General server section", "ms"),
    QV_SETTING(ServerEOR, "// General server section", "ms"),
    QV_SETTING(DefaultFragLimit, "// General server section", "frags"),
    QV_SETTING(DefaultTimeLimit, "// General server section", "minutes"),
    QV_SETTING(MaxPlayers, "// General server section", "clients (0 = no limit)"),
    QV_SETTING(ThrustCost, "// Fuel cost section", "fuel/s while thrusting"),
    QV_SETTING(ShieldCost, "// Fuel cost section", "fuel/s while shielded"),
    QV_SETTING(CloakCost, "// Fuel cost section", "fuel/s while cloaked"),
    QV_SETTING(WeaponCost, "// Fuel cost section", "fuel per shot (x3 for a triple shot)"),
    QV_SETTING(RepulseCost, "// Fuel cost section", "fuel per repulse"),
    QV_SETTING(BaseCollisionCost, "// Fuel cost section", "fuel per shielded bounce"),
    QV_SETTING(BulletDamage, "// Fuel cost section", "fuel"),
    QV_SETTING(MissileDamage, "// Fuel cost section", "fuel"),
    QV_SETTING(MineDamage, "// Fuel cost section", "fuel"),
    QV_SETTING(PlasmaMineDamage, "// Fuel cost section", "fuel"),
    QV_SETTING(FuelRange, "// Fuel capacity", "tiles"),
    QV_SETTING(FuelRate, "// Fuel capacity", "fuel/s"),
    QV_SETTING(BaseFuelCapacity, "// Fuel capacity", "fuel"),
    QV_SETTING(ExtraTankCapacity, "// Fuel capacity", "fuel"),
    QV_SETTING(BaseTurnRate, "// Basic Ship Mechanics", "degrees/s"),
    QV_SETTING(BaseAccelRate, "// Basic Ship Mechanics", "units/s²"),
    QV_SETTING(BaseMaxSpeed, "// Basic Ship Mechanics", "units/s"),
    QV_SETTING(BaseROF, "// Basic Ship Mechanics", "shots/s"),
    QV_SETTING(MissileROF, "// Basic Ship Mechanics", "shots/s"),
    QV_SETTING(MineROF, "// Basic Ship Mechanics", "shots/s"),
    QV_SETTING(PowerupSpawnRate, "// Powerup Mechanics", "seconds between spawns"),
    QV_SETTING(PowerupLifetime, "// Powerup Mechanics", "ms"),
    QV_SETTING(CloakLifetime, "// Powerup Mechanics", "ms"),
    QV_SETTING(MissileLifetime, "// Powerup Mechanics", "ms"),
    QV_SETTING(MineLifetime, "// Powerup Mechanics", "ms"),
    QV_SETTING(BulletLifetime, "// Powerup Mechanics", "ms"),
    QV_SETTING(BulletMaxSpeed, "// Powerup Mechanics", "units/s"),
    QV_SETTING(MissileMaxSpeed, "// Powerup Mechanics", "units/s"),
    QV_SETTING(MineMaxSpeed, "// Powerup Mechanics", "units/s"),
    QV_SETTING(BulletMinSpeed, "// Powerup Mechanics", "units/s"),
    QV_SETTING(MissileMinSpeed, "// Powerup Mechanics", "units/s"),
    QV_SETTING(MineMinSpeed, "// Powerup Mechanics", "units/s"),
    QV_SETTING(MaxMissiles, "// Powerup Mechanics", "count"),
    QV_SETTING(MaxMines, "// Powerup Mechanics", "count"),
    QV_SETTING(MaxPlasmaMines, "// Powerup Mechanics", "count"),
    QV_SETTING(MaxRepulse, "// Powerup Mechanics", "count"),
    QV_SETTING(StartingMissiles, "// Powerup Mechanics", "count"),
    QV_SETTING(StartingMines, "// Powerup Mechanics", "count"),
    QV_SETTING(StartingPlasmaMines, "// Powerup Mechanics", "count"),
    QV_SETTING(StartingRepulse, "// Powerup Mechanics", "count"),
    QV_SETTING(MissilesPerPowerup, "// Powerup Mechanics", "count"),
    QV_SETTING(MinesPerPowerup, "// Powerup Mechanics", "count"),
    QV_SETTING(PlasmaMinesPerPowerup, "// Powerup Mechanics", "count"),
    QV_SETTING(RepulsePerPowerup, "// Powerup Mechanics", "count"),
    QV_SETTING(MineRange, "// Powerup Mechanics", "units"),
    QV_SETTING(MineDamageRange, "// Powerup Mechanics", "units"),
    QV_SETTING(MinePushRange, "// Powerup Mechanics", "units"),
    QV_SETTING(MineExplosionAccel, "// Powerup Mechanics", "units/s²"),
    QV_SETTING(PlasmaMineExplosionAccel, "// Powerup Mechanics", "units/s²"),
    QV_SETTING(RepulsePushRange, "// Powerup Mechanics", "units"),
    QV_SETTING(RepulseAccel, "// Powerup Mechanics", "units/s²"),
    QV_SETTING(RepulseROF, "// Powerup Mechanics", "shots/s"),
    QV_SETTING(ShrapnelLifespan, "// Shrapnel", "ms"),
    QV_SETTING(ShrapnelSpeed, "// Shrapnel", "units/s"),
    QV_SETTING(ShrapnelCount, "// Shrapnel", "count"),
};

#undef QV_SETTING

} // namespace

std::span<const SettingDescriptor> SettingTable()
{
    return kSettingTable;
}
