// Collisions, damage and kills: objects against wall cells, the pair passes
// between ships, turrets and objects, mine triggering and explosions, the
// line of sight, and the shrapnel a dead ship leaves. Kill lines go to the
// server's log, which every player sees.
#include "game/World.h"

#include "common/MessageLog.h"
#include "game/Projectiles.h"
#include "game/Settings.h"
#include "game/Trig.h"
#include "platform/Random.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float kWallRadius = 23;

CMessageLog& Log()
{
    return CMessageLog::GetServerLog();
}

bool IsMine(const CGameObject& object)
{
    return object.GetKind() == KIND_MINE || object.GetKind() == KIND_PLASMA_MINE;
}

// False only when no collision test could find the circles of radius sum
// `reach` about a and b touching, whichever way it wraps the offset: a cheap
// first look before an outline test.
bool MayTouch(const CVector& a, const CVector& b, double reach, float width, float height)
{
    auto nearest = [](double d, float size)
    {
        double best = std::fabs(d);
        if (size > 0)
            best = std::min({best, std::fabs(d - size), std::fabs(d + size)});
        return best;
    };
    double dx = nearest(a.GetX() - b.GetX(), width), dy = nearest(a.GetY() - b.GetY(), height);
    return dx * dx + dy * dy <= reach * reach;
}

bool MayTouch(const CGameObject& a, const CGameObject& b, float width, float height)
{
    return MayTouch(a.GetPosition(), b.GetPosition(), a.GetRadius() + b.GetRadius(), width, height);
}

// p0 + velocity x elapsed / 1000.
CVector Predicted(const CVector& p0, const CVector& velocity, int32_t elapsed)
{
    return p0 + (velocity * static_cast<double>(elapsed)) / 1000.0;
}

} // namespace

void CGameWorld::CollideWithWalls(CGameObject& object, int32_t elapsed, float worldWidth, float worldHeight)
{
    CLockGuard guard(m_lock);
    if (!object.IsActive() || !m_map)
        return;
    CVector p0 = object.GetPosition(), u0 = object.GetVelocity();
    CVector p1 = Predicted(p0, u0, elapsed);
    object.SetPosition(p1);
    int32_t tileWidth = m_map->GetTileWidth(), tileHeight = m_map->GetTileHeight();
    int32_t cx = static_cast<int32_t>(p1.GetX() / tileWidth),
            cy = static_cast<int32_t>(p1.GetY() / tileHeight);
    CGameObject& wall = m_wall;
    wall.SetRadius(kWallRadius);
    float reach = object.GetRadius() + kWallRadius;
    int32_t codes[3][3];
    m_map->GetNeighbourhood(cx, cy, codes);
    for (int32_t dx = -1; dx <= 1; ++dx)
        for (int32_t dy = -1; dy <= 1; ++dy)
        {
            const CollisionPolygon& outline = CMap::OutlineForCode(codes[dx + 1][dy + 1]);
            if (outline.GetPoints().empty())
                continue;
            CVector centre((cx + dx) * tileWidth + tileWidth / 2, (cy + dy) * tileHeight + tileHeight / 2, 1);
            if (!MayTouch(p1, centre, reach, worldWidth, worldHeight))
                continue;
            wall.SetSingleOutline(outline);
            wall.SetPosition(centre);
            if (!object.Collides(wall, worldWidth, worldHeight))
                continue;
            HitWall(object, wall, p0, u0, elapsed, worldWidth, worldHeight);
            object.SetPosition(p0);
            return;
        }
    object.SetPosition(p0);
}

// The object touched a wall cell: it learns of it from p0, a ship that dies
// there is announced and bursts, and an object that would still be in the
// wall after its new velocity is sent back the way it came.
void CGameWorld::HitWall(CGameObject& object, CGameObject& wall, const CVector& p0, const CVector& u0,
                         int32_t elapsed, float worldWidth, float worldHeight)
{
    object.SetPosition(p0);
    object.OnCollide(wall);
    if (object.GetKind() == KIND_SHIP && !object.IsActive())
    {
        auto& ship = static_cast<CShip&>(object);
        Log().Print("%s tried to land.  It didn't go so well...", ship.GetName().c_str());
        ship.AddFrags(-1);
        SpawnShrapnel(p0, ship.GetId());
    }
    object.SetPosition(Predicted(p0, object.GetVelocity(), elapsed));
    if (object.Collides(wall, worldWidth, worldHeight))
        object.SetVelocity(u0 * -1.0);
}

void CGameWorld::CollideShipsWithShips(float worldWidth, float worldHeight)
{
    for (auto a = m_players.begin(); a != m_players.end(); ++a)
    {
        CShip& first = **a;
        if (!first.IsActive())
            continue;
        for (auto b = std::next(a); b != m_players.end(); ++b)
        {
            CShip& second = **b;
            if (!second.IsActive() || !first.Collides(second, worldWidth, worldHeight))
                continue;
            first.OnCollide(second);
            second.OnCollide(first);
            CreditRamming(first, second);
            CreditRamming(second, first);
            break;
        }
    }
}

// `victim` went out of play against `survivor`.
void CGameWorld::CreditRamming(CShip& victim, CShip& survivor)
{
    if (victim.IsActive())
        return;
    victim.AddFrags(-1);
    survivor.AddFrags(1);
    Log().Print("%s ran over %s", survivor.GetName().c_str(), victim.GetName().c_str());
}

void CGameWorld::CollideShipsWithTurrets(float worldWidth, float worldHeight)
{
    for (auto& entry : m_players)
    {
        CShip& ship = *entry;
        for (auto& turret : m_turrets)
        {
            if (!ship.IsActive() || !turret->IsActive() ||
                !MayTouch(ship, *turret, worldWidth, worldHeight) ||
                !ship.Collides(*turret, worldWidth, worldHeight))
                continue;
            ship.OnCollide(*turret);
            turret->OnCollide(ship);
            if (!ship.IsActive())
                ship.AddFrags(-1);
            break;
        }
    }
}

void CGameWorld::CollideShipsWithObjects(float worldWidth, float worldHeight)
{
    for (auto& entry : m_players)
    {
        CShip& ship = *entry;
        for (auto& object : m_objects)
        {
            if (!ship.IsActive() || !object || !object->IsActive() ||
                !MayTouch(ship, *object, worldWidth, worldHeight))
                continue;
            if (!ship.Collides(*object, worldWidth, worldHeight) &&
                !object->Collides(ship, worldWidth, worldHeight))
                continue;
            ship.OnCollide(*object);
            object->OnCollide(ship);
            if (!ship.IsActive())
                CreditObjectKill(ship, *object);
            break;
        }
    }
}

// Who gets the frag when a ship dies against an object, and the line said.
void CGameWorld::CreditObjectKill(CShip& victim, const CGameObject& object)
{
    ObjectId owner = object.GetOwnerId();
    victim.AddFrags(-1);
    SpawnShrapnel(victim.GetPosition(), victim.GetId());
    if (owner == 0)
    {
        Log().Print("Seems the locals didn't like %s very much", victim.GetName().c_str());
        return;
    }
    CShip* killer = FindPlayer(owner);
    if (!killer)
        return;
    if (killer == &victim)
    {
        Log().Print("%s committed suicide", victim.GetName().c_str());
        killer->AddFrags(-1);
        return;
    }
    killer->AddFrags(1);
    if (object.GetKind() == KIND_SHRAPNEL)
        Log().Print("%s crashed into %s's debris field", victim.GetName().c_str(), killer->GetName().c_str());
    else
        Log().Print("%s was killed by %s", victim.GetName().c_str(), killer->GetName().c_str());
}

void CGameWorld::CollideTurretsWithObjects(float worldWidth, float worldHeight)
{
    for (auto& turret : m_turrets)
        for (auto& object : m_objects)
        {
            if (!turret->IsActive() || !object || !object->IsActive() ||
                !MayTouch(*turret, *object, worldWidth, worldHeight) ||
                !turret->Collides(*object, worldWidth, worldHeight))
                continue;
            turret->OnCollide(*object);
            object->OnCollide(*turret);
            break;
        }
}

void CGameWorld::TriggerMines()
{
    std::vector<CGameObject*> mines;
    for (auto& object : m_objects)
        if (object && object->IsActive() && IsMine(*object))
            mines.push_back(object.get());
    double range = g_settings.MineRange;
    for (auto& ship : m_players)
        for (CGameObject* mine : mines)
        {
            if (!ship->IsActive() || !mine->IsActive() || mine->GetOwnerId() == ship->GetId())
                continue;
            CVector d = ship->GetPosition() - mine->GetPosition();
            if (d.Dot(d) < range * range && HasClearLine(*ship, *mine))
                mine->Kill();
        }
}

void CGameWorld::ExplodeMines()
{
    for (auto& mine : m_objects)
        if (mine && !mine->IsActive() && IsMine(*mine))
            Explode(*mine);
}

void CGameWorld::Explode(const CGameObject& mine)
{
    bool plasma = mine.GetKind() == KIND_PLASMA_MINE;
    float accel = plasma ? g_settings.PlasmaMineExplosionAccel : g_settings.MineExplosionAccel;
    float damage = plasma ? g_settings.PlasmaMineDamage : g_settings.MineDamage;
    CShip* owner = FindPlayer(mine.GetOwnerId());
    std::string ownerName = owner ? owner->GetName() : "";
    for (auto& ship : m_players)
        if (ship->IsActive())
            BlastShip(mine, *ship, owner, ownerName, accel, damage);
    for (auto& object : m_objects)
    {
        if (!object || object.get() == &mine)
            continue;
        CVector d = object->GetPosition() - mine.GetPosition();
        double distance = d.Length();
        if (distance < g_settings.MinePushRange && HasClearLine(mine, *object))
            Push(*object, d, distance, accel);
    }
}

void CGameWorld::BlastShip(const CGameObject& mine, CShip& ship, CShip* owner, const std::string& ownerName,
                           float accel, float damage)
{
    CVector d = ship.GetPosition() - mine.GetPosition();
    double distance = d.Length();
    if (distance > g_settings.MinePushRange || !HasClearLine(mine, ship))
        return;
    if (distance <= g_settings.MineDamageRange)
    {
        if (ship.ShieldsUp())
            ship.AddFuel(-static_cast<float>((1 - distance / g_settings.MineDamageRange) * damage));
        if (!ship.ShieldsUp() || ship.GetFuel() <= 0)
        {
            const char* line =
                ship.ShieldsUp() ? "%s's shields were buckled by %s's mine" : "%s was killed by %s's mine";
            ship.Kill();
            if (owner)
                owner->AddFrags(1);
            ship.AddFrags(-1);
            Log().Print(line, ship.GetName().c_str(), ownerName.c_str());
            return;
        }
    }
    Push(ship, d, distance, accel);
}

// Adds (1 - distance / push range) x accel away from the blast, directly.
void CGameWorld::Push(CGameObject& object, CVector offset, double distance, float accel)
{
    offset.SetZ(0);
    offset.Normalize();
    double strength = (1 - distance / g_settings.MinePushRange) * accel;
    object.SetVelocity(object.GetVelocity() + offset * strength);
}

bool CGameWorld::HasClearLine(const CGameObject& from, const CGameObject& to)
{
    CLockGuard guard(m_lock);
    if (!m_map || m_map->GetColumns() <= 0 || m_map->GetRows() <= 0)
        return true;
    CVector a = from.GetPosition();
    CVector d = WrappedOffset(a, to.GetPosition(), static_cast<float>(GetWorldWidth()),
                              static_cast<float>(GetWorldHeight()));
    double distance = d.Length();
    d.Normalize();
    int32_t tileWidth = m_map->GetTileWidth(), tileHeight = m_map->GetTileHeight();
    CVector step = d * (tileWidth / 4.0);
    CVector p = a;
    do
    {
        int32_t cx = static_cast<int32_t>(p.GetX() / tileWidth),
                cy = static_cast<int32_t>(p.GetY() / tileHeight);
        int32_t code = m_map->GetTile(cx, cy);
        const CollisionPolygon& outline = CMap::OutlineForCode(code);
        if (!outline.GetPoints().empty())
        {
            CVector centre(cx * tileWidth + tileWidth / 2, cy * tileHeight + tileHeight / 2, 0);
            CVector edge;
            CVector start = a - centre, here = p - centre;
            if (outline.CrossedEdge(static_cast<float>(start.GetX()), static_cast<float>(start.GetY()),
                                    static_cast<float>(here.GetX()), static_cast<float>(here.GetY()),
                                    edge) != 0)
                return false;
        }
        p = p + step;
    } while ((p - a).Length() < distance);
    return true;
}

void CGameWorld::SpawnShrapnel(const CVector& position, ObjectId ownerId)
{
    CLockGuard guard(m_lock);
    for (int32_t i = 0; i < g_settings.ShrapnelCount; ++i)
    {
        auto* piece = new CShrapnel();
        piece->SetOwnerId(ownerId);
        piece->Respawn(static_cast<float>(position.GetX()), static_cast<float>(position.GetY()));
        piece->SetPosition(position);
        piece->SetShape(platform::Rand() % 2);
        float angle = static_cast<float>(platform::Rand() % 360);
        piece->SetAngle(angle);
        float speed = g_settings.ShrapnelSpeed;
        piece->SetVelocity(CVector(speed * trig::Cos(angle), speed * trig::Sin(angle), 0));
        AddObject(piece);
    }
}
