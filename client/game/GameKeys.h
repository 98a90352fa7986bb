// The game screen's keys: the held controls sent to the server, in the fixed
// order the server expects, and when they go; and the two display toggles (names
// F11, outlines F12) with the cooldown that keeps a held key from flipping
// them every frame.
#pragma once

#include "client/Input.h"
#include "game/HeldKeys.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The held controls as MSG_KEYS codes, in the order turn left, turn right,
// thrust, fuel up, bullets, missiles, mines, plasma mines, shields, cloak,
// repulsor, at most kMaxHeldKeys of them; the single code 0 when none is
// held (the empty hand goes out too, so the server lets go).
std::vector<uint32_t> BuildKeyList(const uint8_t (&actions)[kActionCount]);

// When the held keys go to the server. It keeps the keys it was last sent,
// so sending the same ones on every frame would only spend the player's
// uplink (over 13 kB/s at 240 frames a second): a MSG_KEYS goes when it
// differs from the last one sent, and an unchanged one again after
// kRefreshMs, so a lost datagram costs at most that long.
class CKeysCadence
{
public:
    static constexpr uint32_t kRefreshMs = 20;

    // True when `message` (its bytes) should be sent at `now` (the
    // platform's millisecond clock); it is then remembered as sent.
    bool Take(const std::vector<uint8_t>& message, uint32_t now);
    // A new session: the next message goes whatever it says.
    void Reset() { m_sent.clear(); }

private:
    std::vector<uint8_t> m_sent;
    uint32_t m_sentAt = 0;
};

class CDisplayToggleKeys
{
public:
    static constexpr int32_t kCooldownMs = 1000;

    // Flips the outlines (F12), else the names (F11), when the shared
    // cooldown has run out; holding both flips only the outlines.
    void Apply(const uint8_t (&actions)[kActionCount]);
    // The frame's time runs the cooldown down.
    void Elapse(int32_t ms);
    int32_t Cooldown() const { return m_cooldown; }

private:
    int32_t m_cooldown = 0;
};
