// The key actions: what a held key means. The codes 7 to 17 are the controls
// a client holds and sends in MSG_KEYS, number for number, and the ship
// applies; the others stay in the client (quit, display toggles, chat, back
// to the menu, mute). 4 and 6 are never produced.
#pragma once

#include <cstdint>

enum KeyAction : uint32_t
{
    KEY_NONE = 0,
    KEY_QUIT = 1,
    KEY_TOGGLE_OUTLINES = 2,
    KEY_TOGGLE_NAMES = 3,
    KEY_CHAT = 5,
    KEY_TURN_LEFT = 7,
    KEY_TURN_RIGHT = 8,
    KEY_THRUST = 9,
    KEY_SHIELDS = 10,
    KEY_FIRE_BULLET = 11,
    KEY_FIRE_MISSILE = 12,
    KEY_FIRE_MINE = 13,
    KEY_FIRE_PLASMA = 14,
    KEY_FIRE_REPULSOR = 15,
    KEY_FUEL_UP = 16,
    KEY_CLOAK = 17,
    KEY_MENU = 18,
    KEY_TOGGLE_MUTE = 19,
};
