// Carries out the host's console commands on the server thread, between two
// passes of the loop, and words the answers.
#pragma once

#include "server/console/BanList.h"
#include "server/console/ConsoleCommand.h"

#include <cstdint>
#include <optional>
#include <string>

class CServer;

namespace server
{

class CServerConsole
{
public:
    // Loads the ban list and makes the session refuse its addresses.
    CServerConsole(CServer& server, std::string banListPath);

    // The answer to one line: what was done, or "error: ..." and nothing done.
    std::string Run(const std::string& line);

private:
    std::string Status();
    std::string Kick(const ConsoleCommand& command);
    std::string Ban(const ConsoleCommand& command);
    std::string Unban(const ConsoleCommand& command);
    std::string ListBans();
    std::string Say(const ConsoleCommand& command);
    std::string Map(const ConsoleCommand& command);
    std::string Maps();
    std::string Halt();
    std::optional<uint32_t> FindPlayer(const std::string& idOrName);
    std::string SaveBans(const std::string& done);

    CServer& m_server;
    CBanList m_bans;
};

} // namespace server
