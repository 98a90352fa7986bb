// The wire side of CMessage: sizes, Serialize and Deserialize. Each type's
// fields are listed once, in Describe; a writer (into a buffer, or into a
// counter for the size) and a reader walk that one list, so they can never
// disagree. The layout is
// documented at the top of Message.h.
#include "net/Message.h"
#include "platform/ByteIo.h"

#include <cstring>

namespace
{
constexpr size_t kTypeSize = 1;

// A byte sink that only counts, so the size comes from the writer itself.
class ByteCounter
{
public:
    void U8(uint8_t) { m_size += 1; }
    void U32(uint32_t) { m_size += 4; }
    void I32(int32_t) { m_size += 4; }
    void F32(float) { m_size += 4; }
    void Bytes(const void*, size_t count) { m_size += count; }
    size_t Size() const { return m_size; }

private:
    size_t m_size = 0;
};

// Writes the fields into a sink: a ByteWriter over a buffer that GetSize()
// has already checked, or a ByteCounter.
template <typename Sink> class FieldWriter
{
public:
    explicit FieldWriter(Sink& out) : m_out(out) {}
    void U8(uint8_t value) { m_out.U8(value); }
    void I8(int8_t value) { m_out.U8(static_cast<uint8_t>(value)); }
    void U32(uint32_t value) { m_out.U32(value); }
    void I32(int32_t value) { m_out.I32(value); }
    void F32(float value) { m_out.F32(value); }
    // Narrowed from the double CVector to three single floats.
    void Vector(const CVector& v)
    {
        m_out.F32(static_cast<float>(v.GetX()));
        m_out.F32(static_cast<float>(v.GetY()));
        m_out.F32(static_cast<float>(v.GetZ()));
    }
    void Text(const std::string& text)
    {
        m_out.U32(static_cast<uint32_t>(text.size()));
        m_out.Bytes(text.data(), text.size());
    }
    void Codes(const std::vector<uint32_t>& codes)
    {
        m_out.U32(static_cast<uint32_t>(codes.size()));
        for (uint32_t code : codes)
            m_out.U32(code);
    }

private:
    Sink& m_out;
};

// Reads the fields from untrusted bytes. Every read is bounds-checked by the
// byte reader; the first one that does not fit fails the whole message.
class FieldReader
{
public:
    explicit FieldReader(platform::ByteReader& in) : m_in(in) {}
    void U8(uint8_t& value) { value = m_in.U8(); }
    void I8(int8_t& value) { value = static_cast<int8_t>(m_in.U8()); }
    void U32(uint32_t& value) { value = m_in.U32(); }
    void I32(int32_t& value) { value = m_in.I32(); }
    void F32(float& value) { value = m_in.F32(); }
    void Vector(CVector& v)
    {
        float x = m_in.F32();
        float y = m_in.F32();
        float z = m_in.F32();
        v = CVector(x, y, z);
    }
    // A decoded string ends at its first zero byte, as a C string would.
    void Text(std::string& text)
    {
        uint32_t length = m_in.U32();
        const auto* bytes = reinterpret_cast<const char*>(m_in.Bytes(length));
        if (!bytes)
            return;
        const void* zero = std::memchr(bytes, 0, length);
        text.assign(bytes, zero ? static_cast<const char*>(zero) - bytes : length);
    }
    void Codes(std::vector<uint32_t>& codes)
    {
        uint32_t count = m_in.U32();
        // Bound the count by the bytes that remain before allocating for it.
        if (count > m_in.Remaining() / 4)
        {
            m_in.Fail();
            return;
        }
        codes.resize(count);
        for (uint32_t& code : codes)
            code = m_in.U32();
    }

private:
    platform::ByteReader& m_in;
};
} // namespace

// Where a moving thing is, how it moves and where it points: the tail of both
// state messages.
template <typename Io, typename Self> void CMessage::DescribeMotion(Io& io, Self& m)
{
    io.Vector(m.m_position);
    io.Vector(m.m_velocity);
    io.F32(m.m_angle);
}

// The one list of every type's fields, in wire order. `Self` is a const
// CMessage for counting and writing, a CMessage for reading. False for a type
// outside 1 to 17, which has no fields.
template <typename Io, typename Self> bool CMessage::Describe(Io& io, Self& m)
{
    switch (m.m_type)
    {
    case MSG_TEXT:
    case MSG_MAP:
        io.Text(m.m_text);
        return true;
    case MSG_JOIN:
        io.U32(m.m_objectId);
        io.U32(m.m_value);
        io.Text(m.m_text);
        return true;
    case MSG_ROUND_OVER:
        return true;
    case MSG_SHIP_INFO:
        io.U32(m.m_objectId);
        io.I32(m.m_x);
        io.I32(m.m_y);
        io.U32(m.m_value);
        io.Text(m.m_text);
        return true;
    case MSG_PLAYER_LEFT:
    case MSG_SHIP_DIED:
    case MSG_OBJECT_GONE:
        io.U32(m.m_objectId);
        return true;
    case MSG_RESERVED:
    case MSG_OBJECT_STATE:
        io.U32(m.m_objectId);
        io.I32(m.m_kind);
        io.I32(m.m_subtype);
        DescribeMotion(io, m);
        return true;
    case MSG_SHIP_STATE:
        io.U32(m.m_objectId);
        io.U8(m.m_flags);
        io.F32(m.m_fuel);
        io.F32(m.m_capacity);
        io.I8(m.m_frags);
        for (auto& count : m.m_counts)
            io.U8(count);
        DescribeMotion(io, m);
        return true;
    case MSG_TURRET_STATE:
        io.U32(m.m_objectId);
        io.U8(m.m_flags);
        io.I32(m.m_kind);
        io.Vector(m.m_position);
        return true;
    case MSG_TILE:
        io.I32(m.m_x);
        io.I32(m.m_y);
        io.U8(m.m_flags);
        return true;
    case MSG_KEYS:
        io.U32(m.m_objectId);
        io.Codes(m.m_codes);
        return true;
    case MSG_SHUTDOWN:
    case MSG_PING:
    case MSG_PONG:
        io.U32(m.m_value);
        return true;
    default:
        return false;
    }
}

size_t CMessage::GetSize() const
{
    ByteCounter counter;
    FieldWriter<ByteCounter> writer(counter);
    return Describe(writer, *this) ? kTypeSize + counter.Size() : 0;
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
    FieldWriter<platform::ByteWriter> writer(out);
    Describe(writer, *this);
    return out.Ok() && out.Written() == needed;
}

bool CMessage::Deserialize(const uint8_t* bytes, size_t size)
{
    Clear();
    platform::ByteReader in(bytes, size);
    const auto type = static_cast<int8_t>(in.U8());
    if (!in.Ok())
        return false;
    m_type = type;
    FieldReader reader(in);
    Describe(reader, *this);
    if (in.Ok())
        return true;
    Clear();
    return false;
}
