#include "game/World.h"

#include "game/Projectiles.h"
#include "game/Settings.h"
#include "platform/Clock.h"
#include "platform/Random.h"

#include <algorithm>
#include <cstdint>

namespace
{
// The list's element at the shared cursor, advancing it; null at the end.
template <typename List, typename Iterator>
auto NextAt(List& list, Iterator& cursor) -> decltype(cursor->get())
{
    while (cursor != list.end() && !*cursor)
        ++cursor;
    if (cursor == list.end())
        return nullptr;
    return (cursor++)->get();
}

// The first entry of the list with this id; null when there is none.
template <typename List>
auto FindById(List& list, ObjectId id) -> decltype(list.front().get())
{
    for (auto& entry : list)
        if (entry && entry->GetId() == id)
            return entry.get();
    return nullptr;
}
} // namespace

CGameWorld::CGameWorld()
    : m_playerCursor(m_players.end()), m_objectCursor(m_objects.end()), m_turretCursor(m_turrets.end()),
      m_startTick(GetTickCount())
{
}

CGameWorld::~CGameWorld() = default;

void CGameWorld::AttachMap(CMap* map)
{
    CLockGuard guard(m_lock);
    if (map)
        m_map.reset(map);
}

void CGameWorld::AddPlayer(CShip* ship)
{
    CLockGuard guard(m_lock);
    if (ship)
        m_players.emplace_back(ship);
}

void CGameWorld::RemovePlayer(CShip* ship)
{
    CLockGuard guard(m_lock);
    if (!ship)
        return;
    // Missiles hold their target by reference: none may outlive the ship.
    for (auto& object : m_objects)
        if (object && object->GetKind() == KIND_MISSILE)
            static_cast<CMissile&>(*object).ForgetTarget(ship);
    for (auto it = m_players.begin(); it != m_players.end();)
    {
        if (it->get() != ship)
        {
            ++it;
            continue;
        }
        if (m_playerCursor == it)
            ++m_playerCursor;
        it = m_players.erase(it);
    }
}

CShip* CGameWorld::FindPlayer(ObjectId id)
{
    CLockGuard guard(m_lock);
    return FindById(m_players, id);
}

CShip* CGameWorld::FirstPlayer()
{
    CLockGuard guard(m_lock);
    return m_players.empty() ? nullptr : m_players.front().get();
}

void CGameWorld::ResetPlayers()
{
    CLockGuard guard(m_lock);
    m_playerCursor = m_players.begin();
}

CShip* CGameWorld::NextPlayer()
{
    CLockGuard guard(m_lock);
    return NextAt(m_players, m_playerCursor);
}

void CGameWorld::AddObject(CGameObject* object)
{
    CLockGuard guard(m_lock);
    if (object)
        AddObjectWithId(object, m_nextObjectId++);
}

void CGameWorld::AddObjectWithId(CGameObject* object, ObjectId id)
{
    CLockGuard guard(m_lock);
    if (!object)
        return;
    object->SetId(id);
    m_objects.emplace_back(object);
    IndexObject(*object);
}

CGameObject* CGameWorld::FindObject(ObjectId id)
{
    CLockGuard guard(m_lock);
    auto it = m_objectIndex.find(id);
    return it == m_objectIndex.end() ? nullptr : it->second.first;
}

void CGameWorld::IndexObject(CGameObject& object)
{
    IdEntry& entry = m_objectIndex[object.GetId()];
    if (entry.count++ == 0)
        entry.first = &object;
}

// Called while the object is still in the list. Only when it shared its id
// and came first is the list walked for the next one.
void CGameWorld::UnindexObject(const CGameObject& object)
{
    auto it = m_objectIndex.find(object.GetId());
    if (it == m_objectIndex.end())
        return;
    if (--it->second.count == 0)
    {
        m_objectIndex.erase(it);
        return;
    }
    if (it->second.first != &object)
        return;
    for (auto& entry : m_objects)
        if (entry && entry.get() != &object && entry->GetId() == object.GetId())
        {
            it->second.first = entry.get();
            return;
        }
}

void CGameWorld::ResetObjects()
{
    CLockGuard guard(m_lock);
    m_objectCursor = m_objects.begin();
}

CGameObject* CGameWorld::NextObject()
{
    CLockGuard guard(m_lock);
    return NextAt(m_objects, m_objectCursor);
}

void CGameWorld::RemoveInactiveObjects()
{
    CLockGuard guard(m_lock);
    RemoveDeadObjects();
    EraseNullEntries();
}

void CGameWorld::AddTurret(CTurret* turret)
{
    CLockGuard guard(m_lock);
    if (turret)
        m_turrets.emplace_back(turret);
}

CTurret* CGameWorld::FindTurret(ObjectId id)
{
    CLockGuard guard(m_lock);
    return FindById(m_turrets, id);
}

void CGameWorld::ResetTurrets()
{
    CLockGuard guard(m_lock);
    m_turretCursor = m_turrets.begin();
}

CTurret* CGameWorld::NextTurret()
{
    CLockGuard guard(m_lock);
    return NextAt(m_turrets, m_turretCursor);
}

void CGameWorld::SetFragLimit(int32_t frags)
{
    CLockGuard guard(m_lock);
    if (frags > 0)
        m_fragLimit = frags;
}

void CGameWorld::SetTimeLimit(int32_t minutes)
{
    CLockGuard guard(m_lock);
    // Past the longest round the millisecond count can hold, the product
    // would wrap into a short one; such a limit means the longest instead.
    constexpr uint32_t kMaxMinutes = UINT32_MAX / 60000u;
    if (minutes > 0)
        m_timeLimit = std::min(static_cast<uint32_t>(minutes), kMaxMinutes) * 60000u;
}

void CGameWorld::StartClock()
{
    CLockGuard guard(m_lock);
    m_startTick = GetTickCount();
}

bool CGameWorld::IsFragLimitReached()
{
    CLockGuard guard(m_lock);
    for (auto& ship : m_players)
        if (ship && static_cast<int32_t>(ship->GetFrags()) >= m_fragLimit)
            return true;
    return false;
}

bool CGameWorld::IsTimeLimitReached()
{
    CLockGuard guard(m_lock);
    return GetTickCount() - m_startTick >= m_timeLimit;
}

void CGameWorld::Reset()
{
    CLockGuard guard(m_lock);
    m_map.reset();
    m_objects.clear();
    m_objectIndex.clear();
    m_objectCursor = m_objects.end();
    m_turrets.clear();
    m_turretCursor = m_turrets.end();
    for (auto& ship : m_players)
    {
        ship->SetFrags(0);
        ship->Kill();
    }
    m_fragLimit = g_settings.DefaultFragLimit;
    // The raw minutes first, as stored; then the limit in milliseconds when
    // the setting is positive. A setting of 0 ends the next round at once.
    m_timeLimit = static_cast<uint32_t>(std::max(g_settings.DefaultTimeLimit, 0));
    SetTimeLimit(g_settings.DefaultTimeLimit);
}

int32_t CGameWorld::GetWorldWidth() const
{
    return m_map ? m_map->GetWorldWidth() : 0;
}

int32_t CGameWorld::GetWorldHeight() const
{
    return m_map ? m_map->GetWorldHeight() : 0;
}

CVector CGameWorld::NextSpawnPoint()
{
    CLockGuard guard(m_lock);
    int32_t column = 0, row = 0;
    if (!m_map || !m_map->NextSpawnCell(column, row))
        return CVector(0, 0, 1);
    float tileWidth = static_cast<float>(m_map->GetTileWidth()),
          tileHeight = static_cast<float>(m_map->GetTileHeight());
    return CVector(column * tileWidth + tileWidth / 2, row * tileHeight + tileHeight / 2, 1);
}

void CGameWorld::Tick(int32_t elapsed)
{
    CLockGuard guard(m_lock);
    if (!m_map)
        return;
    int32_t width = GetWorldWidth(), height = GetWorldHeight();
    float widthF = static_cast<float>(width), heightF = static_cast<float>(height);
    CollideAllWithWalls(elapsed, widthF, heightF);
    CollidePairs(widthF, heightF);
    TriggerMines();
    ExplodeMines();
    RemoveDeadObjects();
    ReportDeadShips();
    EraseNullEntries();
    ShipPass(elapsed, width, height);
    SpawnPowerups();
    ObjectPass(elapsed, width, height);
    TurretPass(elapsed);
}

void CGameWorld::CollideAllWithWalls(int32_t elapsed, float worldWidth, float worldHeight)
{
    for (auto& ship : m_players)
        if (ship)
            CollideWithWalls(*ship, elapsed, worldWidth, worldHeight);
    for (auto& object : m_objects)
        if (object)
            CollideWithWalls(*object, elapsed, worldWidth, worldHeight);
}

void CGameWorld::CollidePairs(float worldWidth, float worldHeight)
{
    CollideShipsWithShips(worldWidth, worldHeight);
    CollideShipsWithTurrets(worldWidth, worldHeight);
    CollideShipsWithObjects(worldWidth, worldHeight);
    CollideTurretsWithObjects(worldWidth, worldHeight);
}

void CGameWorld::RemoveDeadObjects()
{
    for (auto& object : m_objects)
        if (object && !object->IsActive())
        {
            if (m_host)
                m_host->OnObjectGone(*object);
            UnindexObject(*object);
            object.reset();
        }
}

void CGameWorld::ReportDeadShips()
{
    for (auto& ship : m_players)
        if (ship && !ship->IsActive() && m_host)
            m_host->OnShipOutOfPlay(*ship);
}

void CGameWorld::EraseNullEntries()
{
    m_objects.remove(nullptr);
    m_objectCursor = m_objects.end();
    m_players.remove(nullptr);
    m_playerCursor = m_players.end();
}

void CGameWorld::Move(CGameObject& object, int32_t elapsed, int32_t worldWidth, int32_t worldHeight)
{
    CVector position = object.GetPosition();
    if (elapsed > 0)
        position = position + (object.GetVelocity() * static_cast<double>(elapsed)) / 1000.0;
    object.SetPosition(position);
    object.WrapPosition(worldWidth, worldHeight);
}

void CGameWorld::ShipPass(int32_t elapsed, int32_t worldWidth, int32_t worldHeight)
{
    for (auto& entry : m_players)
    {
        CShip& ship = *entry;
        if (!ship.IsActive())
            RespawnShip(ship, elapsed);
        if (!ship.IsActive())
            continue;
        const HeldKeys* keys = ship.GetHeldKeys();
        ship.ApplyControls(keys ? keys->data() : nullptr, keys ? keys->size() : 0, elapsed, *this);
        Move(ship, elapsed, worldWidth, worldHeight);
        if (m_host)
            m_host->OnShipState(ship);
    }
}

void CGameWorld::RespawnShip(CShip& ship, int32_t elapsed)
{
    ship.AddDeadTime(elapsed);
    if (!ship.CanRespawn())
        return;
    CVector point = NextSpawnPoint();
    ship.Respawn(static_cast<float>(point.GetX()), static_cast<float>(point.GetY()));
    if (m_host)
        m_host->OnShipInPlay(ship);
}

void CGameWorld::ObjectPass(int32_t elapsed, int32_t worldWidth, int32_t worldHeight)
{
    // Update may add objects (nothing does today), so walk by index-stable
    // list iteration; new entries are reached in the same pass.
    for (auto& object : m_objects)
    {
        if (!object || !object->IsActive())
            continue;
        object->Update(elapsed);
        Move(*object, elapsed, worldWidth, worldHeight);
        if (m_host)
            m_host->OnObjectState(*object, object->GetStateSubtype());
    }
}

void CGameWorld::TurretPass(int32_t elapsed)
{
    for (auto& turret : m_turrets)
    {
        if (!turret->IsActive())
        {
            turret->AddDeadTime(elapsed);
            if (turret->CanRespawn())
                turret->Respawn(0, 0);
        }
        if (m_host)
            m_host->OnTurretState(*turret);
        if (turret->IsActive() && turret->CanFire())
            FireTurretIfReady(*turret);
    }
}

void CGameWorld::FireTurretIfReady(CTurret& turret)
{
    std::vector<CShip*> candidates;
    for (auto& ship : m_players)
    {
        bool hidden = ship->TestStatusBits(STATUS_CLOAKED) && !ship->TestStatusBits(STATUS_FUELLING);
        if (ship->IsActive() && !hidden && turret.InRange(*ship))
            candidates.push_back(ship.get());
    }
    if (candidates.empty())
        return;
    size_t index = static_cast<size_t>(platform::Rand()) % candidates.size();
    TurretFire(turret, *candidates[index]);
}
