#include "server/session/StateFilter.h"

#include "game/GameObject.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <optional>

namespace
{
// The tolerances, chosen with send_rate_bench so the drawn positions stay
// as close as when every state went: a position off by a third of what the
// client's smoothing shows as a jerk, a velocity whose error stays under a
// unit over the longest carry, a few degrees of angle, a sliver of fuel.
constexpr double kPositionTolerance = 1.5;
constexpr double kVelocityTolerance = 4;
constexpr double kAngleTolerance = 3;
constexpr double kFuelTolerance = 1;

uint64_t Key(int32_t type, ObjectId objectId)
{
    return (static_cast<uint64_t>(static_cast<uint32_t>(type)) << 32) | objectId;
}

int32_t Bits(float value)
{
    return std::bit_cast<int32_t>(value);
}

double Length(const CVector& v)
{
    return std::hypot(v.GetX(), v.GetY());
}

CStateFilter::Snapshot ShipSnapshot(const CMessage::ShipState& s)
{
    return {s.position,
            s.velocity,
            s.angle,
            s.fuel,
            {s.flags, s.frags, s.missiles, s.mines, s.plasmaMines, s.repulses, Bits(s.capacity)}};
}

// The key and snapshot of a state message, or of a death, which has no
// state but being dead; nullopt for every other message.
std::optional<std::pair<uint64_t, CStateFilter::Snapshot>> Describe(const CMessage& message)
{
    ObjectId id = 0;
    int32_t kind = 0, subtype = 0;
    uint8_t inPlay = 0;
    CStateFilter::Snapshot state;
    CMessage::ShipState ship;
    if (message.GetShipState(ship))
        return std::pair{Key(MSG_SHIP_STATE, ship.objectId), ShipSnapshot(ship)};
    if (message.GetObjectState(id, kind, state.position, state.velocity, state.angle, subtype))
    {
        state.exact = {kind, subtype};
        return std::pair{Key(MSG_OBJECT_STATE, id), state};
    }
    if (message.GetTurretState(id, kind, inPlay, state.position))
    {
        state.exact = {kind, inPlay};
        return std::pair{Key(MSG_TURRET_STATE, id), state};
    }
    if (message.GetShipDied(id))
        return std::pair{Key(MSG_SHIP_DIED, id), state};
    return std::nullopt;
}
} // namespace

void CStateFilter::SetWorldSize(float width, float height)
{
    m_width = width;
    m_height = height;
}

bool CStateFilter::Admit(const CMessage& message, uint32_t now)
{
    auto described = Describe(message);
    if (!described)
    {
        NoteOther(message);
        return true;
    }
    auto& [key, state] = *described;
    ObjectId id = static_cast<ObjectId>(key);
    // A ship is either alive, its states told, or dead: what was told of
    // the other condition no longer holds.
    if (message.GetType() == MSG_SHIP_STATE)
        m_told.erase(Key(MSG_SHIP_DIED, id));
    else if (message.GetType() == MSG_SHIP_DIED)
        m_told.erase(Key(MSG_SHIP_STATE, id));
    return AdmitState(key, state, now);
}

bool CStateFilter::AdmitState(uint64_t key, const Snapshot& state, uint32_t now)
{
    auto told = m_told.find(key);
    if (told != m_told.end() && !IsDue(told->second, now) && !Differs(told->second, state, now))
        return false;
    bool settled =
        (told != m_told.end() && now - told->second.at >= kSettleMs) || Length(state.velocity) == 0;
    m_told[key] = {state, now, settled};
    return true;
}

bool CStateFilter::IsDue(const Told& told, uint32_t now) const
{
    return now - told.at >= (told.settled ? m_refreshMs : kSettleMs);
}

bool CStateFilter::Differs(const Told& told, const Snapshot& state, uint32_t now) const
{
    const Snapshot& was = told.state;
    if (was.exact != state.exact || std::fabs(was.fuel - state.fuel) > kFuelTolerance ||
        std::fabs(WrapOffset(state.angle - was.angle, 360)) > kAngleTolerance ||
        Length(state.velocity - was.velocity) > kVelocityTolerance)
        return true;
    uint32_t carried = std::min<uint32_t>(now - told.at, kMaxReportCarryMs);
    CVector expected = was.position + was.velocity * (carried / 1000.0);
    return Length(WrappedOffset(expected, state.position, m_width, m_height)) > kPositionTolerance;
}

// Messages that make the client take a ship or object anew: what was told
// of it before would not be what it holds now.
void CStateFilter::NoteOther(const CMessage& message)
{
    ObjectId id = 0;
    int32_t x = 0, y = 0;
    uint32_t shipType = 0;
    char name[2];
    if (message.GetType() == MSG_MAP)
        Forget();
    else if (message.GetObjectGone(id))
        m_told.erase(Key(MSG_OBJECT_STATE, id));
    else if (message.GetShipInfo(id, x, y, shipType, name, sizeof name) || message.GetPlayerLeft(id))
    {
        m_told.erase(Key(MSG_SHIP_STATE, id));
        m_told.erase(Key(MSG_SHIP_DIED, id));
    }
}
