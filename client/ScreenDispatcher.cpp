#include "client/ScreenDispatcher.h"

#include "client/ClientContext.h"
#include "client/WindowProc.h"
#include "platform/sdl/Window.h"

#include <utility>

CScreenDispatcher::CScreenDispatcher(CClientContext& context, CWindowProc& windowProc,
                                     std::vector<CScreen*> screens, CFramePacer::ITime& time)
    : m_context(context), m_windowProc(windowProc), m_screens(std::move(screens)), m_pacer(time)
{
}

CScreenDispatcher::~CScreenDispatcher()
{
    Leave();
}

CScreen* CScreenDispatcher::Find(ScreenId id) const
{
    for (CScreen* screen : m_screens)
        if (screen->Id() == id)
            return screen;
    return nullptr;
}

void CScreenDispatcher::Run()
{
    while (RunFrame())
        PaceFrame();
    Leave();
}

void CScreenDispatcher::PaceFrame()
{
    const platform::CWindow* window = m_context.window;
    const bool vsync = window != nullptr && window->VsyncInEffect();
    // The refresh rate matters only to the default cap without vsync.
    const int refresh = window != nullptr && !vsync ? window->RefreshRate() : 0;
    m_pacer.SetCap(ChooseFrameCap(m_context.options.maxFps, m_context.settings.maxFps, vsync, refresh));
    m_pacer.WaitForNextFrame();
}

bool CScreenDispatcher::RunFrame()
{
    CScreen* screen = Find(m_current);
    if (!screen)
        m_context.RequestQuit();
    if (m_context.QuitRequested())
        return false;
    if (screen != m_entered)
        Switch(*screen);
    uint8_t actions[kActionCount];
    m_context.input.PollActions(actions);
    if (actions[KEY_QUIT])
    {
        m_context.RequestQuit();
        return false;
    }
    m_current = screen->Frame(actions);
    PumpWindowEvents();
    return !m_context.QuitRequested();
}

void CScreenDispatcher::Switch(CScreen& screen)
{
    Leave();
    screen.Enter();
    m_entered = &screen;
}

void CScreenDispatcher::Leave()
{
    if (m_entered)
        m_entered->Leave();
    m_entered = nullptr;
}

// A key that changes the screen is followed by the events after it, which
// already belong to the next screen, as they did when the player pressed
// them; that screen is entered at the next frame.
void CScreenDispatcher::Dispatch(const platform::WindowEvent& event)
{
    CScreen* screen = Find(m_current);
    if (!screen)
    {
        m_windowProc.HandleWindowEvent(event);
        return;
    }
    const ScreenId before = m_current;
    m_current = m_windowProc.Handle(event, *screen);
    if (screen->PlaysMenuSounds())
        PlayMenuSound(event, m_current != before);
}

void CScreenDispatcher::PlayMenuSound(const platform::WindowEvent& event, bool screenChanged)
{
    using platform::WindowEvent;
    if (screenChanged)
        m_context.sound.PlayCentred(Sound::MenuSelect);
    else if (event.type == WindowEvent::Type::KeyDown && event.key != platform::kVkEscape)
        m_context.sound.PlayCentred(Sound::MenuMove);
}

void CScreenDispatcher::PumpWindowEvents()
{
    platform::WindowEvent event;
    while (m_context.window && m_context.window->PollEvent(event))
        Dispatch(event);
}
