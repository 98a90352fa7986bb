#include "client/menus/OptionsMenu.h"

#include "client/Settings.h"
#include "gfx/Graphics.h"
#include "platform/sdl/Window.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace
{
// Selection 1..6 (left to right on screen) and the ship type each stands for.
constexpr std::array<int, COptionsMenu::kShipCount> kTypeOfSelection = {0, 5, 2, 3, 4, 1};
// The picture of each ship type, as an index into kShipTextures.
constexpr std::array<size_t, COptionsMenu::kShipCount> kTextureOfType = {0, 4, 5, 2, 3, 1};
// Where each selection's picture is centred across the screen.
constexpr std::array<float, COptionsMenu::kShipCount> kShipX = {-160, -96, -32, 32, 96, 160};

constexpr size_t SelectionIndex(int selection)
{
    return static_cast<size_t>(selection - 1);
}

// What the mode choice saves: the desktop's mode or an exclusive one.
struct ModeChoice
{
    bool desktop;
    platform::VideoMode mode;
    bool operator==(const ModeChoice&) const = default;
};

ModeChoice SavedChoice(const ClientSettings& settings)
{
    return {settings.resDesktop != 0, SavedMode(settings)};
}
} // namespace

ScreenId COptionsMenu::OnKey(int key)
{
    if (key == platform::kVkEscape)
    {
        ShowSettings(m_context.settings);
        ChangeVolume(0); // the saved volume is heard again
        return ScreenId::MainMenu;
    }
    // The edits stay selected, unsaved, and the volume stays heard: the
    // player comes back here from the controls.
    if (key == platform::kVkTab)
        return ScreenId::Controls;
    if (key == platform::kVkPageUp || key == platform::kVkPageDown)
        ChangeVolume(key == platform::kVkPageUp ? 1 : -1);
    else if (key == platform::kVkLeft)
        PreviousShip();
    else if (key == platform::kVkRight)
        NextShip();
    else if (key == platform::kVkUp)
        PreviousResolution();
    else if (key == platform::kVkDown)
        NextResolution();
    return Id();
}

ScreenId COptionsMenu::OnChar(char c)
{
    if (c != platform::kCharReturn)
    {
        m_name.Type(c);
        return Id();
    }
    SaveChoices();
    return ScreenId::MainMenu;
}

void COptionsMenu::SaveChoices()
{
    ClientSettings& settings = m_context.settings;
    const ModeChoice before = SavedChoice(settings);
    TakeChoices(settings);
    SaveSettings(settings);
    if (!(SavedChoice(settings) == before))
        ApplyNewResolution();
}

// Every screen is laid out for the new size from its next frame on.
void COptionsMenu::ApplyNewResolution()
{
    const ClientSettings& settings = m_context.settings;
    CGLDisplay& display = m_context.display;
    if (display.IsWindowed())
    {
        // A window takes an exclusive mode's size; the desktop's waits for
        // full screen.
        if (settings.resDesktop != 0)
            display.UseDesktopMode();
        else
            display.ChangeMode(settings.resWidth, settings.resHeight, settings.resDepth, settings.resFreq);
    }
    else
    {
        display.RestoreMode();
        display.EnterFullscreen(settings.resDesktop != 0, SavedMode(settings));
    }
    int32_t width = display.GetWidth(), height = display.GetHeight();
    if (m_context.window)
        m_context.window->GetSize(width, height);
    FitViewToWindow(m_context.viewSize, width, height);
}

void COptionsMenu::ShowSettings(const ClientSettings& settings)
{
    SetText(settings.playerName);
    SetShipType(settings.shipType);
    m_resolution = settings.resDesktop != 0 ? kDesktopLine : -1;
    if (settings.resDesktop == 0)
        SetResolution(settings.resWidth, settings.resHeight, settings.resDepth, settings.resFreq);
    m_resolutionChosen = false;
    m_volume = settings.soundVolume;
}

void COptionsMenu::TakeChoices(ClientSettings& settings) const
{
    GetText(settings.playerName, sizeof settings.playerName);
    settings.shipType = GetShipType();
    settings.soundVolume = m_volume;
    int32_t width = 0, height = 0, depth = 0, refresh = 0;
    GetResolution(width, height, depth, refresh);
    if (!m_resolutionChosen)
        return;
    if (DesktopSelected())
        settings.resDesktop = 1;
    if (width == 0)
        return;
    settings.resDesktop = 0;
    settings.resWidth = width;
    settings.resHeight = height;
    settings.resDepth = depth;
    settings.resFreq = refresh;
}

void COptionsMenu::ChangeVolume(int step)
{
    m_volume = std::clamp(m_volume + step, 0, CSoundPlayer::kMaxVolume);
    m_context.sound.SetVolume(m_volume);
}

bool COptionsMenu::LoadTextures()
{
    return AddTexturesByName(kShipTextures);
}

void COptionsMenu::PreviousShip()
{
    m_shipSelection = m_shipSelection <= 1 ? kShipCount : m_shipSelection - 1;
}

void COptionsMenu::NextShip()
{
    m_shipSelection = m_shipSelection >= kShipCount ? 1 : m_shipSelection + 1;
}

int COptionsMenu::LineCount() const
{
    m_context.display.EnumerateModes();
    return 1 + m_context.display.GetModeCount();
}

void COptionsMenu::PreviousResolution()
{
    m_resolution = m_resolution - 1 < 0 ? LineCount() - 1 : m_resolution - 1;
    m_resolutionChosen = true;
}

void COptionsMenu::NextResolution()
{
    m_resolution = m_resolution + 1 > LineCount() - 1 ? 0 : m_resolution + 1;
    m_resolutionChosen = true;
}

int COptionsMenu::GetShipType() const
{
    if (m_shipSelection < 1 || m_shipSelection > kShipCount)
        return 0;
    return kTypeOfSelection[SelectionIndex(m_shipSelection)];
}

void COptionsMenu::SetShipType(int type)
{
    m_shipSelection = 1;
    for (int selection = 1; selection <= kShipCount; ++selection)
        if (kTypeOfSelection[SelectionIndex(selection)] == type)
            m_shipSelection = selection;
}

void COptionsMenu::SetResolution(int32_t width, int32_t height, int32_t depth, int32_t refresh)
{
    CGLDisplay& display = m_context.display;
    display.EnumerateModes();
    if (refresh == 0)
        return;
    for (int i = 0; i < display.GetModeCount(); ++i)
        if (display.GetModeWidth(i) == width && display.GetModeHeight(i) == height &&
            display.GetModeDepth(i) == depth)
            m_resolution = i + 1;
}

void COptionsMenu::GetResolution(int32_t& width, int32_t& height, int32_t& depth, int32_t& refresh) const
{
    CGLDisplay& display = m_context.display;
    display.EnumerateModes();
    const int mode = m_resolution - 1;
    width = display.GetModeWidth(mode);
    height = display.GetModeHeight(mode);
    depth = display.GetModeDepth(mode);
    refresh = display.GetModeRefresh(mode);
}

void COptionsMenu::DrawContents(float hh)
{
    DrawCentred(hh - 70, kMenuGreen, "Choose Your Ship");
    DrawShips(hh - 106);
    DrawCentred(hh - 200, kMenuGreen, "Enter Your Name");
    if (m_name.HasText())
        DrawCentred(hh - 232, kMenuWhite, m_name.Text());
    DrawVolume(hh);
    DrawResolutions(hh);
    DrawCentred(120 - hh, kMenuWhite, "Tab Changes the Controls");
    DrawCentred(100 - hh, kMenuWhite, "Page Up and Page Down Change Sound Volume");
    DrawCentred(80 - hh, kMenuWhite, "Left and Right Arrow Select Ship");
    DrawCentred(60 - hh, kMenuWhite, "Up and Down Arrow Selects Resolution");
    DrawCentred(40 - hh, kMenuWhite, "Enter Saves Changes and Returns to Main Menu");
    DrawCentred(20 - hh, kMenuWhite, "Escape Discards Changes and Returns to Main Menu");
}

void COptionsMenu::DrawShips(float y) const
{
    for (int selection = 1; selection <= kShipCount; ++selection)
    {
        int type = kTypeOfSelection[SelectionIndex(selection)];
        DrawPicture(kTextureOfType[static_cast<size_t>(type)], kShipX[SelectionIndex(selection)], y);
    }
    if (m_shipSelection >= 1 && m_shipSelection <= kShipCount)
        DrawPicture(kShieldTexture, kShipX[SelectionIndex(m_shipSelection)], y);
}

void COptionsMenu::DrawVolume(float hh) const
{
    char line[32];
    std::snprintf(line, sizeof line, "Sound Volume %d of %d", m_volume, CSoundPlayer::kMaxVolume);
    DrawCentred(hh - 266, kMenuGreen, line);
}

void COptionsMenu::DrawResolutions(float hh) const
{
    CGLDisplay& display = m_context.display;
    display.EnumerateModes();
    DrawCentred(hh - 300, kMenuGreen, "Resolutions");
    const platform::VideoMode desktop = display.DesktopMode();
    char line[64];
    if (desktop.width > 0 && desktop.height > 0)
        std::snprintf(line, sizeof line, "Desktop (%d x %d)", desktop.width, desktop.height);
    else
        std::snprintf(line, sizeof line, "Desktop");
    DrawCentred(hh - 340, m_resolution == kDesktopLine ? kMenuGreen : kMenuWhite, line);
    for (int i = 0; i < display.GetModeCount(); ++i)
    {
        std::snprintf(line, sizeof line, "%4dx%4dx%2d", display.GetModeWidth(i), display.GetModeHeight(i),
                      display.GetModeDepth(i));
        const RenderColour& colour = i + 1 == m_resolution ? kMenuGreen : kMenuWhite;
        // Placed as a twelve-character line ("1600x1200x32") would be centred.
        DrawLine(-60, hh - 360 - 20 * static_cast<float>(i), colour, line);
    }
}
