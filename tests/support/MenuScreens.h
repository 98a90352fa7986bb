// What the client's menu screens show, read off a screenshot: the intro, the
// main menu
// with one item selected, and the LAN browser listing one server named
// "Arena" (the name the client tests give their server).
#pragma once

#include "tests/support/XSession.h"

#include <functional>
#include <string_view>

namespace testing_support
{

inline constexpr std::string_view kMenuItems[] = {
    "Join a LAN Game", "Join an Internet Game", "Instructions", "Options", "Credits", "Quit"};

// The two cards of the intro.
bool ShowsFirstIntroCard(const Picture& picture);
bool ShowsSecondIntroCard(const Picture& picture);

// The white title and the six items, item `selected` (1 to 6) green.
std::function<bool(const Picture&)> MainMenuWith(int selected);

// The browser's line for entry k: "%-50s  %02d/%02d", 57 glyphs.
int BrowserLineY(int k);

bool ShowsBrowserHeading(const Picture& picture);

// Exactly one server, selected: its five-letter name, a gap, then "00/04"
// (no players, four places: the server's own player is not counted).
bool ShowsArenaAlone(const Picture& picture);

} // namespace testing_support
