#include "client/game/Console.h"

#include "client/Input.h"
#include "client/TypedText.h"
#include "common/MessageLog.h"
#include "gfx/Graphics.h"
#include "net/Client.h"
#include "net/Message.h"
#include "platform/WindowEvents.h"

#include <utility>

namespace
{
constexpr float kConsoleLineHeight = 16.0f;

CMessageLog& Console()
{
    return CMessageLog::GetConsoleLog();
}
} // namespace

CConsole::CConsole(CInput& input, CCommandParser::Sender send) : m_input(input), m_send(std::move(send)) {}

void CConsole::Open()
{
    Console().CloseInputLine();
    Console().OpenInputLine("");
    m_input.SetMode(kKeyboardModeText);
}

void CConsole::Type(char c, CClient& session)
{
    // The line's block holds 1023 characters and its terminator.
    char line[CMessageLog::kLineSize] = {};
    Console().GetInputLine(line, sizeof line);
    if (c == platform::kCharReturn)
    {
        RunLine(line, session);
        return;
    }
    EditTypedLine(line, c);
    Console().OpenInputLine(line);
}

// Chat goes out as typed, an empty line included; the server echoes it back
// to everyone as a console line.
void CConsole::RunLine(const char* line, CClient& session)
{
    CCommandParser parser(session, m_send);
    if (!parser.ParseCommand(line))
    {
        CMessage message;
        message.SetText(line);
        if (m_send)
            m_send(message);
        else
            session.Send(message);
    }
    Close();
}

void CConsole::Close()
{
    Console().CloseInputLine();
    Console().SetInputActive(false);
    m_input.SetMode(kKeyboardModeGame);
}

// NextLine walks from the newest line, so the log grows upwards from one
// empty line's gap above the input line.
void DrawConsole(float x, float y)
{
    CMessageLog& log = Console();
    char line[CMessageLog::kLineSize];
    log.ResetCursor();
    if (log.GetInputLine(line, sizeof line))
        DrawText(GetGraphics(), x, y, ":%s", line);
    for (int n = 2; log.NextLine(line, sizeof line); ++n)
        DrawText(GetGraphics(), x, y + kConsoleLineHeight * float(n), "%s", line);
}
