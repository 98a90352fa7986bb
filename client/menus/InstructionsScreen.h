// The instructions: the keys, the powerups with their icons, and a sample
// fuel gauge with the fuel block icon.
#pragma once

#include "client/menus/MenuScreen.h"

class CInstructionsScreen : public CMenuScreen
{
public:
    static CInstructionsScreen& Get();
    bool LoadTextures() override;

protected:
    void DrawContents(float hh) override;
};
