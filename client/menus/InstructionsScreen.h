// The instructions: the player's keys, the powerups with their icons, and a sample
// fuel gauge with the fuel block icon. Escape or any typed character returns
// to the main menu.
#pragma once

#include "client/menus/MenuScreen.h"

class CInstructionsScreen : public CMenuScreen
{
public:
    explicit CInstructionsScreen(CClientContext& context) : CMenuScreen(ScreenId::Instructions, context) {}
    bool LoadTextures() override;

protected:
    void DrawContents(float hh) override;

private:
    // The left column's keys (the player's), from its left edge `lx`.
    void DrawKeys(float lx, float hh) const;
    // The right column: each powerup's icon with its name.
    void DrawPowerups(float rx, float hh) const;
    // The sample fuel gauge and the fuel block, under the keys.
    void DrawFuel(float lx, float hh) const;
};
