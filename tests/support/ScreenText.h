// Reading texts off a screenshot of the client, and the menu screens a test
// passes through on its way into the game. The client draws its texts in
// pure colours, in 10 x 16 glyph cells; a test knows where a text it expects
// goes, its length and its spaces, and checks every cell for the colour.
// Texts are white or green here (a menu's selected line green, the others
// white), so a cell is "blank" when it holds neither colour.
#pragma once

#include "tests/support/XSession.h"

#include <functional>
#include <string_view>

namespace testing_support
{

// Where the client draws a text of `length` glyphs whose first glyph has its
// lower-left corner at (x, y): origin at the screen centre, y up, one unit
// per pixel.
PixelRect TextArea(int x, int y, int length);

// No white and no green pixel in the area.
bool Blank(const Picture& picture, const PixelRect& area);

// The text is there in that colour, judged cell by cell: every glyph's cell
// holds some of the colour and none of the other text colour, every space's
// cell and the cells on either side are blank. Another text of another
// length or with its spaces elsewhere, at the same place, does not pass.
bool ShowsAt(const Picture& picture, int x, int y, std::string_view text, Colour colour);
// The same for a text centred the client's way (x = -5 x length).
bool ShowsCentred(const Picture& picture, int y, std::string_view text, Colour colour);

// The two cards of the intro.
bool ShowsFirstIntroCard(const Picture& picture);
bool ShowsSecondIntroCard(const Picture& picture);

// The white title and the six items, item `selected` (1 to 6) green.
std::function<bool(const Picture&)> MainMenuWith(int selected);

// The LAN browser with exactly one server, selected: "Arena" (the name the
// client tests give their server), a gap, then "00/04" (no players, four
// places: the server's own player is not counted).
bool ShowsArenaAlone(const Picture& picture);

} // namespace testing_support
