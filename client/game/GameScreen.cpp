#include "client/game/GameScreen.h"

#include "common/MessageLog.h"
#include "platform/sdl/Window.h"

namespace
{
constexpr int kConsoleLines = 5;

// In the game the pad flies the ship: its A fires and its B holds the
// shields, so they must not also choose and go back as in the menus.
void SetPadMenuKeys(CClientContext& context, bool on)
{
    if (context.window)
        context.window->SetPadMenuKeys(on);
}
} // namespace

CGameScreen::CGameScreen(CClientContext& context)
    : CScreen(ScreenId::Game), m_context(context), m_session(context), m_console(context.input),
      m_sounds(context.sound)
{
    m_session.SetWatcher(&m_sounds.Watcher());
}

void CGameScreen::Enter()
{
    CMessageLog::GetConsoleLog().SetMaxLines(kConsoleLines);
    m_session.Start();
    m_session.Join(m_context.server);
    m_frames.StartGame(m_session.World());
    m_toggles = CDisplayToggleKeys();
    m_clock = CFrameClock();
    SetPadMenuKeys(m_context, false);
}

// Leaving while a line was being typed ends the typing too, so the menus get
// their keys (F9) back and the next game starts without the line.
void CGameScreen::Leave()
{
    if (m_context.input.IsTextMode())
        m_console.Close();
    m_session.End();
    m_sounds.Stop();
    SetPadMenuKeys(m_context, true);
}

ScreenId CGameScreen::Frame(const KeyActions& actions)
{
    m_clock.CountFrame();
    if (actions[KEY_CHAT])
        m_console.Open();
    m_toggles.Apply(actions);
    if (actions[KEY_MENU])
        return ScreenId::MainMenu;
    m_session.SendKeys(actions);
    if (m_session.Work())
        m_frames.SetWorld(m_session.World());
    m_sounds.Frame(m_session.World(), actions, static_cast<float>(m_context.viewSize.width));
    m_frames.Draw(m_session.Session(), m_context.viewSize, m_clock.FrameTime(), m_clock.Fps());
    m_clock.EndFrame(m_session.Session());
    m_toggles.Elapse(m_clock.FrameTime());
    return Id();
}

ScreenId CGameScreen::OnChar(char c)
{
    if (m_context.input.IsTextMode())
        m_console.Type(c, m_session.Session());
    return Id();
}
