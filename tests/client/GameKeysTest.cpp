// The keys the game screen sends every frame and the display toggles.
#include "client/game/GameKeys.h"
#include "game/Drawable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>

namespace
{
struct Actions
{
    uint8_t held[kActionCount] = {};
    Actions(std::initializer_list<int> keys)
    {
        for (int key : keys)
            held[key] = 1;
    }
};
} // namespace

TEST(GameKeys, HeldControlsGoOutInTheFixedOrder)
{
    EXPECT_EQ(BuildKeyList(Actions{}.held), std::vector<uint32_t>{0}) << "keys go out even when none is held";
    EXPECT_EQ(BuildKeyList(Actions{KEY_FIRE_BULLET, KEY_THRUST, KEY_TURN_LEFT}.held),
              (std::vector<uint32_t>{7, 9, 11}));
    Actions all{};
    for (int action = KEY_TURN_LEFT; action <= static_cast<int>(KEY_CLOAK); ++action)
        all.held[action] = 1;
    all.held[KEY_QUIT] = all.held[KEY_CHAT] = all.held[KEY_MENU] = all.held[KEY_TOGGLE_NAMES] = 1;
    EXPECT_EQ(BuildKeyList(all.held), (std::vector<uint32_t>{7, 8, 9, 16, 11, 12, 13, 14, 10, 17, 15}))
        << "only the eleven controls, in the server's order";
}

TEST(GameKeys, HeldToggleFlipsOncePerSecond)
{
    DrawToggles& toggles = GetDrawToggles();
    toggles = DrawToggles{};
    CDisplayToggleKeys keys;
    Actions names{KEY_TOGGLE_NAMES};
    int flips = 0;
    bool last = toggles.names;
    // 2.5 s of 16 ms frames with F11 held.
    for (int elapsed = 0; elapsed < 2500; elapsed += 16)
    {
        keys.Apply(names.held);
        flips += toggles.names != last;
        last = toggles.names;
        keys.Elapse(16);
    }
    EXPECT_EQ(flips, 3) << "at 0, about 1 and about 2 seconds";

    toggles = DrawToggles{};
    CDisplayToggleKeys both;
    both.Apply(Actions{KEY_TOGGLE_NAMES, KEY_TOGGLE_OUTLINES}.held);
    EXPECT_TRUE(toggles.outlines);
    EXPECT_TRUE(toggles.names) << "holding both flips only the outlines";
    EXPECT_EQ(both.Cooldown(), CDisplayToggleKeys::kCooldownMs);
    toggles = DrawToggles{};
}
