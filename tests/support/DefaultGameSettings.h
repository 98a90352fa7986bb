// The game's settings at their defaults for one scope: a test that changes
// g_settings leaves the next test the defaults, whatever it set. Put one in a
// fixture (first, so it outlives what uses the settings) or in a test body.
#pragma once

#include "game/Settings.h"

namespace testing_support
{

class DefaultGameSettings
{
public:
    DefaultGameSettings() { g_settings = GameSettings{}; }
    ~DefaultGameSettings() { g_settings = GameSettings{}; }
    DefaultGameSettings(const DefaultGameSettings&) = delete;
    DefaultGameSettings& operator=(const DefaultGameSettings&) = delete;
};

} // namespace testing_support
