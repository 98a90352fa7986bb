#include "client/menus/MainMenu.h"

#include "common/Version.h"

#include <array>
#include <cstdio>

namespace
{
constexpr std::array<const char*, CMainMenu::kItemCount> kItems = {
    "Join a LAN Game", "Join an Internet Game", "Instructions", "Options", "Credits", "Quit",
};
// The screen each item but Quit opens.
constexpr std::array<ScreenId, CMainMenu::kItemCount - 1> kItemScreens = {
    ScreenId::LanBrowser, ScreenId::InternetBrowser, ScreenId::Instructions,
    ScreenId::Options,    ScreenId::Credits,
};

// Only characters the font has: letters, digits, space and _ ! . , " : + - = ( ) @ / '.
constexpr const char* kNotice = "Arrows choose, Enter selects, F9 quits anytime";
} // namespace

ScreenId CMainMenu::OnKey(int key)
{
    if (key == platform::kVkUp)
        Previous();
    else if (key == platform::kVkDown)
        Next();
    return Id();
}

ScreenId CMainMenu::OnChar(char c)
{
    if (c != platform::kCharReturn)
        return Id();
    if (m_selected == kQuit)
    {
        m_context.RequestQuit();
        return Id();
    }
    return kItemScreens[static_cast<size_t>(m_selected - 1)];
}

void CMainMenu::Previous()
{
    m_selected = m_selected <= 1 ? kItemCount : m_selected - 1;
}

void CMainMenu::Next()
{
    m_selected = m_selected >= kItemCount ? 1 : m_selected + 1;
}

void CMainMenu::DrawContents(float hh)
{
    DrawCentred(hh - 200, kMenuWhite, "Quorvex!");
    char version[32];
    std::snprintf(version, sizeof version, "v%0.2f", static_cast<double>(kGameVersion));
    // Placed as a five-character text ("v1.02") would be centred.
    DrawLine(-25, hh - 220, kMenuWhite, version);
    for (int item = 1; item <= kItemCount; ++item)
    {
        const RenderColour& colour = item == m_selected ? kMenuGreen : kMenuWhite;
        DrawCentred(hh - 300 - static_cast<float>((item + 1) * 16), colour, kItems[item - 1]);
    }
    DrawCentred(16 - hh, kMenuWhite, kNotice);
}
