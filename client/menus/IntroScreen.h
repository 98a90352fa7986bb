// The intro: two captions of three seconds each, then the main menu. Escape
// or any typed character ends it early.
#pragma once

#include "client/Screen.h"

#include <cstdint>

class CIntroScreen : public CScreen
{
public:
    CIntroScreen() : CScreen(ScreenId::Intro) {}

    // The captions run from the start of the visit.
    void Enter() override;
    ScreenId Frame(const KeyActions& actions) override;
    // Each caption holds until the next.
    uint32_t RestMs() const override;

private:
    uint32_t m_start = 0;
};
