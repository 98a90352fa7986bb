// Builds one message of any type from the fuzz input through its setter, then
// checks that it encodes to GetSize() bytes and decodes to the same fields,
// with floats narrowed to single precision and text ending at a zero byte.
//
// Input: one byte choosing the type (modulo 16, in table order without the
// reserved type), then the fields in wire order; a string is a length byte and
// that many characters. Missing input reads as zeros.
#include "net/Message.h"
#include "tests/fuzz/FuzzCheck.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
class CInput
{
public:
    CInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    uint8_t U8() { return m_offset < m_size ? m_data[m_offset++] : 0; }
    uint32_t U32()
    {
        uint32_t value = 0;
        for (int shift = 0; shift < 32; shift += 8)
            value |= uint32_t(U8()) << shift;
        return value;
    }
    int32_t I32() { return static_cast<int32_t>(U32()); }
    float F32() { return std::bit_cast<float>(U32()); }
    double F64()
    {
        uint64_t low = U32();
        return std::bit_cast<double>(low | uint64_t(U32()) << 32);
    }
    CVector Vector()
    {
        double x = F64(), y = F64(), z = F64();
        return CVector(x, y, z);
    }
    std::string Text()
    {
        std::string text(U8(), '\0');
        for (char& c : text)
            c = static_cast<char>(U8());
        return text;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_offset = 0;
};

CMessage::ShipState ShipState(CInput& in)
{
    CMessage::ShipState s;
    s.objectId = in.U32();
    s.flags = in.U8();
    s.fuel = in.F32();
    s.capacity = in.F32();
    s.frags = static_cast<int8_t>(in.U8());
    s.missiles = in.U8();
    s.mines = in.U8();
    s.plasmaMines = in.U8();
    s.repulses = in.U8();
    s.position = in.Vector();
    s.velocity = in.Vector();
    s.angle = in.F32();
    return s;
}

// Each type's setter fed from the input, in table order without the reserved
// type. Fields are read into variables first, so they are read in wire order.
using Builder = void (*)(CInput&, CMessage&);
const Builder kBuilders[] = {
    [](CInput& in, CMessage& m) { m.SetText(in.Text().c_str()); },
    [](CInput& in, CMessage& m)
    {
        uint32_t id = in.U32(), shipType = in.U32();
        m.SetJoin(id, shipType, in.Text().c_str());
    },
    [](CInput& in, CMessage& m) { m.SetMap(in.Text().c_str()); },
    [](CInput&, CMessage& m) { m.SetRoundOver(); },
    [](CInput& in, CMessage& m)
    {
        uint32_t id = in.U32();
        int32_t x = in.I32(), y = in.I32();
        uint32_t shipType = in.U32();
        m.SetShipInfo(id, x, y, shipType, in.Text().c_str());
    },
    [](CInput& in, CMessage& m) { m.SetPlayerLeft(in.U32()); },
    [](CInput& in, CMessage& m) { m.SetShipDied(in.U32()); },
    [](CInput& in, CMessage& m) { m.SetObjectGone(in.U32()); },
    [](CInput& in, CMessage& m) { m.SetShipState(ShipState(in)); },
    [](CInput& in, CMessage& m)
    {
        uint32_t id = in.U32();
        int32_t kind = in.I32();
        CVector position = in.Vector(), velocity = in.Vector();
        float angle = in.F32();
        m.SetObjectState(id, kind, position, velocity, angle, in.I32());
    },
    [](CInput& in, CMessage& m)
    {
        uint32_t id = in.U32();
        int32_t direction = in.I32();
        uint8_t inPlay = in.U8();
        m.SetTurretState(id, direction, inPlay, in.Vector());
    },
    [](CInput& in, CMessage& m)
    {
        int32_t column = in.I32(), row = in.I32();
        m.SetTile(column, row, in.U8());
    },
    [](CInput& in, CMessage& m)
    {
        uint32_t id = in.U32();
        std::vector<uint32_t> codes(in.U8());
        for (uint32_t& code : codes)
            code = in.U32();
        m.SetKeys(id, codes.data(), static_cast<uint32_t>(codes.size()));
    },
    [](CInput& in, CMessage& m) { m.SetShutdown(in.I32()); },
    [](CInput& in, CMessage& m) { m.SetPing(in.U32()); },
    [](CInput& in, CMessage& m) { m.SetPong(in.U32()); },
};
static_assert(std::size(kBuilders) == 16);

// Everything the getters give, as text: numbers at the wire's precision
// (floats single, any NaN alike), text up to its zero byte.
class CFields
{
public:
    explicit CFields(const CMessage& message) { Add(message.GetType()); }
    template <typename... Values> void Add(const Values&... values) { (Put(values), ...); }
    const std::string& Text() const { return m_text; }

private:
    void Put(const char* text) { m_text += std::string(text) + '\0'; }
    void Put(float value) { Put(std::isnan(value) ? "nan" : std::to_string(std::bit_cast<uint32_t>(value))); }
    void Put(const CVector& v) { Add(float(v.GetX()), float(v.GetY()), float(v.GetZ())); }
    void Put(const std::string& text) { Put(text.c_str()); }
    template <typename Integer> void Put(Integer value) { Put(std::to_string(int64_t(value))); }
    std::string m_text;
};

std::string Fields(const CMessage& m)
{
    CFields out(m);
    char text[300];
    uint32_t id = 0, value = 0;
    int32_t x = 0, y = 0;
    uint8_t byte = 0;
    CVector position, velocity;
    float angle = 0;
    CMessage::ShipState s;
    if (m.GetText(text, sizeof text) || m.GetMap(text, sizeof text))
        out.Add(text);
    if (m.GetJoin(id, value, text, sizeof text))
        out.Add(id, value, text);
    if (m.GetShipInfo(id, x, y, value, text, sizeof text))
        out.Add(id, x, y, value, text);
    if (m.GetShipState(s))
        out.Add(s.objectId, s.flags, s.fuel, s.capacity, s.frags, s.missiles, s.mines, s.plasmaMines,
                s.repulses, s.position, s.velocity, s.angle);
    if (m.GetObjectState(id, x, position, velocity, angle, y))
        out.Add(id, x, position, velocity, angle, y);
    if (m.GetTurretState(id, x, byte, position))
        out.Add(id, x, byte, position);
    if (m.GetTile(x, y, byte))
        out.Add(x, y, byte);
    if (m.GetKeys(id, nullptr, value))
    {
        std::vector<uint32_t> codes(value);
        m.GetKeys(id, codes.data(), value);
        out.Add(id, value);
        for (uint32_t code : codes)
            out.Add(code);
    }
    using U32Getter = bool (CMessage::*)(uint32_t&) const;
    for (U32Getter getter : {&CMessage::GetPlayerLeft, &CMessage::GetShipDied, &CMessage::GetObjectGone,
                             &CMessage::GetShutdown, &CMessage::GetPing, &CMessage::GetPong})
        if ((m.*getter)(value))
            out.Add(value);
    return out.Text();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    CInput in(data + 1, size - 1);
    CMessage sent;
    kBuilders[data[0] % 16](in, sent);
    if (sent.GetType() == MSG_NONE)
        return 0; // a keys message without codes is never made
    std::vector<uint8_t> bytes = WrittenBytes(sent, sent.GetSize(), &CMessage::Serialize);
    CMessage got;
    Check(got.Deserialize(bytes.data(), bytes.size()));
    Check(got.GetSize() == bytes.size());
    Check(Fields(got) == Fields(sent));
    return 0;
}
