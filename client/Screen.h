// What every screen of the client is to the dispatcher: it is entered when it
// becomes the current screen and left when another takes its place, it draws
// one frame at a time, and it takes the navigation keys and typed characters
// the window receives. Each of these answers with the screen to show next,
// so a screen decides where its own keys lead and nothing else needs to know.
#pragma once

#include "client/Input.h"
#include "platform/WindowEvents.h"

#include <cstdint>

// The screens, numbered as the game always numbered its screen states (1
// and 5 were never used); the controls screen came last.
enum class ScreenId : int
{
    Intro = 0,
    LanBrowser = 2,
    InternetBrowser = 3,
    AddressEntry = 4,
    Instructions = 6,
    MainMenu = 7,
    Options = 8,
    Credits = 9,
    Game = 10,
    Controls = 11,
};

// The key actions polled for one frame (see CInput).
using KeyActions = uint8_t[kActionCount];

class CScreen
{
public:
    explicit CScreen(ScreenId id) : m_id(id) {}
    virtual ~CScreen() = default;
    CScreen(const CScreen&) = delete;
    CScreen& operator=(const CScreen&) = delete;

    ScreenId Id() const { return m_id; }

    // Before the first frame of a visit.
    virtual void Enter() {}
    // After the last frame of a visit, also when the program ends on it.
    virtual void Leave() {}
    // One frame with this frame's key actions (F9 never reaches a screen).
    virtual ScreenId Frame(const KeyActions& actions) = 0;
    // A navigation key (platform::kVk*). By default Escape leads back to the
    // main menu.
    virtual ScreenId OnKey(int key) { return key == platform::kVkEscape ? ScreenId::MainMenu : m_id; }
    // A typed character the window accepts. By default any of them leads
    // back to the main menu, as on the intro, the instructions and the
    // credits.
    virtual ScreenId OnChar(char) { return ScreenId::MainMenu; }
    // Menus click when a key moves their selection and chime when one
    // leads to another screen.
    virtual bool PlaysMenuSounds() const { return false; }

private:
    ScreenId m_id;
};
