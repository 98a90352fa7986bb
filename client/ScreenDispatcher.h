// The one loop that runs the client's screens. Each pass is one frame of the
// current screen: it is entered when it has just become current (the one it
// replaces is left first), the keyboard's actions are polled (F9 ends the
// program from every screen), the screen draws its frame, and the window's
// pending events are handed over, keys and characters to whichever screen
// is current at that moment. Every answer names the screen to show next.
// Between frames the pacer holds them to the frame cap in force (see
// ChooseFrameCap); with vsync and no cap chosen, the display paces them.
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
    // One frame. False when the program is to end: a quit was asked for, or
    // the current id names no screen.
    bool RunFrame();
    // One window event, as the frame hands them over.
    void Dispatch(const platform::WindowEvent& event);

private:
    CScreen* Find(ScreenId id) const;
    // Leaves the screen in use (if any) and enters `screen`.
    void Switch(CScreen& screen);
    void Leave();
    void PumpWindowEvents();
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
    CFramePacer m_pacer;
};
