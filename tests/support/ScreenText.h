// Reading texts off a screenshot of the client. The client draws its texts
// in pure colours, in 10 x 16 glyph cells, at places its layout fixes; a
// test knows the place, the length and the spaces of a text it expects and
// checks every cell for the right colour. Texts are white or green here, the
// selected line of a menu green and the others white, so a cell is "blank"
// when it holds neither colour.
#pragma once

#include "tests/support/XSession.h"

#include <optional>
#include <string>
#include <string_view>

namespace testing_support
{

// No white and no green pixel in the area.
bool Blank(const Picture& picture, const PixelRect& area);

// The area holds some pixels of `colour` and none of the other text colour
// (white for green, green for anything else).
bool Coloured(const Picture& picture, const PixelRect& area, Colour colour);

// The text is there in that colour, judged cell by cell: every glyph's cell
// holds some of the colour, every space's cell and the cells on either side
// are blank. Another text of another length or with its spaces elsewhere, at
// the same place, does not pass. (x, y) is the first glyph's lower-left
// corner in the client's coordinates (origin at the centre, y up).
bool ShowsAt(const Picture& picture, int x, int y, std::string_view text, Colour colour);

// The text's own cells only, for a text that ends at an edge the layout
// draws right after it.
bool ShowsCells(const Picture& picture, int x, int y, std::string_view text, Colour colour);

// The same for a text centred the client's way (x = -5 x length).
bool ShowsCentred(const Picture& picture, int y, std::string_view text, Colour colour);

// Every pixel of the area is the same in both pictures.
bool SamePixels(const Picture& a, const Picture& b, const PixelRect& area);

// Pixels in the area that are not black.
int CountNotBlack(const Picture& picture, const PixelRect& area);

// Reads a picture file of any format ImageMagick knows; nullopt when it cannot.
std::optional<Picture> LoadPicture(const std::string& path);

} // namespace testing_support
