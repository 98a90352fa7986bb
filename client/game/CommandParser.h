// CCommandParser runs the console's slash commands. A finished console line
// that begins with "/" is a command: the first word (split at spaces and
// "=") names it, and the rest are its arguments. Commands print their answers
// on the console log and may send messages to the server; any other line is
// chat, which the caller sends itself.
//
// The parser keeps no state between lines: the console makes one for each
// finished line.
#pragma once

#include <functional>

class CClient;
class CMessage;

class CCommandParser
{
public:
    using Sender = std::function<void(const CMessage&)>;

    // Commands act on `session`; messages go to `send` (by default the
    // session's Send).
    explicit CCommandParser(CClient& session, Sender send = {});
    // True when the line was a command (whatever its outcome), false for chat.
    bool ParseCommand(const char* line);

private:
    CClient& m_session;
    Sender m_send;
};
