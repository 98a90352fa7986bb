// The controls a player holds, applied to the ship once per server tick.
#include "game/Ship.h"

#include "game/Settings.h"
#include "game/World.h"
#include "platform/Clock.h"

void CShip::ApplyControls(const uint32_t* codes, size_t count, int32_t elapsed, CGameWorld& world)
{
    ClearStatusBits(STATUS_FUELLING);
    bool shieldsWanted = false;
    for (size_t i = 0; codes && i < count && codes[i] != KEY_NONE; ++i)
        ApplyControl(codes[i], elapsed, shieldsWanted, world);
    // Shields stay up only while the key is held and paid for.
    if (shieldsWanted)
        SetStatusBits(STATUS_SHIELDS);
    else
        ClearStatusBits(STATUS_SHIELDS);
    CloakUpkeep(elapsed);
}

void CShip::ApplyControl(uint32_t code, int32_t elapsed, bool& shieldsWanted, CGameWorld& world)
{
    float seconds = static_cast<float>(elapsed) / 1000.0f;
    switch (code)
    {
    case KEY_TURN_LEFT:
        Turn(-1, elapsed);
        break;
    case KEY_TURN_RIGHT:
        Turn(1, elapsed);
        break;
    case KEY_THRUST:
        if (UseFuel(COST_THRUST, seconds))
            Thrust(elapsed);
        break;
    case KEY_SHIELDS:
        if (UseFuel(COST_SHIELD, seconds))
            shieldsWanted = true;
        break;
    case KEY_FIRE_BULLET:
        FireBulletControl(world);
        break;
    case KEY_FIRE_MISSILE:
        if (CanFireMissile() && GetMissiles() > 0 && UseFuel(COST_WEAPON, 1))
            world.FireMissile(*this);
        break;
    case KEY_FIRE_MINE:
        if (CanFireMine() && GetMines() > 0 && UseFuel(COST_WEAPON, 1))
            world.DropMine(*this, KIND_MINE);
        break;
    case KEY_FIRE_PLASMA:
        // The plasma mine shares the bullet timer.
        if (CanFireBullet() && GetPlasmaMines() > 0 && UseFuel(COST_WEAPON, 1))
            world.DropMine(*this, KIND_PLASMA_MINE);
        break;
    case KEY_FIRE_REPULSOR:
        if (GetRepulses() > 0 && CanFireRepulse())
            world.FireRepulsor(*this);
        break;
    case KEY_FUEL_UP:
        RefuelControl(elapsed, world);
        break;
    case KEY_CLOAK:
        if (TestStatusBits(STATUS_CLOAK_HELD))
        {
            SetCloakStart(GetTickCount());
            SetStatusBits(STATUS_CLOAKED);
        }
        break;
    default:
        break;
    }
}

void CShip::FireBulletControl(CGameWorld& world)
{
    int32_t cost = TestStatusBits(STATUS_TRIPLE_SHOT) ? COST_TRIPLE_SHOT : COST_WEAPON;
    if (CanFireBullet() && UseFuel(cost, 1))
        world.FireBullets(*this);
}

void CShip::RefuelControl(int32_t elapsed, CGameWorld& world)
{
    int32_t column = 0, row = 0;
    if (!world.FindFuelTile(*this, column, row) || ShieldsUp())
        return;
    SetStatusBits(STATUS_FUELLING);
    AddFuel(static_cast<float>(elapsed) / 1000.0f * g_settings.FuelRate);
}

void CShip::CloakUpkeep(int32_t elapsed)
{
    if (!TestStatusBits(STATUS_CLOAKED))
        return;
    if (LifetimeOver(GetCloakStart(), g_settings.CloakLifetime) ||
        !UseFuel(COST_CLOAK, static_cast<float>(elapsed) / 1000.0f))
    {
        ClearStatusBits(STATUS_CLOAKED | STATUS_CLOAK_HELD);
        SetCloakStart(0);
    }
}
