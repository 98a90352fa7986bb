// CGameWorld holds one round of play: the map, the players' ships, every other
// live object and the map's turrets, plus the round's frag and time limits.
// On the server it is the authoritative simulation: Tick moves everything,
// resolves collisions, damage and kills, applies the players' held controls,
// respawns ships and turrets, spawns powerups, lets turrets fire, and reports
// the state of every ship, object and turret to its host. The client keeps
// the same class as its copy of the world and advances it its own way.
//
// The world is a torus of (columns x 32) by (rows x 32) units. It owns
// everything in its lists and its map. Every operation takes the world lock,
// which is recursive, so operations may call one another.
#pragma once

#include "common/Lock.h"
#include "game/GameObject.h"
#include "game/Map.h"
#include "game/ObjectId.h"
#include "game/OwnedRange.h"
#include "game/Ship.h"
#include "game/Turret.h"
#include "game/WorldHost.h"

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>

class CGameWorld
{
public:
    CGameWorld();
    ~CGameWorld();
    CGameWorld(const CGameWorld&) = delete;
    CGameWorld& operator=(const CGameWorld&) = delete;

    // The server's session; the client's world has none.
    void SetHost(IWorldHost* host) { m_host = host; }

    // Takes ownership; null is ignored.
    void AttachMap(CMap* map);
    CMap* GetMap() const { return m_map.get(); }

    // Players' ships, in joining order. The world owns them.
    void AddPlayer(CShip* ship);
    // Deletes the ship and forgets it.
    void RemovePlayer(CShip* ship);
    CShip* FindPlayer(ObjectId id);
    // The first ship in joining order: on the client, the local ship.
    CShip* FirstPlayer();
    // Each list also has one shared cursor (Reset..., Next...), which nested
    // or concurrent walks of that list disturb; the ranges below do not.
    void ResetPlayers();
    CShip* NextPlayer();
    size_t GetPlayerCount() const { return m_players.size(); }
    // Plain iteration over the ships, the objects and the turrets.
    COwnedRange<CShip> Players() { return COwnedRange<CShip>(m_players); }
    COwnedRange<CGameObject> Objects() { return COwnedRange<CGameObject>(m_objects); }
    COwnedRange<CTurret> Turrets() { return COwnedRange<CTurret>(m_turrets); }

    // Other objects get their ids from the world's counter, or keep the one
    // given (the client's copies carry the server's ids). An object's id must
    // not change while the world holds it: the lookup is indexed by id.
    void AddObject(CGameObject* object);
    void AddObjectWithId(CGameObject* object, ObjectId id);
    // The first object added with this id that is still held; null if none.
    CGameObject* FindObject(ObjectId id);
    void ResetObjects();
    CGameObject* NextObject();
    size_t GetObjectCount() const { return m_objects.size(); }
    // Deletes every object out of play (telling the host, if any) and drops
    // emptied entries from the object and player lists. The client calls it
    // after each advance; the server's tick does the same on its own.
    void RemoveInactiveObjects();

    // Turrets keep the ids the caller gave them.
    void AddTurret(CTurret* turret);
    CTurret* FindTurret(ObjectId id);
    void ResetTurrets();
    CTurret* NextTurret();
    size_t GetTurretCount() const { return m_turrets.size(); }

    // Stored only when greater than 0; the time limit is in minutes.
    void SetFragLimit(int32_t frags);
    void SetTimeLimit(int32_t minutes);
    int32_t GetFragLimit() const { return m_fragLimit; }
    uint32_t GetTimeLimitMs() const { return m_timeLimit; }
    void StartClock();
    bool IsFragLimitReached();
    bool IsTimeLimitReached();

    // Clears the round: deletes the map, objects and turrets, and takes every
    // ship out of play with no frags.
    void Reset();

    // Advances the round by `elapsed` ms (server).
    void Tick(int32_t elapsed);

    // World size in units: columns x tile width by rows x tile height.
    int32_t GetWorldWidth() const;
    int32_t GetWorldHeight() const;

    // The next spawn point, round-robin over the map's spawn cells; (0, 0)
    // without a map or spawn cells.
    CVector NextSpawnPoint();

    // Collisions, damage and kills.
    void CollideWithWalls(CGameObject& object, int32_t elapsed, float worldWidth, float worldHeight);
    bool HasClearLine(const CGameObject& from, const CGameObject& to);
    void SpawnShrapnel(const CVector& position, ObjectId ownerId);

    // What the ships' controls do in the world.
    void FireBullets(CShip& ship);
    void FireMissile(CShip& ship);
    void DropMine(CShip& ship, int32_t kind);
    void FireRepulsor(CShip& ship);
    // A fuel block within the ship's fuel range: true with its cell.
    bool FindFuelTile(const CShip& ship, int32_t& column, int32_t& row);
    void TurretFire(CTurret& turret, const CShip& target);

    // The client's lock and update flag (the client's game loop uses them).
    CLock& GetClientLock() { return m_clientLock; }
    bool GetUpdateFlag() const { return m_updateFlag; }
    void SetUpdateFlag(bool flag) { m_updateFlag = flag; }
    CLock& GetLock() { return m_lock; }

private:
    void CollideAllWithWalls(int32_t elapsed, float worldWidth, float worldHeight);
    void HitWall(CGameObject& object, CGameObject& wall, const CVector& p0, const CVector& u0,
                 int32_t elapsed, float worldWidth, float worldHeight);
    void CreditRamming(CShip& victim, CShip& survivor);
    void CreditObjectKill(CShip& victim, const CGameObject& object);
    void Explode(const CGameObject& mine);
    void BlastShip(const CGameObject& mine, CShip& ship, CShip* owner, const std::string& ownerName,
                   float accel, float damage);
    static void Push(CGameObject& object, CVector offset, double distance, float accel);
    CGameObject* LaunchAtMuzzle(CShip& ship, CGameObject* projectile, float scale);
    const CShip* PickMissileTarget(const CShip& shooter, const CGameObject& missile);
    void PushAway(CGameObject& object, const CVector& from, const CGameObject& lineFrom,
                  const CGameObject& lineTo);
    void CollidePairs(float worldWidth, float worldHeight);
    void CollideShipsWithShips(float worldWidth, float worldHeight);
    void CollideShipsWithTurrets(float worldWidth, float worldHeight);
    void CollideShipsWithObjects(float worldWidth, float worldHeight);
    void CollideTurretsWithObjects(float worldWidth, float worldHeight);
    void TriggerMines();
    void ExplodeMines();
    void RemoveDeadObjects();
    void ReportDeadShips();
    void EraseNullEntries();
    void ShipPass(int32_t elapsed, int32_t worldWidth, int32_t worldHeight);
    void RespawnShip(CShip& ship, int32_t elapsed);
    void SpawnPowerups();
    void ObjectPass(int32_t elapsed, int32_t worldWidth, int32_t worldHeight);
    void TurretPass(int32_t elapsed);
    void FireTurretIfReady(CTurret& turret);
    static void Move(CGameObject& object, int32_t elapsed, int32_t worldWidth, int32_t worldHeight);
    void IndexObject(CGameObject& object);
    void UnindexObject(const CGameObject& object);

    // The objects by id: the first held object with each id and how many
    // share it, so a lookup costs the same however many objects there are.
    struct IdEntry
    {
        CGameObject* first = nullptr;
        size_t count = 0;
    };

    std::unique_ptr<CMap> m_map;
    ObjectId m_nextObjectId = 0;
    std::list<std::unique_ptr<CShip>> m_players;
    std::list<std::unique_ptr<CShip>>::iterator m_playerCursor;
    std::list<std::unique_ptr<CGameObject>> m_objects;
    std::list<std::unique_ptr<CGameObject>>::iterator m_objectCursor;
    std::unordered_map<ObjectId, IdEntry> m_objectIndex;
    std::list<std::unique_ptr<CTurret>> m_turrets;
    std::list<std::unique_ptr<CTurret>>::iterator m_turretCursor;
    CLock m_lock;
    CLock m_clientLock;
    bool m_updateFlag = false;
    int32_t m_fragLimit = 5;
    uint32_t m_timeLimit = 15 * 60000;
    uint32_t m_startTick;
    IWorldHost* m_host = nullptr;
    // The stand-in for a wall cell in the wall test, reused from cell to cell.
    CGameObject m_wall{KIND_MAP};
};
