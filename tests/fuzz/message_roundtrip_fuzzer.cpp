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
#include <cstring>
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

bool SameFloat(float a, float b)
{
    return (std::isnan(a) && std::isnan(b)) || std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
}

void CheckVector(const CVector& sent, const CVector& got)
{
    Check(SameFloat(static_cast<float>(sent.GetX()), static_cast<float>(got.GetX())));
    Check(SameFloat(static_cast<float>(sent.GetY()), static_cast<float>(got.GetY())));
    Check(SameFloat(static_cast<float>(sent.GetZ()), static_cast<float>(got.GetZ())));
}

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

// The decoded copy must hold what the setter was given.
void Compare(const CMessage& sent, const CMessage& got)
{
    Check(got.GetType() == sent.GetType());
    char a[300], b[300];
    uint32_t idA = 0, idB = 0, uA = 0, uB = 0;
    int32_t xA = 0, xB = 0, yA = 0, yB = 0;
    if (sent.GetText(a, sizeof a) && got.GetText(b, sizeof b))
        Check(std::strcmp(a, b) == 0);
    if (sent.GetMap(a, sizeof a) && got.GetMap(b, sizeof b))
        Check(std::strcmp(a, b) == 0);
    if (sent.GetJoin(idA, uA, a, sizeof a) && got.GetJoin(idB, uB, b, sizeof b))
        Check(idA == idB && uA == uB && std::strcmp(a, b) == 0);
    if (sent.GetShipInfo(idA, xA, yA, uA, a, sizeof a) && got.GetShipInfo(idB, xB, yB, uB, b, sizeof b))
        Check(idA == idB && xA == xB && yA == yB && uA == uB && std::strcmp(a, b) == 0);
    CMessage::ShipState sA, sB;
    if (sent.GetShipState(sA) && got.GetShipState(sB))
    {
        Check(sA.objectId == sB.objectId && sA.flags == sB.flags && sA.frags == sB.frags);
        Check(sA.missiles == sB.missiles && sA.mines == sB.mines && sA.plasmaMines == sB.plasmaMines);
        Check(sA.repulses == sB.repulses && SameFloat(sA.fuel, sB.fuel) &&
              SameFloat(sA.capacity, sB.capacity));
        Check(SameFloat(sA.angle, sB.angle));
        CheckVector(sA.position, sB.position);
        CheckVector(sA.velocity, sB.velocity);
    }
    CVector pA, pB, vA, vB;
    float angleA = 0, angleB = 0;
    if (sent.GetObjectState(idA, xA, pA, vA, angleA, yA) && got.GetObjectState(idB, xB, pB, vB, angleB, yB))
    {
        Check(idA == idB && xA == xB && yA == yB && SameFloat(angleA, angleB));
        CheckVector(pA, pB);
        CheckVector(vA, vB);
    }
    uint8_t byteA = 0, byteB = 0;
    if (sent.GetTurretState(idA, xA, byteA, pA) && got.GetTurretState(idB, xB, byteB, pB))
    {
        Check(idA == idB && xA == xB && byteA == byteB);
        CheckVector(pA, pB);
    }
    if (sent.GetTile(xA, yA, byteA) && got.GetTile(xB, yB, byteB))
        Check(xA == xB && yA == yB && byteA == byteB);
    if (sent.GetKeys(idA, nullptr, uA) && got.GetKeys(idB, nullptr, uB))
    {
        Check(idA == idB && uA == uB);
        std::vector<uint32_t> codesA(uA), codesB(uB);
        sent.GetKeys(idA, codesA.data(), uA);
        got.GetKeys(idB, codesB.data(), uB);
        Check(codesA == codesB);
    }
    using U32Getter = bool (CMessage::*)(uint32_t&) const;
    for (U32Getter getter : {&CMessage::GetPlayerLeft, &CMessage::GetShipDied, &CMessage::GetObjectGone,
                             &CMessage::GetShutdown, &CMessage::GetPing, &CMessage::GetPong})
        if ((sent.*getter)(uA))
            Check((got.*getter)(uB) && uA == uB);
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
    Compare(sent, got);
    return 0;
}
