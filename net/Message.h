// CMessage is one game message: everything client and server say to each
// other. It is set by one setter per type, read back by one getter per type,
// and turned into and out of bytes by Serialize and Deserialize, the game's
// only codec. A client sends one message per packet; the server sends batches
// of them (CMessageBatch).
//
// Wire layout. Integers are little-endian, u8/u32/i32 are 1/4/4 bytes, f32 is
// an IEEE-754 single. Fields follow each other without padding. A string is a
// u32 byte count L and L bytes, no terminator. A vector is three f32 (x, y, z),
// narrowed from the double CVector. Offsets count from the type byte at 0.
//
//   type                   size     fields after the type byte
//   1  MSG_TEXT            5 + L    1 string text (chat line, or console line)
//   2  MSG_JOIN            13 + L   1 u32 object id, 5 u32 ship type, 9 string name
//   3  MSG_MAP             5 + L    1 string map name
//   4  MSG_ROUND_OVER      1        -
//   5  MSG_SHIP_INFO       21 + L   1 u32 object id, 5 i32 x, 9 i32 y,
//                                   13 u32 ship type, 17 string name
//   6  MSG_PLAYER_LEFT     5        1 u32 object id
//   7  MSG_RESERVED        41       laid out as MSG_OBJECT_STATE; never sent,
//                                   ignored by receivers
//   8  MSG_SHIP_DIED       5        1 u32 object id
//   9  MSG_OBJECT_GONE     5        1 u32 object id
//   10 MSG_SHIP_STATE      47       1 u32 object id, 5 u8 ship flags, 6 f32 fuel,
//                                   10 f32 fuel capacity, 14 u8 frags (signed),
//                                   15 u8 missiles, 16 u8 mines, 17 u8 plasma
//                                   mines, 18 u8 repulses, 19 vector position,
//                                   31 vector velocity, 43 f32 angle
//   11 MSG_OBJECT_STATE    41       1 u32 object id, 5 u32 kind, 9 u32 subtype,
//                                   13 vector position, 25 vector velocity,
//                                   37 f32 angle
//   12 MSG_TURRET_STATE    22       1 u32 object id, 5 u8 in play (1) or not (0),
//                                   6 u32 direction (0-3), 10 vector position
//   13 MSG_TILE            10       1 i32 column, 5 i32 row, 9 u8 tile state
//   14 MSG_KEYS            9 + 4n   1 u32 object id, 5 u32 n, 9 n x u32 codes
//   15 MSG_SHUTDOWN        5        1 u32 value (0)
//   16 MSG_PING            5        1 u32 sender's millisecond clock
//   17 MSG_PONG            5        1 u32 the clock value of the ping answered
//
// Decoding untrusted bytes: the type is the first byte read as a signed byte.
// Every field is checked against the bytes that remain before it is read, and
// one that runs past the end drops the whole message (Deserialize returns false
// and leaves the message empty). Bytes after the last field are ignored, and a
// type outside 1 to 17 decodes as that bare type with no fields. A decoded
// string ends at its first zero byte, as every text getter would see it.
#pragma once

#include "game/ObjectId.h"
#include "game/Vector.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The longest player name the game sends or keeps; longer names are cut.
constexpr size_t kMaxPlayerName = 127;

enum MessageType : int32_t
{
    MSG_NONE = 0,
    MSG_TEXT = 1,
    MSG_JOIN = 2,
    MSG_MAP = 3,
    MSG_ROUND_OVER = 4,
    MSG_SHIP_INFO = 5,
    MSG_PLAYER_LEFT = 6,
    MSG_RESERVED = 7,
    MSG_SHIP_DIED = 8,
    MSG_OBJECT_GONE = 9,
    MSG_SHIP_STATE = 10,
    MSG_OBJECT_STATE = 11,
    MSG_TURRET_STATE = 12,
    MSG_TILE = 13,
    MSG_KEYS = 14,
    MSG_SHUTDOWN = 15,
    MSG_PING = 16,
    MSG_PONG = 17,
};

class CMessage
{
public:
    // Fields of a MSG_SHIP_STATE, in wire order.
    struct ShipState
    {
        ObjectId objectId = 0;
        uint8_t flags = 0;
        float fuel = 0.0f;
        float capacity = 0.0f;
        int8_t frags = 0;
        uint8_t missiles = 0;
        uint8_t mines = 0;
        uint8_t plasmaMines = 0;
        uint8_t repulses = 0;
        CVector position;
        CVector velocity;
        float angle = 0.0f;
    };

    // Empties the message: type 0, no text, no codes.
    void Clear();
    int32_t GetType() const { return m_type; }

    // Setters: each stores its type and the fields that type uses. Strings are
    // copied; a null string is stored as empty.
    void SetText(const char* text);
    void SetJoin(ObjectId objectId, uint32_t shipType, const char* name);
    void SetMap(const char* name);
    void SetRoundOver();
    void SetShipInfo(ObjectId objectId, int32_t x, int32_t y, uint32_t shipType, const char* name);
    void SetPlayerLeft(ObjectId objectId);
    void SetShipDied(ObjectId objectId);
    void SetObjectGone(ObjectId objectId);
    void SetShipState(const ShipState& state);
    void SetShipState(ObjectId objectId, uint8_t flags, float fuel, float capacity, int8_t frags,
                      uint8_t missiles, uint8_t mines, uint8_t plasmaMines, uint8_t repulses,
                      const CVector& position, const CVector& velocity, float angle);
    void SetObjectState(ObjectId objectId, int32_t kind, const CVector& position, const CVector& velocity,
                        float angle, int32_t subtype);
    void SetTurretState(ObjectId objectId, int32_t direction, uint8_t inPlay, const CVector& position);
    void SetTile(int32_t column, int32_t row, uint8_t value);
    // Does nothing unless `codes` is given and `count` is at least 1.
    void SetKeys(ObjectId objectId, const uint32_t* codes, uint32_t count);
    // A negative value is stored as 0.
    void SetShutdown(int32_t value);
    void SetPing(uint32_t clock);
    void SetPong(uint32_t clock);

    // Getters: each fills the caller's variables and returns true only when
    // the message has its type; otherwise nothing is touched. A text buffer of
    // `size` bytes is zero-filled and receives at most size - 1 characters.
    bool GetText(char* buffer, size_t size) const;
    bool GetJoin(ObjectId& objectId, uint32_t& shipType, char* name, size_t size) const;
    bool GetMap(char* buffer, size_t size) const;
    bool GetShipInfo(ObjectId& objectId, int32_t& x, int32_t& y, uint32_t& shipType, char* name,
                     size_t size) const;
    bool GetPlayerLeft(ObjectId& objectId) const;
    bool GetShipDied(ObjectId& objectId) const;
    bool GetObjectGone(ObjectId& objectId) const;
    bool GetShipState(ShipState& state) const;
    bool GetObjectState(ObjectId& objectId, int32_t& kind, CVector& position, CVector& velocity, float& angle,
                        int32_t& subtype) const;
    bool GetTurretState(ObjectId& objectId, int32_t& direction, uint8_t& inPlay, CVector& position) const;
    bool GetTile(int32_t& column, int32_t& row, uint8_t& value) const;
    // With no array, reports the number of codes in `count`. With one, `count`
    // says how many entries it holds on the way in and how many were copied on
    // the way out, so a short array is never overrun.
    bool GetKeys(ObjectId& objectId, uint32_t* codes, uint32_t& count) const;
    bool GetShutdown(uint32_t& value) const;
    bool GetPing(uint32_t& clock) const;
    bool GetPong(uint32_t& clock) const;

    // Serialised size of the current type; 0 for a type outside 1 to 17.
    size_t GetSize() const;
    // Zero-fills all `size` bytes of `buffer` and writes the message into its
    // first GetSize() bytes. False, leaving only the zeros, when the buffer is
    // smaller than GetSize() or the type is outside 1 to 17; false, touching
    // nothing, for a null buffer.
    bool Serialize(uint8_t* buffer, size_t size) const;
    // Decodes one message from untrusted bytes; see the top of this file.
    // False when the bytes are empty or a field runs past them; the message is
    // then left empty (type 0).
    bool Deserialize(const uint8_t* bytes, size_t size);

private:
    void SetIdOnly(MessageType type, ObjectId objectId);
    bool GetIdOnly(MessageType type, ObjectId& objectId) const;
    bool GetValue(MessageType type, uint32_t& value) const;
    // Every type's fields, once, in wire order: walked by the codec's writer
    // (into a buffer, or into a byte counter for GetSize) and its reader
    // (MessageCodec.cpp). DescribeMotion is the tail both state messages share.
    template <typename Io, typename Self> static bool Describe(Io& io, Self& message);
    template <typename Io, typename Self> static void DescribeMotion(Io& io, Self& message);

    int32_t m_type = MSG_NONE;
    std::string m_text; // text, player name or map name
    ObjectId m_objectId = 0;
    uint32_t m_value = 0; // ship type; clock of a ping or pong; shutdown value
    int32_t m_x = 0;      // ship info position; tile column and row
    int32_t m_y = 0;
    int32_t m_kind = 0; // object kind; turret direction
    int32_t m_subtype = 0;
    uint8_t m_flags = 0; // ship flags; turret in-play byte; tile state
    int8_t m_frags = 0;
    uint8_t m_counts[4] = {}; // missiles, mines, plasma mines, repulses
    float m_fuel = 0.0f;
    float m_capacity = 0.0f;
    CVector m_position;
    CVector m_velocity;
    float m_angle = 0.0f;
    std::vector<uint32_t> m_codes;
};
