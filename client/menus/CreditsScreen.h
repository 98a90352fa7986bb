// The credits: who made the game, by role, and one line per map. Escape or
// any typed character returns to the main menu.
#pragma once

#include "client/menus/MenuScreen.h"

class CCreditsScreen : public CMenuScreen
{
public:
    explicit CCreditsScreen(CClientContext& context) : CMenuScreen(ScreenId::Credits, context) {}
    bool LoadTextures() override;

protected:
    void DrawContents(float hh) override;
};
