// What the server sends, applied to the client's world: one batch per packet,
// its messages in order. The server is authoritative, so state messages
// overwrite what the client had, and unknown ships and objects are created
// from the messages that describe them.
#include "net/Client.h"

#include "common/MessageLog.h"
#include "game/ObjectId.h"
#include "game/Powerup.h"
#include "game/Projectiles.h"
#include "game/World.h"
#include "net/MapName.h"
#include "net/MessageBatch.h"
#include "platform/Clock.h"
#include "platform/Files.h"

#include <memory>

namespace
{
constexpr size_t kTextSize = CMessageLog::kLineSize; // at most 1023 characters

// A cell index brought onto a grid of `size` cells, as if by repeatedly
// adding or subtracting the size.
int32_t WrapCell(int32_t index, int32_t size)
{
    int64_t wrapped = static_cast<int64_t>(index) % size;
    return static_cast<int32_t>(wrapped < 0 ? wrapped + size : wrapped);
}

// A new object of a kind the server reports, or null for kinds that are not
// created this way (ships, turrets and the map have their own messages).
CGameObject* NewObjectOfKind(int32_t kind, int32_t subtype)
{
    switch (kind)
    {
    case KIND_BULLET:
        return new CBullet();
    case KIND_MISSILE:
        return new CMissile();
    case KIND_MINE:
        return new CMine();
    case KIND_PLASMA_MINE:
        return new CPlasmaMine();
    case KIND_POWERUP:
    {
        auto* powerup = new CPowerup();
        powerup->SetType(subtype);
        return powerup;
    }
    case KIND_SHRAPNEL:
    {
        auto* shrapnel = new CShrapnel();
        shrapnel->SetShape(subtype);
        return shrapnel;
    }
    default:
        return nullptr;
    }
}

float ToFloat(double value)
{
    return static_cast<float>(value);
}
} // namespace

void CClient::OnReceive(const uint8_t* data, size_t size)
{
    // A batch cut short by a bad record is dropped whole: the records before
    // it may belong with the ones that were lost. One batch is reused, so its
    // storage grows to the largest batch once instead of on every packet.
    CLockGuard guard(m_receiveLock);
    if (!m_receiveBatch.Parse(data, size))
        return;
    m_messagesReceived += m_receiveBatch.GetCount();
    m_batchBytesReceived += size;
    m_receiveBatch.ResetCursor();
    CGameWorld* world = m_watcher ? GetWorld() : nullptr;
    while (const CMessage* message = m_receiveBatch.NextMessage())
    {
        if (world)
            m_watcher->BeforeApply(*message, *world);
        Apply(*message);
    }
}

void CClient::Apply(const CMessage& message)
{
    switch (message.GetType())
    {
    case MSG_TEXT:
        return ApplyText(message);
    case MSG_JOIN:
        return ApplyJoin(message);
    case MSG_MAP:
        return ApplyMap(message);
    case MSG_ROUND_OVER:
        m_roundOver = true;
        return;
    case MSG_SHIP_INFO:
        return ApplyShipInfo(message);
    case MSG_PLAYER_LEFT:
        return ApplyPlayerLeft(message);
    case MSG_SHIP_DIED:
        return ApplyShipDied(message);
    case MSG_OBJECT_GONE:
        return ApplyObjectGone(message);
    case MSG_SHIP_STATE:
        return ApplyShipState(message);
    case MSG_OBJECT_STATE:
        return ApplyObjectState(message);
    case MSG_TURRET_STATE:
        return ApplyTurretState(message);
    case MSG_TILE:
        return ApplyTile(message);
    case MSG_PONG:
        return ApplyPong(message);
    default:
        return;
    }
}

void CClient::ApplyText(const CMessage& message)
{
    char text[kTextSize];
    if (message.GetText(text, sizeof text))
        Print("%s", text);
}

// The server's answer to our join: the id of our ship.
void CClient::ApplyJoin(const CMessage& message)
{
    ObjectId id = 0;
    uint32_t shipType = 0;
    char name[kTextSize];
    message.GetJoin(id, shipType, name, sizeof name);
    CGameWorld* world = GetWorld();
    if (CShip* local = world ? world->FirstPlayer() : nullptr)
        local->SetId(id);
}

void CClient::ApplyMap(const CMessage& message)
{
    char name[kTextSize];
    message.GetMap(name, sizeof name);
    ClearRoundOver();
    LoadMap(name);
}

void CClient::LoadMap(const std::string& name)
{
    CGameWorld* world = GetWorld();
    if (world && map_name::IsPlain(name))
    {
        std::string path = map_name::MapPath(name);
        auto map = std::make_unique<CMap>();
        if (platform::FileExists(platform::DataPath(path)) && map->LoadFromFile(path))
        {
            world->AttachMap(map.release());
            Print("Loaded map \"%s\"", name.c_str());
            return;
        }
    }
    Print("Unable to load map \"%s\", maybe you don't have that one?", name.c_str());
}

// A ship put into play: created the first time we hear of it, then placed
// where the server put it. The world's update flag makes the next advance
// take every reported position as it stands.
void CClient::ApplyShipInfo(const CMessage& message)
{
    ObjectId id = 0;
    uint32_t shipType = 0;
    int32_t x = 0, y = 0;
    char name[kTextSize];
    CGameWorld* world = GetWorld();
    if (!world || !message.GetShipInfo(id, x, y, shipType, name, sizeof name))
        return;
    CShip* ship = world->FindPlayer(id);
    if (!ship)
    {
        ship = new CShip();
        ship->SetShipType(static_cast<int32_t>(shipType));
        ship->SetName(name);
        ship->SetId(id);
        world->AddPlayer(ship);
    }
    ship->ForceRespawn(static_cast<float>(x), static_cast<float>(y));
    ship->SetReportedPosition(ship->GetPosition());
    CLockGuard guard(world->GetClientLock());
    world->SetUpdateFlag(true);
}

// The local ship belongs to the game loop and is never removed here, even
// when a player who never registered (ship id 0, like ours before the
// server's answer) leaves.
void CClient::ApplyPlayerLeft(const CMessage& message)
{
    ObjectId id = 0;
    CGameWorld* world = GetWorld();
    if (!world || !message.GetPlayerLeft(id))
        return;
    CShip* ship = world->FindPlayer(id);
    if (ship && ship != world->FirstPlayer() && !ship->IsLocal())
        world->RemovePlayer(ship);
}

void CClient::ApplyShipDied(const CMessage& message)
{
    ObjectId id = 0;
    CGameWorld* world = GetWorld();
    if (!world || !message.GetShipDied(id))
        return;
    if (CShip* ship = world->FindPlayer(id))
        ship->Kill();
}

void CClient::ApplyObjectGone(const CMessage& message)
{
    ObjectId id = 0;
    CGameWorld* world = GetWorld();
    if (!world || !message.GetObjectGone(id))
        return;
    if (CGameObject* object = world->FindObject(id))
        object->Kill();
}

void CClient::ApplyShipState(const CMessage& message)
{
    CMessage::ShipState state;
    CGameWorld* world = GetWorld();
    if (!world || !message.GetShipState(state))
        return;
    CShip* ship = world->FindPlayer(state.objectId);
    if (!ship)
        return;
    ship->SetReportedPosition(state.position);
    ship->SetVelocity(state.velocity);
    ship->SetAngle(state.angle);
    ship->SetStatus(state.flags);
    ship->SetCapacity(state.capacity);
    ship->SetFuel(state.fuel);
    ship->SetFrags(state.frags);
    ship->SetMissiles(static_cast<int8_t>(state.missiles));
    ship->SetMines(static_cast<int8_t>(state.mines));
    ship->SetPlasmaMines(static_cast<int8_t>(state.plasmaMines));
    ship->SetRepulses(static_cast<int8_t>(state.repulses));
}

void CClient::ApplyObjectState(const CMessage& message)
{
    ObjectId id = 0;
    int32_t kind = 0, subtype = 0;
    CVector position, velocity;
    float angle = 0;
    CGameWorld* world = GetWorld();
    if (!world || !message.GetObjectState(id, kind, position, velocity, angle, subtype))
        return;
    CGameObject* object = world->FindObject(id);
    bool created = !object;
    if (created)
    {
        object = NewObjectOfKind(kind, subtype);
        if (!object)
            return;
        world->AddObjectWithId(object, id); // the server's id, not the world's counter
    }
    if (!object->IsActive())
        object->ForceRespawn(ToFloat(position.GetX()), ToFloat(position.GetY()));
    if (created)
        object->SetPosition(position);
    object->SetReportedPosition(position);
    object->SetVelocity(velocity);
    object->SetAngle(angle);
}

void CClient::ApplyTurretState(const CMessage& message)
{
    ObjectId id = 0;
    int32_t direction = 0;
    uint8_t inPlay = 0;
    CVector position;
    CGameWorld* world = GetWorld();
    if (!world || !message.GetTurretState(id, direction, inPlay, position))
        return;
    CTurret* turret = world->FindTurret(id);
    if (!turret)
    {
        turret = new CTurret();
        turret->SetId(id);
        turret->SetFacing(direction);
        turret->SetPosition(position);
        world->AddTurret(turret);
    }
    if (inPlay == 0)
        turret->Kill();
    else
        turret->ForceRespawn(0, 0); // a turret comes back where it stands
}

void CClient::ApplyTile(const CMessage& message)
{
    int32_t column = 0, row = 0;
    uint8_t value = 0;
    CGameWorld* world = GetWorld();
    CMap* map = world ? world->GetMap() : nullptr;
    if (!map || !map->HasCells() || !message.GetTile(column, row, value))
        return;
    map->SetTileState(WrapCell(column, map->GetColumns()), WrapCell(row, map->GetRows()), value);
}

// Half the round trip, measured on our own clock.
void CClient::ApplyPong(const CMessage& message)
{
    uint32_t clock = 0;
    if (message.GetPong(clock))
        m_ping = static_cast<int32_t>((GetTickCount() - clock) >> 1);
}
