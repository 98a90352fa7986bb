// The options screen: the ship (six pictures, Left and Right, the shield
// over the chosen one), the player's name (typed), the sound volume (Page Up
// and Page Down, heard at once) and the display mode (Up and Down: first
// "Desktop (W x H)", full screen at the desktop's own mode, then the
// display's list of exclusive modes). It holds the choices until carriage return saves them, switches
// to a newly chosen mode and returns to the main menu; the mode is saved only
// when the player moved its selection to a listed mode, so a display whose
// list lacks the saved mode never saves zeros over it. Escape returns and
// puts every choice back as saved (the volume heard too), so the next visit
// shows what is kept. Tab opens the controls screen, keeping every choice as
// it is, the volume too.
#pragma once

#include "client/menus/MenuScreen.h"
#include "client/menus/TextField.h"

#include <cstdint>

class COptionsMenu : public CMenuScreen
{
public:
    static constexpr int kShipCount = 6;

    explicit COptionsMenu(CClientContext& context) : CMenuScreen(ScreenId::Options, context, true) {}

    bool LoadTextures() override;
    ScreenId OnKey(int key) override;
    ScreenId OnChar(char c) override;

    // Selects what the settings hold: the screen starts with what was saved.
    // A saved exclusive mode the list lacks selects no line.
    void ShowSettings(const ClientSettings& settings);
    // Copies the name, ship type, volume and, when the player chose one, the
    // mode chosen here (the desktop's, or an exclusive one) into `settings`.
    void TakeChoices(ClientSettings& settings) const;

    void GetText(char* buffer, size_t size) const { m_name.GetText(buffer, size); }
    void SetText(const char* text) { m_name.SetText(text); }

    void PreviousShip();
    void NextShip();
    void PreviousResolution();
    void NextResolution();
    // Ship selection 1..6 (left to right) and the ship type it stands for.
    int GetShipSelection() const { return m_shipSelection; }
    int GetShipType() const;
    void SetShipType(int type);
    // The selected line: 0 the desktop's mode, 1 on the display's modes in
    // order, -1 none.
    int GetResolutionIndex() const { return m_resolution; }
    bool DesktopSelected() const { return m_resolution == kDesktopLine; }
    // 0 to 10; Page Up and Page Down step it by one.
    int GetVolume() const { return m_volume; }
    void ChangeVolume(int step);
    // Selects the last listed exclusive mode of this size and depth (refresh
    // 0 selects nothing); without a match the selection stays.
    void SetResolution(int32_t width, int32_t height, int32_t depth, int32_t refresh);
    // The selected exclusive mode; zeros when the selection is the desktop
    // line or not in the list.
    void GetResolution(int32_t& width, int32_t& height, int32_t& depth, int32_t& refresh) const;

protected:
    void DrawContents(float hh) override;

private:
    // Carriage return: save, and switch to the chosen mode when it changed.
    void SaveChoices();
    void ApplyNewResolution();
    // The six ship pictures centred on `y`, and the shield over the chosen one.
    void DrawShips(float y) const;
    // The heading and one line per display mode.
    void DrawResolutions(float hh) const;

    void DrawVolume(float hh) const;
    // Lines on the mode list: the desktop's, then the display's modes.
    int LineCount() const;

    static constexpr int kDesktopLine = 0;

    CTextField m_name;
    int m_volume = CSoundPlayer::kDefaultVolume;
    int m_shipSelection = 1;
    int m_resolution = 0;
    // Up or Down moved the mode selection since the settings were shown.
    bool m_resolutionChosen = false;
};
