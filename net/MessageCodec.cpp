// The wire side of CMessage: sizes, Serialize and Deserialize. The layout is
// documented at the top of Message.h.
#include "net/Message.h"
#include "platform/ByteIo.h"

#include <cstring>

namespace
{
constexpr size_t kTypeSize = 1;
constexpr size_t kU32Size = 4;
constexpr size_t kObjectStateSize = 41;
constexpr size_t kShipStateSize = 47;
constexpr size_t kTurretStateSize = 22;
constexpr size_t kTileSize = 10;

size_t StringSize(const std::string& text)
{
    return kU32Size + text.size();
}

void WriteString(platform::ByteWriter& out, const std::string& text)
{
    out.U32(static_cast<uint32_t>(text.size()));
    out.Bytes(text.data(), text.size());
}

// A decoded string ends at its first zero byte, as a C string would.
std::string ReadString(platform::ByteReader& in)
{
    uint32_t length = in.U32();
    const auto* bytes = reinterpret_cast<const char*>(in.Bytes(length));
    if (!bytes)
        return {};
    const void* zero = std::memchr(bytes, 0, length);
    return std::string(bytes, zero ? static_cast<const char*>(zero) - bytes : length);
}

void WriteVector(platform::ByteWriter& out, const CVector& v)
{
    out.F32(static_cast<float>(v.GetX()));
    out.F32(static_cast<float>(v.GetY()));
    out.F32(static_cast<float>(v.GetZ()));
}

CVector ReadVector(platform::ByteReader& in)
{
    float x = in.F32();
    float y = in.F32();
    float z = in.F32();
    return CVector(x, y, z);
}
} // namespace

size_t CMessage::GetSize() const
{
    switch (m_type)
    {
    case MSG_TEXT:
    case MSG_MAP:
        return kTypeSize + StringSize(m_text);
    case MSG_JOIN:
        return kTypeSize + 2 * kU32Size + StringSize(m_text);
    case MSG_ROUND_OVER:
        return kTypeSize;
    case MSG_SHIP_INFO:
        return kTypeSize + 4 * kU32Size + StringSize(m_text);
    case MSG_PLAYER_LEFT:
    case MSG_SHIP_DIED:
    case MSG_OBJECT_GONE:
    case MSG_SHUTDOWN:
    case MSG_PING:
    case MSG_PONG:
        return kTypeSize + kU32Size;
    case MSG_RESERVED:
    case MSG_OBJECT_STATE:
        return kObjectStateSize;
    case MSG_SHIP_STATE:
        return kShipStateSize;
    case MSG_TURRET_STATE:
        return kTurretStateSize;
    case MSG_TILE:
        return kTileSize;
    case MSG_KEYS:
        return kTypeSize + 2 * kU32Size + kU32Size * m_codes.size();
    default:
        return 0;
    }
}

bool CMessage::Serialize(uint8_t* buffer, size_t size) const
{
    if (!buffer)
        return false;
    std::memset(buffer, 0, size);
    const size_t needed = GetSize();
    if (needed == 0 || size < needed)
        return false;
    platform::ByteWriter out(buffer, needed);
    out.U8(static_cast<uint8_t>(m_type));
    WriteFields(out);
    return out.Ok() && out.Written() == needed;
}

void CMessage::WriteMovingState(platform::ByteWriter& out) const
{
    out.U32(m_objectId);
    out.I32(m_kind);
    out.I32(m_subtype);
    WriteVector(out, m_position);
    WriteVector(out, m_velocity);
    out.F32(m_angle);
}

void CMessage::WriteFields(platform::ByteWriter& out) const
{
    switch (m_type)
    {
    case MSG_TEXT:
    case MSG_MAP:
        WriteString(out, m_text);
        break;
    case MSG_JOIN:
        out.U32(m_objectId);
        out.U32(m_value);
        WriteString(out, m_text);
        break;
    case MSG_SHIP_INFO:
        out.U32(m_objectId);
        out.I32(m_x);
        out.I32(m_y);
        out.U32(m_value);
        WriteString(out, m_text);
        break;
    case MSG_PLAYER_LEFT:
    case MSG_SHIP_DIED:
    case MSG_OBJECT_GONE:
        out.U32(m_objectId);
        break;
    case MSG_RESERVED:
    case MSG_OBJECT_STATE:
        WriteMovingState(out);
        break;
    case MSG_SHIP_STATE:
        out.U32(m_objectId);
        out.U8(m_flags);
        out.F32(m_fuel);
        out.F32(m_capacity);
        out.U8(static_cast<uint8_t>(m_frags));
        for (uint8_t count : m_counts)
            out.U8(count);
        WriteVector(out, m_position);
        WriteVector(out, m_velocity);
        out.F32(m_angle);
        break;
    case MSG_TURRET_STATE:
        out.U32(m_objectId);
        out.U8(m_flags);
        out.I32(m_kind);
        WriteVector(out, m_position);
        break;
    case MSG_TILE:
        out.I32(m_x);
        out.I32(m_y);
        out.U8(m_flags);
        break;
    case MSG_KEYS:
        out.U32(m_objectId);
        out.U32(static_cast<uint32_t>(m_codes.size()));
        for (uint32_t code : m_codes)
            out.U32(code);
        break;
    case MSG_SHUTDOWN:
    case MSG_PING:
    case MSG_PONG:
        out.U32(m_value);
        break;
    default:
        break;
    }
}

bool CMessage::Deserialize(const uint8_t* bytes, size_t size)
{
    Clear();
    platform::ByteReader in(bytes, size);
    const auto type = static_cast<int8_t>(in.U8());
    if (!in.Ok())
        return false;
    m_type = type;
    ReadFields(in);
    if (in.Ok())
        return true;
    Clear();
    return false;
}

void CMessage::ReadMovingState(platform::ByteReader& in)
{
    m_objectId = in.U32();
    m_kind = in.I32();
    m_subtype = in.I32();
    m_position = ReadVector(in);
    m_velocity = ReadVector(in);
    m_angle = in.F32();
}

void CMessage::ReadKeys(platform::ByteReader& in)
{
    m_objectId = in.U32();
    uint32_t count = in.U32();
    // Bound the count by the bytes that remain before allocating for it.
    if (count > in.Remaining() / kU32Size)
    {
        in.Fail();
        return;
    }
    m_codes.resize(count);
    for (uint32_t& code : m_codes)
        code = in.U32();
}

void CMessage::ReadFields(platform::ByteReader& in)
{
    switch (m_type)
    {
    case MSG_TEXT:
    case MSG_MAP:
        m_text = ReadString(in);
        break;
    case MSG_JOIN:
        m_objectId = in.U32();
        m_value = in.U32();
        m_text = ReadString(in);
        break;
    case MSG_SHIP_INFO:
        m_objectId = in.U32();
        m_x = in.I32();
        m_y = in.I32();
        m_value = in.U32();
        m_text = ReadString(in);
        break;
    case MSG_PLAYER_LEFT:
    case MSG_SHIP_DIED:
    case MSG_OBJECT_GONE:
        m_objectId = in.U32();
        break;
    case MSG_RESERVED:
    case MSG_OBJECT_STATE:
        ReadMovingState(in);
        break;
    case MSG_SHIP_STATE:
        m_objectId = in.U32();
        m_flags = in.U8();
        m_fuel = in.F32();
        m_capacity = in.F32();
        m_frags = static_cast<int8_t>(in.U8());
        for (uint8_t& count : m_counts)
            count = in.U8();
        m_position = ReadVector(in);
        m_velocity = ReadVector(in);
        m_angle = in.F32();
        break;
    case MSG_TURRET_STATE:
        m_objectId = in.U32();
        m_flags = in.U8();
        m_kind = in.I32();
        m_position = ReadVector(in);
        break;
    case MSG_TILE:
        m_x = in.I32();
        m_y = in.I32();
        m_flags = in.U8();
        break;
    case MSG_KEYS:
        ReadKeys(in);
        break;
    case MSG_SHUTDOWN:
    case MSG_PING:
    case MSG_PONG:
        m_value = in.U32();
        break;
    default:
        break;
    }
}
