// The game's tunable numbers: one process-wide table with compiled-in
// defaults, named by the keys of the server's configuration file. Both
// programs are built with the same defaults; only the server may load other
// values, and only before its session starts.
#pragma once

#include <span>
#include <string_view>
#include <variant>

struct GameSettings
{
    // General server
    int ServerYield = 1;        // ms the server thread sleeps per pass
    int ServerDPTimeSlice = 10; // ms given to each session DoWork
    int ServerEOR = 12000;      // ms of end-of-round pause
    int DefaultFragLimit = 5;   // frags that end a round
    int DefaultTimeLimit = 15;  // minutes a round lasts
    int MaxPlayers = 4;         // clients in the session; 0 = no limit
    // Fuel cost
    float ThrustCost = 0.1f;
    float ShieldCost = 0.5f;
    float CloakCost = 1.0f;
    float WeaponCost = 0.05f;
    float RepulseCost = 5.0f;
    float BaseCollisionCost = 10.0f;
    float BulletDamage = 8.0f;
    float MissileDamage = 40.0f;
    float MineDamage = 30.0f;
    float PlasmaMineDamage = 75.0f;
    // Fuel capacity
    int FuelRange = 2;
    float FuelRate = 20.0f;
    float BaseFuelCapacity = 100.0f;
    float ExtraTankCapacity = 200.0f;
    // Basic ship mechanics
    float BaseTurnRate = 360.0f;
    float BaseAccelRate = 700.0f;
    float BaseMaxSpeed = 768.0f;
    float BaseROF = 10.0f;
    float MissileROF = 4.0f;
    float MineROF = 4.0f;
    // Powerup mechanics
    float PowerupSpawnRate = 60.0f;
    int PowerupLifetime = 30000; // ms
    int CloakLifetime = 15000;   // ms
    int MissileLifetime = 30000; // ms
    int MineLifetime = 30000;    // ms
    int BulletLifetime = 15000;  // ms
    float BulletMaxSpeed = 896.0f;
    float MissileMaxSpeed = 800.0f;
    float MineMaxSpeed = 800.0f;
    float BulletMinSpeed = 256.0f;
    float MissileMinSpeed = 150.0f;
    float MineMinSpeed = 50.0f;
    int MaxMissiles = 6;
    int MaxMines = 4;
    int MaxPlasmaMines = 1;
    int MaxRepulse = 5;
    int StartingMissiles = 0;
    int StartingMines = 0;
    int StartingPlasmaMines = 0;
    int StartingRepulse = 0;
    int MissilesPerPowerup = 2;
    int MinesPerPowerup = 2;
    int PlasmaMinesPerPowerup = 1;
    int RepulsePerPowerup = 1;
    float MineRange = 196.0f;
    float MineDamageRange = 242.0f;
    float MinePushRange = 288.0f;
    float MineExplosionAccel = 1024.0f;
    float PlasmaMineExplosionAccel = 1536.0f;
    float RepulsePushRange = 288.0f;
    float RepulseAccel = 1500.0f;
    float RepulseROF = 1.0f;
    // Shrapnel
    int ShrapnelLifespan = 10000; // ms
    float ShrapnelSpeed = 128.0f;
    int ShrapnelCount = 8;
};

// The process's settings.
extern GameSettings g_settings;

// One row of the settings table: where a key lives and how it is written.
struct SettingDescriptor
{
    std::string_view key;
    std::string_view section; // the header line that groups it in a written file
    std::variant<int GameSettings::*, float GameSettings::*> field;
    std::string_view unit; // for people reading the documentation
};

// Every setting, grouped by section, in the order a configuration file lists them.
std::span<const SettingDescriptor> SettingTable();
