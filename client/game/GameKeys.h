// The game screen's keys: the held controls sent to the server each frame,
// in the fixed order the server expects, and the two display toggles (names
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
// held (keys go out every frame).
std::vector<uint32_t> BuildKeyList(const uint8_t (&actions)[kActionCount]);

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
