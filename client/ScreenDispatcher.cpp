#include "client/ScreenDispatcher.h"

#include "client/ClientContext.h"
#include "client/WindowProc.h"
#include "platform/sdl/Window.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace
{
using Clock = CFramePacer::Clock;

// The longest wait for a window event. A signal sets the quit flag without
// waking the wait, and a resting screen's network runs on each pass.
constexpr std::chrono::milliseconds kLongestRest{50};

Clock::time_point RestEnd(Clock::time_point now, uint32_t restMs)
{
    if (restMs == kRestUntilEvent)
        return Clock::time_point::max();
    return now + std::chrono::milliseconds(restMs);
}
} // namespace

CScreenDispatcher::CScreenDispatcher(CClientContext& context, CWindowProc& windowProc,
                                     std::vector<CScreen*> screens, CFramePacer::ITime& time)
    : m_context(context), m_windowProc(windowProc), m_screens(std::move(screens)), m_time(time), m_pacer(time)
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
    {
        PaceFrame();
        RestUntilFrameDue();
    }
    Leave();
}

void CScreenDispatcher::RestUntilFrameDue()
{
    const Clock::time_point now = m_time.Now();
    if (now >= m_restUntil)
        return;
    const Clock::time_point wake = std::min(m_restUntil, now + Clock::duration(kLongestRest));
    if (m_context.window == nullptr)
    {
        m_time.SleepUntil(wake);
        return;
    }
    // Rounded up: a wait of no milliseconds would spin until the frame is due.
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(wake - now);
    m_context.window->WaitForEvent(static_cast<int>(wait.count()));
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
    if (FrameDue())
        DrawFrame(*screen, actions);
    else
        screen->Rest();
    PumpWindowEvents();
    return !m_context.QuitRequested();
}

void CScreenDispatcher::DrawFrame(CScreen& screen, const KeyActions& actions)
{
    m_current = screen.Frame(actions);
    m_restUntil = RestEnd(m_time.Now(), screen.RestMs());
}

void CScreenDispatcher::Switch(CScreen& screen)
{
    Leave();
    screen.Enter();
    m_entered = &screen;
    WantFrame();
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
    WantFrame();
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
    platform::CWindow* window = m_context.window;
    while (window && window->PollEvent(event))
        Dispatch(event);
    if (window && window->TakeRedrawRequest())
        WantFrame();
}
