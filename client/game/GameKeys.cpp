#include "client/game/GameKeys.h"

#include "game/Drawable.h"

namespace
{
constexpr KeyAction kSentInOrder[] = {KEY_TURN_LEFT,   KEY_TURN_RIGHT,   KEY_THRUST,       KEY_FUEL_UP,
                                      KEY_FIRE_BULLET, KEY_FIRE_MISSILE, KEY_FIRE_MINE,    KEY_FIRE_PLASMA,
                                      KEY_SHIELDS,     KEY_CLOAK,        KEY_FIRE_REPULSOR};
} // namespace

std::vector<uint32_t> BuildKeyList(const uint8_t (&actions)[kActionCount])
{
    std::vector<uint32_t> keys;
    for (KeyAction action : kSentInOrder)
        if (actions[action] && keys.size() < kMaxHeldKeys)
            keys.push_back(action);
    if (keys.empty())
        keys.push_back(KEY_NONE);
    return keys;
}

void CDisplayToggleKeys::Apply(const uint8_t (&actions)[kActionCount])
{
    DrawToggles& toggles = GetDrawToggles();
    if (m_cooldown > 0)
        return;
    if (actions[KEY_TOGGLE_OUTLINES])
    {
        toggles.outlines = !toggles.outlines;
        m_cooldown = kCooldownMs;
    }
    if (actions[KEY_TOGGLE_NAMES] && m_cooldown <= 0)
    {
        toggles.names = !toggles.names;
        m_cooldown = kCooldownMs;
    }
}

void CDisplayToggleKeys::Elapse(int32_t ms)
{
    if (m_cooldown > 0)
        m_cooldown -= ms;
}

bool CKeysCadence::Take(const std::vector<uint8_t>& message, uint32_t now)
{
    if (message == m_sent && now - m_sentAt < kRefreshMs)
        return false;
    m_sent = message;
    m_sentAt = now;
    return true;
}
