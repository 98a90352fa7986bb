// The options screen: the ship (six pictures, Left and Right, the shield
// over the chosen one), the player's name, and the display mode (the list of
// CGLDisplay, Up and Down). It holds the choices until carriage return saves
// them; Escape leaves them selected but unsaved.
#pragma once

#include "client/menus/MenuScreen.h"
#include "client/menus/TextField.h"

#include <cstdint>

class COptionsMenu : public CMenuScreen
{
public:
    static constexpr int kShipCount = 6;

    static COptionsMenu& Get();

    bool LoadTextures() override;

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
    int GetResolutionIndex() const { return m_resolution; }
    // Selects the last listed mode of this size and depth (refresh 0 selects
    // nothing); without a match the selection stays.
    void SetResolution(int32_t width, int32_t height, int32_t depth, int32_t refresh);
    // The selected mode; zeros when the selection is not in the list.
    void GetResolution(int32_t& width, int32_t& height, int32_t& depth, int32_t& refresh) const;

protected:
    void DrawContents(float hh) override;

private:
    // The six ship pictures centred on `y`, and the shield over the chosen one.
    void DrawShips(float y) const;
    // The heading and one line per display mode.
    void DrawResolutions(float hh) const;

    CTextField m_name;
    int m_shipSelection = 1;
    int m_resolution = 0;
};
