#include "net/Message.h"

#include <algorithm>
#include <cstring>

namespace
{
void CopyText(const std::string& text, char* buffer, size_t size)
{
    if (!buffer || size == 0)
        return;
    std::memset(buffer, 0, size);
    std::memcpy(buffer, text.data(), std::min(text.size(), size - 1));
}
} // namespace

void CMessage::Clear()
{
    m_type = MSG_NONE;
    m_text.clear();
    m_codes.clear();
}

void CMessage::SetText(const char* text)
{
    m_type = MSG_TEXT;
    m_text = text ? text : "";
}

void CMessage::SetJoin(ObjectId objectId, uint32_t shipType, const char* name)
{
    m_type = MSG_JOIN;
    m_objectId = objectId;
    m_value = shipType;
    m_text = name ? name : "";
}

void CMessage::SetMap(const char* name)
{
    m_type = MSG_MAP;
    m_text = name ? name : "";
}

void CMessage::SetRoundOver()
{
    m_type = MSG_ROUND_OVER;
}

void CMessage::SetShipInfo(ObjectId objectId, int32_t x, int32_t y, uint32_t shipType, const char* name)
{
    m_type = MSG_SHIP_INFO;
    m_objectId = objectId;
    m_x = x;
    m_y = y;
    m_value = shipType;
    m_text = name ? name : "";
}

void CMessage::SetIdOnly(MessageType type, ObjectId objectId)
{
    m_type = type;
    m_objectId = objectId;
}

void CMessage::SetPlayerLeft(ObjectId objectId)
{
    SetIdOnly(MSG_PLAYER_LEFT, objectId);
}

void CMessage::SetShipDied(ObjectId objectId)
{
    SetIdOnly(MSG_SHIP_DIED, objectId);
}

void CMessage::SetObjectGone(ObjectId objectId)
{
    SetIdOnly(MSG_OBJECT_GONE, objectId);
}

void CMessage::SetShipState(const ShipState& state)
{
    m_type = MSG_SHIP_STATE;
    m_objectId = state.objectId;
    m_flags = state.flags;
    m_fuel = state.fuel;
    m_capacity = state.capacity;
    m_frags = state.frags;
    m_counts[0] = state.missiles;
    m_counts[1] = state.mines;
    m_counts[2] = state.plasmaMines;
    m_counts[3] = state.repulses;
    m_position = state.position;
    m_velocity = state.velocity;
    m_angle = state.angle;
}

void CMessage::SetShipState(ObjectId objectId, uint8_t flags, float fuel, float capacity, int8_t frags,
                            uint8_t missiles, uint8_t mines, uint8_t plasmaMines, uint8_t repulses,
                            const CVector& position, const CVector& velocity, float angle)
{
    SetShipState(ShipState{objectId, flags, fuel, capacity, frags, missiles, mines, plasmaMines, repulses,
                           position, velocity, angle});
}

void CMessage::SetObjectState(ObjectId objectId, int32_t kind, const CVector& position,
                              const CVector& velocity, float angle, int32_t subtype)
{
    m_type = MSG_OBJECT_STATE;
    m_objectId = objectId;
    m_kind = kind;
    m_position = position;
    m_velocity = velocity;
    m_angle = angle;
    m_subtype = subtype;
}

void CMessage::SetTurretState(ObjectId objectId, int32_t direction, uint8_t inPlay, const CVector& position)
{
    m_type = MSG_TURRET_STATE;
    m_objectId = objectId;
    m_kind = direction;
    m_flags = inPlay;
    m_position = position;
}

void CMessage::SetTile(int32_t column, int32_t row, uint8_t value)
{
    m_type = MSG_TILE;
    m_x = column;
    m_y = row;
    m_flags = value;
}

void CMessage::SetKeys(ObjectId objectId, const uint32_t* codes, uint32_t count)
{
    if (!codes || count < 1)
        return;
    m_type = MSG_KEYS;
    m_objectId = objectId;
    m_codes.assign(codes, codes + count);
}

void CMessage::SetShutdown(int32_t value)
{
    m_type = MSG_SHUTDOWN;
    m_value = value < 0 ? 0 : static_cast<uint32_t>(value);
}

void CMessage::SetPing(uint32_t clock)
{
    m_type = MSG_PING;
    m_value = clock;
}

void CMessage::SetPong(uint32_t clock)
{
    m_type = MSG_PONG;
    m_value = clock;
}

bool CMessage::GetText(char* buffer, size_t size) const
{
    if (m_type != MSG_TEXT)
        return false;
    CopyText(m_text, buffer, size);
    return true;
}

bool CMessage::GetJoin(ObjectId& objectId, uint32_t& shipType, char* name, size_t size) const
{
    if (m_type != MSG_JOIN)
        return false;
    objectId = m_objectId;
    shipType = m_value;
    CopyText(m_text, name, size);
    return true;
}

bool CMessage::GetMap(char* buffer, size_t size) const
{
    if (m_type != MSG_MAP)
        return false;
    CopyText(m_text, buffer, size);
    return true;
}

bool CMessage::GetShipInfo(ObjectId& objectId, int32_t& x, int32_t& y, uint32_t& shipType, char* name,
                           size_t size) const
{
    if (m_type != MSG_SHIP_INFO)
        return false;
    objectId = m_objectId;
    x = m_x;
    y = m_y;
    shipType = m_value;
    CopyText(m_text, name, size);
    return true;
}

bool CMessage::GetIdOnly(MessageType type, ObjectId& objectId) const
{
    if (m_type != type)
        return false;
    objectId = m_objectId;
    return true;
}

bool CMessage::GetPlayerLeft(ObjectId& objectId) const
{
    return GetIdOnly(MSG_PLAYER_LEFT, objectId);
}

bool CMessage::GetShipDied(ObjectId& objectId) const
{
    return GetIdOnly(MSG_SHIP_DIED, objectId);
}

bool CMessage::GetObjectGone(ObjectId& objectId) const
{
    return GetIdOnly(MSG_OBJECT_GONE, objectId);
}

bool CMessage::GetShipState(ShipState& state) const
{
    if (m_type != MSG_SHIP_STATE)
        return false;
    state = ShipState{m_objectId,  m_flags,     m_fuel,      m_capacity, m_frags,    m_counts[0],
                      m_counts[1], m_counts[2], m_counts[3], m_position, m_velocity, m_angle};
    return true;
}

bool CMessage::GetObjectState(ObjectId& objectId, int32_t& kind, CVector& position, CVector& velocity,
                              float& angle, int32_t& subtype) const
{
    if (m_type != MSG_OBJECT_STATE)
        return false;
    objectId = m_objectId;
    kind = m_kind;
    position = m_position;
    velocity = m_velocity;
    angle = m_angle;
    subtype = m_subtype;
    return true;
}

bool CMessage::GetTurretState(ObjectId& objectId, int32_t& direction, uint8_t& inPlay,
                              CVector& position) const
{
    if (m_type != MSG_TURRET_STATE)
        return false;
    objectId = m_objectId;
    direction = m_kind;
    inPlay = m_flags;
    position = m_position;
    return true;
}

bool CMessage::GetTile(int32_t& column, int32_t& row, uint8_t& value) const
{
    if (m_type != MSG_TILE)
        return false;
    column = m_x;
    row = m_y;
    value = m_flags;
    return true;
}

bool CMessage::GetKeys(ObjectId& objectId, uint32_t* codes, uint32_t& count) const
{
    if (m_type != MSG_KEYS)
        return false;
    objectId = m_objectId;
    const auto stored = static_cast<uint32_t>(m_codes.size());
    if (!codes)
    {
        count = stored;
        return true;
    }
    count = std::min(count, stored);
    std::copy_n(m_codes.begin(), count, codes);
    return true;
}

bool CMessage::GetValue(MessageType type, uint32_t& value) const
{
    if (m_type != type)
        return false;
    value = m_value;
    return true;
}

bool CMessage::GetShutdown(uint32_t& value) const
{
    return GetValue(MSG_SHUTDOWN, value);
}

bool CMessage::GetPing(uint32_t& clock) const
{
    return GetValue(MSG_PING, clock);
}

bool CMessage::GetPong(uint32_t& clock) const
{
    return GetValue(MSG_PONG, clock);
}
