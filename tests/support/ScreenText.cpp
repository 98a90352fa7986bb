#include "tests/support/ScreenText.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/ServerUnderTest.h"
#include "tests/support/TempDir.h"

#include <algorithm>

namespace testing_support
{
namespace
{

int Length(std::string_view text)
{
    return static_cast<int>(text.size());
}

} // namespace

bool Blank(const Picture& picture, const PixelRect& area)
{
    return picture.Count(area, kWhite) == 0 && picture.Count(area, kGreen) == 0;
}

bool Coloured(const Picture& picture, const PixelRect& area, Colour colour)
{
    Colour other = colour == kGreen ? kWhite : kGreen;
    return picture.Count(area, colour) >= 2 && picture.Count(area, other) == 0;
}

bool ShowsAt(const Picture& picture, int x, int y, std::string_view text, Colour colour)
{
    const int length = Length(text);
    return Blank(picture, TextArea(x - 10, y, 1)) && Blank(picture, TextArea(x + 10 * length, y, 1)) &&
           ShowsCells(picture, x, y, text, colour);
}

bool ShowsCells(const Picture& picture, int x, int y, std::string_view text, Colour colour)
{
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

bool SamePixels(const Picture& a, const Picture& b, const PixelRect& area)
{
    for (int y = area.y; y < area.y + area.height; ++y)
        for (int x = area.x; x < area.x + area.width; ++x)
            if (!(a.At(x, y) == b.At(x, y)))
                return false;
    return true;
}

int CountNotBlack(const Picture& picture, const PixelRect& area)
{
    const int all = std::max(0, std::min(area.x + area.width, picture.Width()) - std::max(area.x, 0)) *
                    std::max(0, std::min(area.y + area.height, picture.Height()) - std::max(area.y, 0));
    return all - picture.Count(area, Colour{});
}

std::optional<Picture> LoadPicture(const std::string& path)
{
    TempDir scratch;
    const std::string ppm = scratch.File("picture.ppm");
    ChildProcess convert("/usr/bin/env", {"convert", path, "-depth", "8", "ppm:" + ppm});
    if (Finish(convert) != 0)
        return std::nullopt;
    return Picture::LoadPpm(ppm);
}

} // namespace testing_support
