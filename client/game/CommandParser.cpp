#include "client/game/CommandParser.h"

#include "common/MessageLog.h"
#include "game/World.h"
#include "net/Client.h"
#include "net/Message.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace
{
constexpr std::string_view kDelimiters = " =";

// Walks a copy of the line the way strtok does (leading delimiters skipped,
// a token ends at the next delimiter, which is consumed with it), but keeps
// its position itself so parsers never share hidden state.
class CTokenizer
{
public:
    explicit CTokenizer(std::string text) : m_text(std::move(text)) {}

    // The next token; none when only delimiters are left.
    std::optional<std::string> Next(std::string_view delimiters)
    {
        size_t start = m_text.find_first_not_of(delimiters, m_position);
        if (start == std::string::npos)
        {
            m_position = m_text.size();
            return std::nullopt;
        }
        size_t end = std::min(m_text.find_first_of(delimiters, start), m_text.size());
        m_position = end < m_text.size() ? end + 1 : end;
        return m_text.substr(start, end - start);
    }

    // Everything after the last token and the one delimiter that ended it.
    std::string Rest() const { return m_text.substr(m_position); }

private:
    std::string m_text;
    size_t m_position = 0;
};

using Sender = CCommandParser::Sender;

// What a command may act on: the session and the way out for its messages.
struct CommandTarget
{
    CClient& session;
    const Sender& send;
};
using CommandHandler = void (*)(CTokenizer& tokens, const CommandTarget& target);

CMessageLog& Console()
{
    return CMessageLog::GetConsoleLog();
}

void PrintHelp(CTokenizer&, const CommandTarget&)
{
    static const char* const kHelpLines[] = {
        "Client Commands:",
        "   name <your name>",
        "   clear",
        "   find servers",
        "   connect <server name>",
        "   disconnect",
        "   exit",
        "   help",
        "",
        "Server Commands:",
        "   server halt",
        "",
    };
    for (const char* line : kHelpLines)
        Console().Print("%s", line);
}

// Renames the local ship only: the saved name and the server's copy stay.
void SetPlayerName(CTokenizer& tokens, const CommandTarget& target)
{
    std::string name = tokens.Rest();
    CGameWorld* world = target.session.GetWorld();
    if (CShip* ship = world ? world->FirstPlayer() : nullptr)
        ship->SetName(name.c_str());
    Console().Print("Player name set to %s, long live %s!", name.c_str(), name.c_str());
    Console().Print("(note: If you're currently logged into a server this");
    Console().Print("       won't take effect until you log out and log");
    Console().Print("       back in.)");
}

void ClearConsole(CTokenizer&, const CommandTarget&)
{
    Console().Clear();
}

// A search that cannot be made is reported on the console by the session.
void FindServers(CTokenizer&, const CommandTarget& target)
{
    Console().Print("Searching the network for servers, please wait...");
    target.session.SearchForServers(nullptr);
    target.session.ListServers();
}

void ListServers(CTokenizer&, const CommandTarget& target)
{
    target.session.ListServers();
}

void ConnectToServer(CTokenizer& tokens, const CommandTarget& target)
{
    std::string name = tokens.Rest();
    Console().Print("Attempting to connect to \"%s\"...", name.c_str());
    // Only a server that matched: connecting anyway would reach whichever
    // server an earlier command had selected.
    if (target.session.SelectServer(name.c_str()))
        target.session.Connect();
}

void NotImplemented(CTokenizer&, const CommandTarget&)
{
    Console().Print("Not implemented yet, try again later.");
}

void HaltServer(const Sender& send)
{
    CMessage message;
    message.SetShutdown(0);
    send(message);
    Console().Print("Attempting to shutdown server...");
}

// The map name ends at a space only, so it may hold "=".
void RequestMap(CTokenizer& tokens, const Sender& send)
{
    std::optional<std::string> map = tokens.Next(" ");
    if (!map)
        return;
    CMessage message;
    message.SetMap(map->c_str());
    send(message);
    Console().Print("Requesting server change to map \"%s\"", map->c_str());
}

void ServerCommand(CTokenizer& tokens, const CommandTarget& target)
{
    const Sender& send = target.send;
    std::optional<std::string> subCommand = tokens.Next(kDelimiters);
    if (!subCommand)
        Console().Print("Server must be followed by a sub-commmand.");
    else if (*subCommand == "halt")
        HaltServer(send);
    else if (*subCommand == "map")
        RequestMap(tokens, send);
    else
        Console().Print("Unrecognized server command.");
}

void RunCommand(const std::string& command, CTokenizer& tokens, const CommandTarget& target)
{
    static const std::pair<const char*, CommandHandler> kCommands[] = {
        {"help", PrintHelp},
        {"name", SetPlayerName},
        {"clear", ClearConsole},
        {"find", FindServers},
        {"list", ListServers},
        {"connect", ConnectToServer},
        {"disconnect", NotImplemented},
        {"server", ServerCommand},
        {"exit", NotImplemented},
    };
    for (const auto& [name, handler] : kCommands)
    {
        if (command == name)
        {
            handler(tokens, target);
            return;
        }
    }
    Console().Print("Unrecognized command");
}
} // namespace

CCommandParser::CCommandParser(CClient& session, Sender send) : m_session(session), m_send(std::move(send))
{
    if (!m_send)
        m_send = [&session](const CMessage& message) { session.Send(message); };
}

bool CCommandParser::ParseCommand(const char* line)
{
    if (!line || line[0] != '/')
        return false;
    CTokenizer tokens(line + 1);
    if (std::optional<std::string> command = tokens.Next(kDelimiters))
        RunCommand(*command, tokens, {m_session, m_send});
    return true;
}
