#include "game/ClientAdvance.h"

#include "game/World.h"

#include <cmath>

namespace
{
// An offset along one axis of the torus, taken the short way round. A
// non-finite offset (a corrupt report) is dropped rather than followed.
double ShortWay(double offset, int32_t size)
{
    return std::isfinite(offset) ? WrapOffset(offset, static_cast<float>(size)) : 0.0;
}

// Moves one object in play for one frame: onto its reported position when
// the world says so, otherwise along its velocity and then towards the
// reported position at the rate of the whole gap per second.
void Follow(CGameObject& object, bool snap, int32_t dt, int32_t width, int32_t height)
{
    CVector position = object.GetPosition();
    if (snap)
        position = object.GetReportedPosition();
    else
    {
        if (dt > 0)
            position = position + object.GetVelocity() * static_cast<double>(dt) / 1000.0;
        CVector gap = object.GetReportedPosition() - position;
        gap.Set(ShortWay(gap.GetX(), width), ShortWay(gap.GetY(), height), 0.0);
        if (dt > 0)
            position = position + gap * static_cast<double>(dt) / 1000.0;
    }
    object.SetPosition(position);
    object.WrapPosition(width, height);
}

// A fuelling ship draws its fuel line to the centre of the block it uses.
void NoteFuelSource(CGameWorld& world, CShip& ship)
{
    int32_t column = 0, row = 0;
    if (!ship.TestStatusBits(STATUS_FUELLING) || !world.FindFuelTile(ship, column, row))
        return;
    const CMap& map = *world.GetMap();
    int32_t tileWidth = map.GetTileWidth(), tileHeight = map.GetTileHeight();
    ship.SetFuelSource(column * tileWidth + tileWidth / 2, row * tileHeight + tileHeight / 2);
}

void AdvanceTurrets(CGameWorld& world, int32_t dt)
{
    for (CTurret& turret : world.Turrets())
    {
        if (turret.IsActive())
            continue;
        turret.AddDeadTime(dt);
        if (turret.CanRespawn())
            turret.Respawn(0, 0);
    }
}

bool TakeUpdateFlag(CGameWorld& world)
{
    CLockGuard guard(world.GetClientLock());
    return world.GetUpdateFlag();
}
} // namespace

void AdvanceClientWorld(CGameWorld& world, int32_t dt)
{
    bool snap = TakeUpdateFlag(world);
    CLockGuard guard(world.GetLock());
    if (!world.GetMap())
        return;
    int32_t width = world.GetWorldWidth(), height = world.GetWorldHeight();
    for (CShip& ship : world.Players())
    {
        if (!ship.IsActive())
            continue;
        Follow(ship, snap, dt, width, height);
        NoteFuelSource(world, ship);
    }
    AdvanceTurrets(world, dt);
    for (CGameObject& object : world.Objects())
        if (object.IsActive())
            Follow(object, snap, dt, width, height);
    world.RemoveInactiveObjects();
    CLockGuard clientGuard(world.GetClientLock());
    world.SetUpdateFlag(false);
}
