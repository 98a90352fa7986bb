#include "tests/support/MenuScreens.h"

#include "tests/support/ScreenText.h"

namespace testing_support
{
namespace
{
constexpr int kHalfHeight = XSession::kHeight / 2;
} // namespace

bool ShowsFirstIntroCard(const Picture& picture)
{
    return ShowsCentred(picture, 20, "Tessaloon", kWhite) && Blank(picture, CentredTextArea(0, 20)) &&
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

int BrowserLineY(int k)
{
    return kHalfHeight - 120 - (k + 1) * 16;
}

bool ShowsBrowserHeading(const Picture& picture)
{
    return ShowsCentred(picture, kHalfHeight - 60, "Select A Server To Play On", kGreen);
}

bool ShowsArenaAlone(const Picture& picture)
{
    int y = BrowserLineY(1);
    return ShowsBrowserHeading(picture) && ShowsAt(picture, -285, kHalfHeight - 132, "Server Name", kWhite) &&
           ShowsAt(picture, -285, y, "Arena", kGreen) && Blank(picture, TextArea(-285 + 50, y, 47)) &&
           ShowsAt(picture, -285 + 520, y, "00/04", kGreen) &&
           Blank(picture, TextArea(-285, BrowserLineY(2), 57));
}

} // namespace testing_support
