// The game screen's console: the chat key opens the input line, typed
// characters edit it, and carriage return runs it, as a command when it
// begins with "/" and as chat otherwise. DrawConsole shows the input line and
// the newest lines of the console log above it.
//
// The input line lives in the console log (CMessageLog::GetConsoleLog), so
// the network callbacks that print into the log and the typing share its
// lock. While the line is open the keyboard is in text entry (CInput).
#pragma once

#include "client/game/CommandParser.h"

class CClient;
class CInput;

class CConsole
{
public:
    // Finished lines go out through the session they are typed for, or
    // through `send` when given (tests record them).
    explicit CConsole(CInput& input, CCommandParser::Sender send = {});

    // Starts a fresh, empty input line and switches the keyboard to text
    // entry.
    void Open();
    // Edits the input line with one typed character: backspace drops the
    // last one, carriage return runs the line on `session` and closes it,
    // anything else is appended below 1023.
    void Type(char c, CClient& session);
    // Ends text entry without sending and gives the keyboard back to the game.
    void Close();

private:
    void RunLine(const char* line, CClient& session);

    CInput& m_input;
    CCommandParser::Sender m_send;
};

// Draws the console with its lower-left corner at (x, y) in the current
// colour: the input line at y, the log's lines from y + 32 upwards.
void DrawConsole(float x, float y);
