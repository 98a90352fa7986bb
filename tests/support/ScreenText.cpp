#include "tests/support/ScreenText.h"

namespace testing_support
{
namespace
{
constexpr int kHalfHeight = XSession::kHeight / 2;
constexpr std::string_view kMenuItems[] = {
    "Join a LAN Game", "Join an Internet Game", "Instructions", "Options", "Credits", "Quit"};

int Length(std::string_view text)
{
    return static_cast<int>(text.size());
}

// Some pixels of `colour` and none of the other text colour.
bool Coloured(const Picture& picture, const PixelRect& area, Colour colour)
{
    Colour other = colour == kGreen ? kWhite : kGreen;
    return picture.Count(area, colour) >= 2 && picture.Count(area, other) == 0;
}
} // namespace

PixelRect TextArea(int x, int y, int length)
{
    // The glyphs go up from y, so their top row on screen is 16 above it.
    return {XSession::kWidth / 2 + x, kHalfHeight - y - 16, 10 * length, 16};
}

bool Blank(const Picture& picture, const PixelRect& area)
{
    return picture.Count(area, kWhite) == 0 && picture.Count(area, kGreen) == 0;
}

bool ShowsAt(const Picture& picture, int x, int y, std::string_view text, Colour colour)
{
    if (!Blank(picture, TextArea(x - 10, y, 1)) || !Blank(picture, TextArea(x + 10 * Length(text), y, 1)))
        return false;
    for (int i = 0; i < Length(text); ++i)
    {
        PixelRect cell = TextArea(x + 10 * i, y, 1);
        if (text[size_t(i)] == ' ' ? !Blank(picture, cell) : !Coloured(picture, cell, colour))
            return false;
    }
    return true;
}

bool ShowsCentred(const Picture& picture, int y, std::string_view text, Colour colour)
{
    return ShowsAt(picture, -5 * Length(text), y, text, colour);
}

bool ShowsFirstIntroCard(const Picture& picture)
{
    return ShowsCentred(picture, 20, "Tessaloon", kWhite) && Blank(picture, TextArea(-100, 0, 20)) &&
           ShowsCentred(picture, -20, "presents", kWhite);
}

bool ShowsSecondIntroCard(const Picture& picture)
{
    return ShowsCentred(picture, 20, "a", kWhite) && ShowsCentred(picture, 0, "Brindlecap", kWhite) &&
           ShowsCentred(picture, -20, "production", kWhite);
}

std::function<bool(const Picture&)> MainMenuWith(int selected)
{
    return [selected](const Picture& picture)
    {
        if (!ShowsCentred(picture, kHalfHeight - 200, "Quorvex!", kWhite))
            return false;
        for (int k = 1; k <= 6; ++k)
            if (!ShowsCentred(picture, kHalfHeight - 300 - (k + 1) * 16, kMenuItems[k - 1],
                              k == selected ? kGreen : kWhite))
                return false;
        return true;
    };
}

bool ShowsArenaAlone(const Picture& picture)
{
    // Entry k's line, "%-50s  %02d/%02d", sits at kHalfHeight - 120 - (k + 1) * 16.
    const int first = kHalfHeight - 152, second = first - 16;
    return ShowsCentred(picture, kHalfHeight - 60, "Select A Server To Play On", kGreen) &&
           ShowsAt(picture, -285, kHalfHeight - 132, "Server Name", kWhite) &&
           ShowsAt(picture, -285, first, "Arena", kGreen) && Blank(picture, TextArea(-235, first, 47)) &&
           ShowsAt(picture, 235, first, "00/04", kGreen) && Blank(picture, TextArea(-285, second, 57));
}

} // namespace testing_support
