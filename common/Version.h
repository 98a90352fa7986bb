// The game's version, shown by both programs ("v%0.2f" in the menus, the
// banner of the server).
#pragma once

constexpr float kGameVersion = 1.02f;
