#include "server/session/RoundController.h"

#include "common/MessageLog.h"
#include "game/HeldKeys.h"
#include "game/Settings.h"
#include "net/MapName.h"
#include "net/Message.h"
#include "net/MessageBatch.h"
#include "platform/Clock.h"
#include "platform/Random.h"
#include "server/session/PlayerRecord.h"
#include "server/session/PrintableText.h"
#include "server/session/SessionRelay.h"

#include <algorithm>

namespace
{
constexpr size_t kMaxRequestName = 1023;

// Settings that are durations must not turn into huge unsigned waits.
uint32_t NonNegative(int value)
{
    return static_cast<uint32_t>(std::max(value, 0));
}
} // namespace

CRoundController::CRoundController(CSessionRelay& relay, CLock& roundLock)
    : m_relay(relay), m_roundLock(roundLock), m_reports(relay)
{
}

CRoundController::~CRoundController() = default;

void CRoundController::AddMap(const char* fileName)
{
    m_rotation.Add(fileName);
    m_hadMaps = m_hadMaps || !m_rotation.IsEmpty();
}

bool CRoundController::NewRound(const char* mapPath)
{
    std::string path = mapPath ? mapPath : m_pendingMap ? *m_pendingMap : m_rotation.Next();
    m_pendingMap.reset();
    CMessageLog& log = CMessageLog::GetServerLog();
    log.Print("Initializing new round...");
    std::unique_ptr<CMap> map = LoadRoundMap(path);
    if (!map)
        return KeepRound();
    m_world = std::make_unique<CGameWorld>();
    m_world->SetHost(&m_reports);
    platform::SeedRandFromTime();
    StaggerSpawners(*map);
    CMap& attached = *map;
    m_world->AttachMap(map.release());
    AddTurrets(attached);
    log.Print("New round initalized and ready to go.");
    AddShipsForPlayers();
    m_world->SetFragLimit(g_settings.DefaultFragLimit);
    AnnounceRound();
    m_world->StartClock();
    return true;
}

bool CRoundController::StartRound()
{
    m_endOfRoundStart.reset();
    if (!NewRound(nullptr))
        return false;
    m_world->SetFragLimit(g_settings.DefaultFragLimit);
    m_world->SetTimeLimit(g_settings.DefaultTimeLimit);
    return true;
}

void CRoundController::Advance(uint32_t now, int32_t elapsed, const std::function<void()>& beforeTick)
{
    EndRoundOnLimits();
    if (IsRoundOver())
    {
        WaitOutPause(now);
        return;
    }
    if (!m_world)
        return;
    if (beforeTick)
        beforeTick();
    m_world->Tick(elapsed);
}

void CRoundController::EndRoundOnLimits()
{
    if (!m_world || IsRoundOver())
        return;
    // Both limits may fire in the same pass; ending twice does no harm.
    if (m_world->IsFragLimitReached())
    {
        CMessageLog::GetServerLog().Print("Frag Limit Hit!");
        EndRound();
    }
    if (m_world->IsTimeLimitReached())
    {
        CMessageLog::GetServerLog().Print("Time Limit Hit!");
        EndRound();
    }
}

// The pause is measured in whole passes: it starts at the first pass that
// finds the round over, and the round's world is kept until the next one is
// made (when no map loads, it goes on).
void CRoundController::WaitOutPause(uint32_t now)
{
    if (!m_endOfRoundStart)
    {
        m_endOfRoundStart = now;
        return;
    }
    if (now - *m_endOfRoundStart > NonNegative(g_settings.ServerEOR))
        StartRound();
}

// A map that does not load (or has no title) would give an empty arena under
// the name clients draw walls for, so it leaves the rotation and the next map
// is tried. A server that never had a map plays the empty arena.
std::unique_ptr<CMap> CRoundController::LoadRoundMap(std::string path)
{
    CMessageLog& log = CMessageLog::GetServerLog();
    for (;;)
    {
        log.Print("Loading map... %s", path.c_str());
        auto map = std::make_unique<CMap>();
        bool loaded = map->LoadFromFile(path) && !map->GetName().empty();
        if (loaded || (path.empty() && !m_hadMaps))
            return map;
        if (!path.empty())
        {
            log.Print("Map \"%s\" could not be loaded; dropping it from the rotation.", path.c_str());
            m_rotation.Remove(path);
        }
        if (m_rotation.IsEmpty())
            return nullptr;
        path = m_rotation.Next();
    }
}

// No map is left to start a round on: the world and map of the round that
// just ended go on, with the scores and the clock started afresh (the limits
// that ended it would end it again at once).
bool CRoundController::KeepRound()
{
    if (!m_world || !m_world->GetMap())
        return false;
    CMessageLog::GetServerLog().Print("No map could be loaded; the round on \"%s\" goes on.",
                                      WorldMapName().c_str());
    {
        CLockGuard guard(m_world->GetLock());
        for (CShip& ship : m_world->Players())
            ship.SetFrags(0);
    }
    AnnounceRound();
    m_world->StartClock();
    return true;
}

// The round is on: what was queued for the last one is dropped and everyone
// is told the round's map.
void CRoundController::AnnounceRound()
{
    CLockGuard guard(m_roundLock);
    m_roundOver = false;
    m_relay.DropQueued();
    m_relay.SetWorldSize(static_cast<float>(m_world->GetWorldWidth()),
                         static_cast<float>(m_world->GetWorldHeight()));
    CMessage message;
    message.SetMap(WorldMapName().c_str());
    m_relay.QueueMessage(CSessionRelay::kEveryPlayer, message);
}

// Spawners whose last spawn lies a whole period back get a random first
// delay, so powerups appear at staggered times after the round starts.
void CRoundController::StaggerSpawners(CMap& map)
{
    uint32_t now = GetTickCount();
    int32_t period = static_cast<int32_t>(g_settings.PowerupSpawnRate * 1000);
    for (CMap::PowerupSpawner& spawner : map.GetSpawners())
    {
        if (period > 0 && static_cast<uint32_t>(period) <= now - spawner.lastSpawn)
            spawner.lastSpawn = now - static_cast<uint32_t>(platform::Rand() % period);
    }
}

void CRoundController::AddTurrets(CMap& map)
{
    int count = 0;
    int32_t tileWidth = map.GetTileWidth(), tileHeight = map.GetTileHeight();
    for (const auto& [column, row] : map.GetTurretCells())
    {
        int32_t facing = CTurret::FacingForTileCode(map.GetTile(column, row));
        if (facing < 0)
            continue;
        auto* turret = new CTurret();
        turret->SetFacing(facing);
        turret->SetPosition(
            CVector(column * tileWidth + tileWidth / 2, row * tileHeight + tileHeight / 2, 1));
        turret->SetId(m_nextTurretId++);
        m_world->AddTurret(turret);
        ++count;
    }
    CMessageLog::GetServerLog().Print("Added %d turrets.", count);
}

// Only players who registered get a ship; the server's own player never does.
void CRoundController::AddShipsForPlayers()
{
    for (const CPlayerRecord& record : m_relay.GetPlayers())
        if (record.IsRegistered())
            m_world->AddPlayer(NewShip(record));
}

CShip* CRoundController::NewShip(const CPlayerRecord& record)
{
    auto* ship = new CShip();
    ship->SetShipType(static_cast<int32_t>(record.GetShipType()));
    ship->SetName(record.GetName().c_str());
    ship->SetId(record.GetShipId());
    ship->SetFrags(0);
    ship->SetHeldKeys(&record.GetKeys());
    return ship;
}

std::string CRoundController::WorldMapName() const
{
    if (!m_world || !m_world->GetMap())
        return {};
    return m_world->GetMap()->GetName().substr(0, map_name::kMaxLength);
}

bool CRoundController::IsRoundOver()
{
    CLockGuard guard(m_roundLock);
    return m_roundOver;
}

void CRoundController::EndRound()
{
    CLockGuard guard(m_roundLock);
    m_roundOver = true;
    CMessage message;
    message.SetRoundOver();
    m_relay.QueueMessage(CSessionRelay::kEveryPlayer, message);
}

void CRoundController::RetireShip(ObjectId shipId)
{
    if (m_world && shipId != 0)
        m_world->RemovePlayer(m_world->FindPlayer(shipId));
    CMessage left;
    left.SetPlayerLeft(shipId);
    m_relay.SendNow(CSessionRelay::kEveryPlayer, left);
}

void CRoundController::OnJoin(CPlayerRecord& record, const CMessage& message)
{
    if (!record.AllowJoin(GetTickCount()))
        return;
    uint32_t ignoredId = 0, shipType = 0;
    char name[kMaxPlayerName + 1];
    message.GetJoin(ignoredId, shipType, name, sizeof name);
    // A player who registers again replaces the ship of the earlier join,
    // and everyone is told the old ship is gone.
    if (record.GetShipId() != 0)
        RetireShip(record.GetShipId());
    record.SetShipType(shipType);
    record.SetName(PrintableText(name).c_str());
    record.SetShipId(m_nextShipId++);
    Welcome(record);
}

// The new player's batch: its own registration, the map, every ship already
// in the round, and the round's end when it is over; its ship then joins.
void CRoundController::Welcome(const CPlayerRecord& record)
{
    CMessageBatch batch;
    batch.SetTarget(record.GetPlayerId());
    CMessage message;
    message.SetJoin(record.GetShipId(), record.GetShipType(), record.GetName().c_str());
    batch.Add(message);
    message.SetMap(WorldMapName().c_str());
    batch.Add(message);
    CLockGuard guard(m_roundLock);
    if (m_world)
    {
        CLockGuard worldGuard(m_world->GetLock());
        for (const CShip& ship : m_world->Players())
            batch.Add(CWorldReports::ShipInfo(ship));
    }
    CMessageLog::GetServerLog().Print("%s has joined the game.", record.GetName().c_str());
    if (m_world)
        m_world->AddPlayer(NewShip(record));
    if (m_roundOver)
    {
        message.SetRoundOver();
        batch.Add(message);
    }
    m_relay.SendBatch(batch);
    m_relay.OnJoined(record.GetPlayerId());
}

void CRoundController::OnMapRequest(const CMessage& message)
{
    char request[kMaxRequestName + 1];
    message.GetMap(request, sizeof request);
    std::string name = PrintableText(request);
    CMessageLog::GetServerLog().Print("%s has been requested", name.c_str());
    {
        CLockGuard guard(m_roundLock);
        m_roundOver = true;
        m_pendingMap = m_rotation.Resolve(name);
    }
    CMessage roundOver;
    roundOver.SetRoundOver();
    m_relay.SendNow(CSessionRelay::kEveryPlayer, roundOver);
}

void CRoundController::OnKeys(CPlayerRecord& record, const CMessage& message)
{
    if (!m_world || !m_world->FindPlayer(record.GetShipId()))
        return;
    uint32_t objectId = 0;
    uint32_t codes[kMaxHeldKeys] = {};
    uint32_t count = static_cast<uint32_t>(kMaxHeldKeys);
    if (message.GetKeys(objectId, codes, count))
        record.SetKeys(codes, count);
}
