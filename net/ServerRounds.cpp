// Rounds: the map rotation, starting a round, welcoming a player who
// registers, map requests and held controls.
#include "net/Server.h"

#include "common/MessageLog.h"
#include "game/Settings.h"
#include "net/MapName.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Random.h"

#include <algorithm>

namespace
{
constexpr const char* kMapsFolder = "Maps";
constexpr size_t kMaxMapPath = 127;
constexpr size_t kMaxRequestName = 1023;

std::string Bounded(std::string text, size_t limit)
{
    if (text.size() > limit)
        text.resize(limit);
    return text;
}

} // namespace

void CServer::AddMap(const char* fileName)
{
    if (!fileName)
        return;
    std::string path = Bounded(std::string(kMapsFolder) + "\\" + fileName, 1023);
    if (platform::FileExists(platform::DataPath(path)))
        m_rotation.push_back(path);
}

std::string CServer::NextMapOfRotation()
{
    if (m_rotation.empty())
        return {};
    if (m_rotationCursor >= m_rotation.size())
        m_rotationCursor = 0;
    return m_rotation[m_rotationCursor++];
}

std::optional<std::string> CServer::RequestedMapPath(const std::string& name) const
{
    if (!map_name::IsPlain(name))
        return std::nullopt;
    std::string path = Bounded(map_name::MapPath(name), kMaxMapPath);
    if (!platform::FileExists(platform::DataPath(path)))
        return std::nullopt;
    return path;
}

bool CServer::NewRound(const char* mapPath)
{
    if (!mapPath && !m_pendingMap)
        m_pendingMap = Bounded(NextMapOfRotation(), kMaxMapPath);
    std::string path = mapPath ? mapPath : *m_pendingMap;
    {
        CLockGuard guard(m_roundLock);
        m_roundOver = false;
    }
    CMessageLog& log = CMessageLog::GetServerLog();
    log.Print("Initializing new round...");
    m_world = std::make_unique<CGameWorld>();
    m_world->SetHost(this);
    log.Print("Loading map... %s", path.c_str());
    auto map = std::make_unique<CMap>();
    map->LoadFromFile(path.c_str());
    platform::SeedRandFromTime();
    StaggerSpawners(*map);
    CMap& attached = *map;
    m_world->AttachMap(map.release());
    AddTurrets(attached);
    log.Print("New round initalized and ready to go.");
    AddShipsForPlayers();
    m_world->SetFragLimit(g_settings.DefaultFragLimit);
    {
        CLockGuard guard(m_roundLock);
        m_batches.clear();
        CMessage message;
        message.SetMap(WorldMapName().c_str());
        QueueMessage(0, message);
    }
    m_pendingMap.reset();
    m_world->StartClock();
    return true;
}

// Spawners whose last spawn lies a whole period back get a random first
// delay, so powerups appear at staggered times after the round starts.
void CServer::StaggerSpawners(CMap& map)
{
    uint32_t now = GetTickCount();
    int32_t period = static_cast<int32_t>(g_settings.PowerupSpawnRate * 1000);
    for (CMap::PowerupSpawner& spawner : map.GetSpawners())
    {
        if (period > 0 && static_cast<uint32_t>(period) <= now - spawner.lastSpawn)
            spawner.lastSpawn = now - static_cast<uint32_t>(platform::Rand() % period);
    }
}

void CServer::AddTurrets(CMap& map)
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
        turret->SetId(static_cast<int32_t>(m_nextTurretId++));
        m_world->AddTurret(turret);
        ++count;
    }
    CMessageLog::GetServerLog().Print("Added %d turrets.", count);
}

// Only players who registered get a ship; the server's own player never does.
void CServer::AddShipsForPlayers()
{
    for (const CPlayerRecord& record : m_players)
        if (record.IsRegistered())
            m_world->AddPlayer(NewShip(record));
}

CShip* CServer::NewShip(const CPlayerRecord& record)
{
    auto* ship = new CShip();
    ship->SetShipType(static_cast<int32_t>(record.GetShipType()));
    ship->SetName(record.GetName().c_str());
    ship->SetId(static_cast<int32_t>(record.GetShipId()));
    ship->SetFrags(0);
    return ship;
}

void CServer::RetireShip(uint32_t shipId)
{
    if (m_world && shipId != 0)
        m_world->RemovePlayer(m_world->FindPlayer(static_cast<int32_t>(shipId)));
    CMessage left;
    left.SetPlayerLeft(shipId);
    SendNow(0, left);
}

std::string CServer::WorldMapName() const
{
    if (!m_world || !m_world->GetMap())
        return {};
    return Bounded(m_world->GetMap()->GetName(), kMaxMapPath);
}

void CServer::OnJoin(platform::PlayerId sender, const CMessage& message)
{
    CPlayerRecord* record = FindPlayer(sender);
    if (!record)
        return;
    uint32_t ignoredId = 0, shipType = 0;
    char name[kMaxPlayerName + 1];
    message.GetJoin(ignoredId, shipType, name, sizeof name);
    // A player who registers again replaces the ship of the earlier join,
    // and everyone is told the old ship is gone.
    if (record->GetShipId() != 0)
        RetireShip(record->GetShipId());
    record->SetShipType(shipType);
    record->SetName(name);
    record->SetShipId(m_nextShipId++);
    Welcome(*record);
}

void CServer::Welcome(CPlayerRecord& record)
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
        m_world->ResetPlayers();
        while (CShip* ship = m_world->NextPlayer())
        {
            CVector position = ship->GetPosition();
            message.SetShipInfo(static_cast<uint32_t>(ship->GetId()), static_cast<int32_t>(position.GetX()),
                                static_cast<int32_t>(position.GetY()),
                                static_cast<uint32_t>(ship->GetShipType()), ship->GetName().c_str());
            batch.Add(message);
        }
    }
    CMessageLog::GetServerLog().Print("%s has joined the game.", record.GetName().c_str());
    if (m_world)
        m_world->AddPlayer(NewShip(record));
    if (m_roundOver)
    {
        message.SetRoundOver();
        batch.Add(message);
    }
    SendBatch(batch);
}

void CServer::OnMapRequest(const CMessage& message)
{
    char name[kMaxRequestName + 1];
    message.GetMap(name, sizeof name);
    CMessageLog::GetServerLog().Print("%s has been requested", name);
    {
        CLockGuard guard(m_roundLock);
        m_roundOver = true;
        std::optional<std::string> path = RequestedMapPath(name);
        m_pendingMap = path ? *path : Bounded(NextMapOfRotation(), kMaxMapPath);
    }
    CMessage roundOver;
    roundOver.SetRoundOver();
    SendNow(0, roundOver);
}

void CServer::OnKeys(platform::PlayerId sender, const CMessage& message)
{
    CPlayerRecord* record = FindPlayer(sender);
    if (!record || !m_world || !m_world->FindPlayer(static_cast<int32_t>(record->GetShipId())))
        return;
    uint32_t objectId = 0;
    uint32_t codes[CPlayerRecord::kMaxKeys] = {};
    uint32_t count = CPlayerRecord::kMaxKeys;
    if (message.GetKeys(objectId, codes, count))
        record->SetKeys(codes, count);
}
