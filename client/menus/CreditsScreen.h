// The credits: who made the game, by role, and one line per map.
#pragma once

#include "client/menus/MenuScreen.h"

class CCreditsScreen : public CMenuScreen
{
public:
    static CCreditsScreen& Get();
    bool LoadTextures() override;

protected:
    void DrawContents(float hh) override;
};
