// The one loop that runs the client's screens. Each pass is one frame of the
// current screen: it is entered when it has just become current (the one it
// replaces is left first), the keyboard's actions are polled (F9 ends the
// program from every screen), the screen draws its frame, and the window's
// pending events are handed over, keys and characters to whichever screen
// is current at that moment. Every answer names the screen to show next.
// Between frames the pacer holds them to the frame cap in force (see
// ChooseFrameCap); with vsync and no cap chosen, the display paces them.
//
// A screen whose picture has not changed rests (CScreen::RestMs): its
// passes draw nothing and the loop waits for the window's next event
// instead of sleeping blind, until the screen's own time comes. Entering a
// screen, and every window event, key and typed character, ends the rest
// with one frame; so does an event the window met but did not hand over (X
// may have lost the window's contents when it was exposed or shown).
#pragma once

#include "client/FramePacer.h"
#include "client/Screen.h"
#include "platform/WindowEvents.h"

#include <vector>

class CClientContext;
class CWindowProc;

class CScreenDispatcher
{
public:
    // The screens are the caller's and outlive the dispatcher; `time` paces
    // the frames of Run.
    CScreenDispatcher(CClientContext& context, CWindowProc& windowProc, std::vector<CScreen*> screens,
                      CFramePacer::ITime& time = CFramePacer::RealTime());
    // Leaves the screen in use.
    ~CScreenDispatcher();
    CScreenDispatcher(const CScreenDispatcher&) = delete;
    CScreenDispatcher& operator=(const CScreenDispatcher&) = delete;

    // The screen the next frame shows.
    void SetCurrent(ScreenId id) { m_current = id; }
    ScreenId GetCurrent() const { return m_current; }

    // Runs frames, paced, until the program is to end, then leaves the screen.
    void Run();
    // One pass: a frame, or a rest for a screen whose picture holds. False when the program is to end: a quit
    // was asked for, or the current id names no screen.
    bool RunFrame();
    // One window event, as the frame hands them over.
    void Dispatch(const platform::WindowEvent& event);

private:
    CScreen* Find(ScreenId id) const;
    // Leaves the screen in use (if any) and enters `screen`.
    void Switch(CScreen& screen);
    void Leave();
    void PumpWindowEvents();
    void DrawFrame(CScreen& screen, const KeyActions& actions);
    // Ends a rest: the next pass draws.
    void WantFrame() { m_restUntil = CFramePacer::Clock::time_point::min(); }
    bool FrameDue() const { return m_time.Now() >= m_restUntil; }
    // Waits for a window event while the current screen rests, at most
    // until its next frame is due and kLongestRestMs.
    void RestUntilFrameDue();
    // Waits for the next frame at the cap the options, the settings and the
    // window's vsync give now (the window may have changed display or context).
    void PaceFrame();
    // The click or chime of a menu key.
    void PlayMenuSound(const platform::WindowEvent& event, bool screenChanged);

    CClientContext& m_context;
    CWindowProc& m_windowProc;
    std::vector<CScreen*> m_screens;
    ScreenId m_current = ScreenId::Intro;
    // The screen entered and not yet left.
    CScreen* m_entered = nullptr;
    CFramePacer::ITime& m_time;
    CFramePacer m_pacer;
    // When the current screen's next frame is due without an event.
    CFramePacer::Clock::time_point m_restUntil = CFramePacer::Clock::time_point::min();
};
