// What every screen of the client is to the dispatcher: it is entered when it
// becomes the current screen and left when another takes its place, it draws
// one frame at a time, and it takes the navigation keys and typed characters
// the window receives. Each of these answers with the screen to show next,
// so a screen decides where its own keys lead and nothing else needs to know.
#pragma once

#include "client/Input.h"
#include "platform/WindowEvents.h"

#include <cstdint>
#include <limits>

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

// What a screen answers to RestMs: draw every frame, or hold the picture
// until something happens.
constexpr uint32_t kNoRest = 0;
constexpr uint32_t kRestUntilEvent = std::numeric_limits<uint32_t>::max();

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
    // How long from now the picture of the frame just drawn stays true when
    // no key, typed character or window event comes: kNoRest for a screen
    // that moves or reads the keyboard by polling, the time to its next
    // change for one on a timer, kRestUntilEvent for one that changes only
    // on input. A resting screen is not drawn again (an idle menu would
    // otherwise redraw the same picture at the frame cap).
    virtual uint32_t RestMs() const { return kNoRest; }
    // A pass of the loop on which the screen rests instead of drawing: what
    // must still run without a frame (the network) runs here.
    virtual void Rest() {}
    // Menus click when a key moves their selection and chime when one
    // leads to another screen.
    virtual bool PlaysMenuSounds() const { return false; }

private:
    ScreenId m_id;
};
