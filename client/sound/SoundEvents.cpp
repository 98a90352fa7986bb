#include "client/sound/SoundEvents.h"

#include "common/MessageLog.h"
#include "game/GameObject.h"
#include "game/Ship.h"
#include "game/Turret.h"
#include "game/World.h"

#include <cmath>
#include <string>
#include <string_view>

namespace
{
constexpr std::string_view kJoinedSuffix = " has joined the game.";
// How far from a turret's centre its shots appear.
constexpr double kTurretMuzzleReach = 40;

bool IsLocal(CShip& ship, CGameWorld& world)
{
    return ship.IsLocal() || &ship == world.FirstPlayer();
}

double WrappedDistance(const CVector& a, const CVector& b, CGameWorld& world)
{
    CVector offset = WrappedOffset(a, b, static_cast<float>(world.GetWorldWidth()),
                                   static_cast<float>(world.GetWorldHeight()));
    return std::hypot(offset.GetX(), offset.GetY());
}

bool StartsAtTurret(const CVector& where, CGameWorld& world)
{
    for (CTurret& turret : world.Turrets())
        if (turret.IsActive() && WrappedDistance(turret.GetPosition(), where, world) <= kTurretMuzzleReach)
            return true;
    return false;
}

// The ship in play touching `object`, if any.
CShip* ShipTouching(const CGameObject& object, CGameWorld& world)
{
    for (CShip& ship : world.Players())
        if (ship.IsActive() && WrappedDistance(ship.GetPosition(), object.GetPosition(), world) <=
                                   ship.GetRadius() + object.GetRadius() + 8)
            return &ship;
    return nullptr;
}

bool IsChatLine(std::string_view text, CGameWorld& world)
{
    for (CShip& ship : world.Players())
    {
        const std::string& name = ship.GetName();
        if (!name.empty() && text.size() > name.size() + 1 && text.substr(0, name.size()) == name &&
            text.substr(name.size(), 2) == ": ")
            return true;
    }
    return false;
}
} // namespace

void CSoundEvents::BeforeApply(const CMessage& message, CGameWorld& world)
{
    switch (message.GetType())
    {
    case MSG_TEXT:
        return OnText(message, world);
    case MSG_OBJECT_STATE:
        return OnObjectState(message, world);
    case MSG_OBJECT_GONE:
        return OnObjectGone(message, world);
    case MSG_SHIP_STATE:
        return OnShipState(message, world);
    case MSG_SHIP_DIED:
        return OnShipDied(message, world);
    case MSG_ROUND_OVER:
        return CueCentred(Sound::RoundOver);
    default:
        return;
    }
}

void CSoundEvents::OnText(const CMessage& message, CGameWorld& world)
{
    char buffer[CMessageLog::kLineSize];
    if (!message.GetText(buffer, sizeof buffer))
        return;
    std::string_view text(buffer);
    if (text.ends_with(kJoinedSuffix))
    {
        // Our own arrival is the game starting, not news.
        CShip* local = world.FirstPlayer();
        if (!local || text != local->GetName() + std::string(kJoinedSuffix))
            CueCentred(Sound::PlayerJoined);
    }
    else if (IsChatLine(text, world))
        CueCentred(Sound::ChatLine);
}

void CSoundEvents::OnObjectState(const CMessage& message, CGameWorld& world)
{
    ObjectId id = 0;
    int32_t kind = 0, subtype = 0;
    CVector position, velocity;
    float angle = 0;
    if (!message.GetObjectState(id, kind, position, velocity, angle, subtype) || world.FindObject(id))
        return;
    switch (kind)
    {
    case KIND_BULLET:
        return CueAt(StartsAtTurret(position, world) ? Sound::TurretShot : Sound::Bullet, position, false);
    case KIND_MISSILE:
        return CueAt(Sound::MissileLaunch, position, false);
    case KIND_MINE:
        return CueAt(Sound::MineLaid, position, false);
    case KIND_PLASMA_MINE:
        return CueAt(Sound::PlasmaMine, position, false);
    case KIND_SHRAPNEL:
        return CueAt(Sound::ShrapnelBurst, position, false);
    default:
        return;
    }
}

void CSoundEvents::OnObjectGone(const CMessage& message, CGameWorld& world)
{
    ObjectId id = 0;
    if (!message.GetObjectGone(id))
        return;
    CGameObject* object = world.FindObject(id);
    if (!object || !object->IsActive() || object->GetKind() != KIND_POWERUP)
        return;
    if (CShip* ship = ShipTouching(*object, world))
        CueAt(Sound::PowerupPickup, object->GetPosition(), IsLocal(*ship, world));
}

void CSoundEvents::OnShipState(const CMessage& message, CGameWorld& world)
{
    CMessage::ShipState state;
    if (!message.GetShipState(state))
        return;
    CShip* ship = world.FindPlayer(state.objectId);
    if (!ship || !ship->IsActive())
        return;
    const bool local = IsLocal(*ship, world);
    const CVector where = state.position;
    const bool wasCloaked = ship->TestStatusBits(STATUS_CLOAKED);
    const bool cloaked = (state.flags & STATUS_CLOAKED) != 0;
    if (cloaked != wasCloaked)
        CueAt(cloaked ? Sound::CloakOn : Sound::CloakOff, where, local);
    const bool repulsed = static_cast<int>(state.repulses) < ship->GetRepulses();
    if (repulsed)
        CueAt(Sound::Repulsor, where, local);
    else if (ship->GetFuel() - state.fuel >= kHitFuelDrop)
        CueAt((state.flags & STATUS_SHIELDS) != 0 ? Sound::ShieldHit : Sound::HullHit, where, local);
}

void CSoundEvents::OnShipDied(const CMessage& message, CGameWorld& world)
{
    ObjectId id = 0;
    if (!message.GetShipDied(id))
        return;
    CShip* ship = world.FindPlayer(id);
    if (ship && ship->IsActive())
        CueAt(Sound::ShipExplosion, ship->GetPosition(), IsLocal(*ship, world));
}

void CSoundEvents::CueAt(Sound sound, const CVector& where, bool centred)
{
    m_cues.push_back({sound, where, centred});
}
