// What the ships' controls and the turrets do in the world: bullets,
// missiles, mines, the repulsor, refuelling, turret fire, and the powerups
// the map's spawners put into play.
#include "game/World.h"

#include "game/Powerup.h"
#include "game/Projectiles.h"
#include "game/Settings.h"
#include "game/Trig.h"
#include "platform/Clock.h"
#include "platform/Random.h"

#include <algorithm>

namespace
{
// Turret bullets and the side bullets of a triple shot use this fixed speed
// limit rather than the configured one.
constexpr float kFixedBulletMaxSpeed = 896;
constexpr float kTripleShotSpread = 15;

CVector MuzzlePoint(const CShip& ship, double scale)
{
    return trig::Rotate(ship.GetMuzzle() * scale, ship.GetAngle()) + ship.GetPosition();
}

void Place(CGameObject& object, const CVector& point)
{
    object.Respawn(static_cast<float>(point.GetX()), static_cast<float>(point.GetY()));
}

} // namespace

void CGameWorld::FireBullets(CShip& ship)
{
    CLockGuard guard(m_lock);
    if (!ship.IsActive())
        return;
    CVector muzzle = MuzzlePoint(ship, 1.0);
    CVector velocity =
        ship.GetVelocity() + trig::Rotate(CVector(0, g_settings.BulletMinSpeed, 0), ship.GetAngle());
    auto fire = [&](const CVector& v, float maxSpeed)
    {
        auto* bullet = new CBullet();
        Place(*bullet, muzzle);
        bullet->SetVelocity(v);
        bullet->SetMaxSpeed(maxSpeed);
        bullet->SetOwnerId(ship.GetId());
        AddObject(bullet);
    };
    fire(velocity, g_settings.BulletMaxSpeed);
    if (!ship.TestStatusBits(STATUS_TRIPLE_SHOT))
        return;
    fire(trig::Rotate(velocity, kTripleShotSpread), kFixedBulletMaxSpeed);
    fire(trig::Rotate(velocity, 360 - kTripleShotSpread), kFixedBulletMaxSpeed);
}

void CGameWorld::FireMissile(CShip& ship)
{
    CLockGuard guard(m_lock);
    auto* missile = new CMissile();
    Place(*missile, MuzzlePoint(ship, 1.5));
    missile->SetVelocity(ship.GetVelocity() + trig::Heading(ship.GetAngle()) * g_settings.MissileMinSpeed);
    missile->SetMaxSpeed(g_settings.MissileMaxSpeed);
    missile->SetAngle(ship.GetAngle());
    missile->SetTurnRate(g_settings.BaseTurnRate);
    missile->SetAccelerationRate(g_settings.BaseAccelRate);
    missile->SetOwnerId(ship.GetId());
    missile->SetWorldSize(static_cast<float>(GetWorldWidth()), static_cast<float>(GetWorldHeight()));
    missile->SetTarget(PickMissileTarget(ship, *missile));
    ship.SetMissiles(ship.GetMissiles() - 1);
    AddObject(missile);
}

// The nearest other ship ahead of the shooter with a clear line from the
// missile, in play or not; the first met wins a tie.
const CShip* CGameWorld::PickMissileTarget(const CShip& shooter, const CGameObject& missile)
{
    CVector heading = trig::Heading(shooter.GetAngle());
    float width = static_cast<float>(GetWorldWidth()), height = static_cast<float>(GetWorldHeight());
    const CShip* best = nullptr;
    double bestDistance = 0;
    for (auto& candidate : m_players)
    {
        if (candidate.get() == &shooter)
            continue;
        CVector d = WrappedOffset(shooter.GetPosition(), candidate->GetPosition(), width, height);
        double distance = d.Length();
        if (d.Dot(heading) <= 0 || (best && distance >= bestDistance) || !HasClearLine(missile, *candidate))
            continue;
        best = candidate.get();
        bestDistance = distance;
    }
    return best;
}

void CGameWorld::DropMine(CShip& ship, int32_t kind)
{
    CLockGuard guard(m_lock);
    CMine* mine = nullptr;
    if (kind == KIND_PLASMA_MINE)
    {
        mine = new CPlasmaMine();
        ship.SetPlasmaMines(ship.GetPlasmaMines() - 1);
    }
    else
    {
        mine = new CMine();
        ship.SetMines(ship.GetMines() - 1);
    }
    Place(*mine, MuzzlePoint(ship, 1.0));
    mine->SetVelocity(ship.GetVelocity() + trig::Heading(ship.GetAngle()) * g_settings.MineMinSpeed);
    mine->SetMaxSpeed(g_settings.MineMaxSpeed);
    mine->SetOwnerId(ship.GetId());
    AddObject(mine);
}

void CGameWorld::FireRepulsor(CShip& ship)
{
    CLockGuard guard(m_lock);
    CVector origin = ship.GetPosition();
    for (auto& object : m_objects)
        if (object && object->IsActive())
            PushAway(*object, origin, *object, ship);
    for (auto& other : m_players)
        if (other.get() != &ship && other->IsActive())
            PushAway(*other, origin, ship, *other);
    ship.SetRepulses(ship.GetRepulses() - 1);
}

// A repulse: within range and in sight (from lineFrom to lineTo), the object
// is pushed away from `from`, harder the closer it is. Not wrapped.
void CGameWorld::PushAway(CGameObject& object, const CVector& from, const CGameObject& lineFrom,
                          const CGameObject& lineTo)
{
    CVector d = object.GetPosition() - from;
    d.SetZ(0);
    double distance = d.Length();
    float range = g_settings.RepulsePushRange;
    if (distance > range || !HasClearLine(lineFrom, lineTo))
        return;
    d.Normalize();
    object.SetVelocity(object.GetVelocity() + d * ((1 - distance / range) * g_settings.RepulseAccel));
}

bool CGameWorld::FindFuelTile(const CShip& ship, int32_t& column, int32_t& row)
{
    CLockGuard guard(m_lock);
    if (!m_map || m_map->GetColumns() <= 0 || m_map->GetRows() <= 0)
        return false;
    int32_t columns = m_map->GetColumns(), rows = m_map->GetRows();
    CVector position = ship.GetPosition();
    int32_t cx = static_cast<int32_t>(position.GetX() / m_map->GetTileWidth());
    int32_t cy = static_cast<int32_t>(position.GetY() / m_map->GetTileHeight());
    // Half the map each way reaches every cell of the torus once, so a range
    // wider than that searches no further.
    int32_t rangeX = std::min(ship.GetFuelRange(), columns / 2);
    int32_t rangeY = std::min(ship.GetFuelRange(), rows / 2);
    for (int32_t dx = -rangeX; dx <= rangeX; ++dx)
        for (int32_t dy = -rangeY; dy <= rangeY; ++dy)
            if (m_map->GetTile(cx + dx, cy + dy) == 6)
            {
                column = ((cx + dx) % columns + columns) % columns;
                row = ((cy + dy) % rows + rows) % rows;
                return true;
            }
    return false;
}

void CGameWorld::TurretFire(CTurret& turret, const CShip& target)
{
    CLockGuard guard(m_lock);
    auto* bullet = new CBullet();
    Place(*bullet, turret.GetPosition() + turret.GetGunOffset());
    CVector direction = target.GetPosition() - turret.GetPosition();
    direction.SetZ(0);
    direction.Normalize();
    bullet->SetVelocity(direction * g_settings.BulletMinSpeed);
    bullet->SetMaxSpeed(kFixedBulletMaxSpeed);
    AddObject(bullet); // no owner: a kill by it is credited to nobody
    turret.MarkFired();
}

// Each spawner whose period has passed adds one powerup drifting from its
// cell. The generator is reseeded from the calendar second every tick.
void CGameWorld::SpawnPowerups()
{
    uint32_t now = GetTickCount();
    platform::SeedRandFromTime();
    float period = g_settings.PowerupSpawnRate * 1000;
    int32_t tileWidth = m_map->GetTileWidth(), tileHeight = m_map->GetTileHeight();
    for (CMap::PowerupSpawner& spawner : m_map->GetSpawners())
    {
        if (!(static_cast<float>(now - spawner.lastSpawn) >= period))
            continue;
        auto drift = []
        {
            int32_t v = platform::Rand() % 200 - 100;
            return v < 0 ? v - 50 : v + 50;
        };
        int32_t vx = drift();
        int32_t vy = drift();
        auto* powerup = new CPowerup();
        powerup->SetType(platform::Rand() % 8);
        spawner.lastSpawn = now;
        powerup->Respawn(static_cast<float>(spawner.x * tileWidth + tileWidth / 2),
                         static_cast<float>(spawner.y * tileHeight + tileHeight / 2));
        powerup->SetVelocity(CVector(vx, vy, 0));
        AddObject(powerup);
    }
}
