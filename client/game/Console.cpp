#include "client/game/Console.h"

#include "client/TypedText.h"

#include "client/Input.h"
#include "common/MessageLog.h"
#include "gfx/Graphics.h"
#include "net/Client.h"
#include "net/Message.h"
#include "platform/WindowEvents.h"

#include <cstring>

namespace
{
constexpr float kConsoleLineHeight = 16.0f;
// The line's block holds 1023 characters and its terminator.

CMessageLog& Console()
{
    return CMessageLog::GetConsoleLog();
}

// Chat goes out as typed, an empty line included; the server echoes it back
// to everyone as a console line.
void SendChat(const char* line, const CCommandParser::Sender& send)
{
    CMessage message;
    message.SetText(line);
    if (send)
        send(message);
    else
        CClient::Get().Send(message);
}

void RunLine(const char* line, const CCommandParser::Sender& send)
{
    if (!CCommandParser(send).ParseCommand(line))
        SendChat(line, send);
    CloseConsoleLine();
}

void EditLine(char* line, char c)
{
    EditTypedLine(line, c);
    Console().OpenInputLine(line);
}
} // namespace

void OpenConsoleLine()
{
    Console().CloseInputLine();
    Console().OpenInputLine("");
    CInput::Get().SetMode(kKeyboardModeText);
}

void TypeConsoleChar(char c, const CCommandParser::Sender& send)
{
    char line[CMessageLog::kLineSize] = {};
    Console().GetInputLine(line, sizeof line);
    if (c == platform::kCharReturn)
        RunLine(line, send);
    else
        EditLine(line, c);
}

void CloseConsoleLine()
{
    Console().CloseInputLine();
    Console().SetInputActive(false);
    CInput::Get().SetMode(kKeyboardModeGame);
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
