#include "server/console/ServerConsole.h"

#include "common/MessageLog.h"
#include "platform/Files.h"
#include "server/session/Server.h"
#include "session/SessionTypes.h"

#include <charconv>
#include <cstdio>
#include <ctime>

namespace server
{
namespace
{
int64_t UnixNow()
{
    return static_cast<int64_t>(std::time(nullptr));
}

std::string AddressOnly(uint32_t ipv4)
{
    std::string text = session::HostAddress{ipv4, 0}.ToString();
    return text.substr(0, text.rfind(':'));
}

std::optional<uint32_t> AddressOf(const std::string& hostAndPort)
{
    return session::HostAddress::ParseIpv4(hostAndPort.substr(0, hostAndPort.rfind(':')));
}

std::string Error(const std::string& what)
{
    return "error: " + what;
}
} // namespace

CServerConsole::CServerConsole(CServer& server, std::string banListPath)
    : m_server(server), m_bans(std::move(banListPath))
{
    size_t skipped = 0;
    if (!m_bans.Load(&skipped))
        std::printf("Cannot read the ban list; starting with no bans.\n");
    if (skipped > 0)
        std::printf("Skipped %zu unreadable lines of the ban list.\n", skipped);
    m_server.SetBanCheck([this](uint32_t ipv4) { return m_bans.IsBanned(ipv4, UnixNow()); });
}

std::string CServerConsole::Run(const std::string& line)
{
    std::string error;
    std::optional<ConsoleCommand> command = ParseCommand(line, error);
    if (!command)
        return Error(error);
    switch (command->verb)
    {
    case Verb::Status:
        return Status();
    case Verb::Kick:
        return Kick(*command);
    case Verb::Ban:
        return Ban(*command);
    case Verb::Unban:
        return Unban(*command);
    case Verb::Bans:
        return ListBans();
    case Verb::Say:
        return Say(*command);
    case Verb::Map:
        return Map(*command);
    case Verb::Maps:
        return Maps();
    case Verb::Halt:
        return Halt();
    case Verb::Help:
        break;
    }
    return kConsoleHelp;
}

std::string CServerConsole::Status()
{
    std::string text = "id  name  address  ping  frags";
    char row[512];
    for (const ConsolePlayer& player : m_server.ListPlayers())
    {
        std::snprintf(row, sizeof row, "\n%u  \"%s\"  %s  %u  %d", player.id, player.name.c_str(),
                      player.bot ? "bot" : player.address.c_str(), player.ping, player.frags);
        text += row;
    }
    return text;
}

// A player by id, or by name in any case.
std::optional<uint32_t> CServerConsole::FindPlayer(const std::string& idOrName)
{
    uint32_t id = 0;
    auto [end, error] = std::from_chars(idOrName.data(), idOrName.data() + idOrName.size(), id);
    bool isNumber = error == std::errc() && end == idOrName.data() + idOrName.size();
    for (const ConsolePlayer& player : m_server.ListPlayers())
        if (isNumber ? player.id == id : platform::CompareNoCase(player.name, idOrName) == 0)
            return player.id;
    return std::nullopt;
}

std::string CServerConsole::Kick(const ConsoleCommand& command)
{
    std::optional<uint32_t> player = FindPlayer(command.target);
    if (!player)
        return Error("no player \"" + command.target + "\"; see status");
    std::string reason = command.text.empty() ? "no reason given" : command.text;
    if (!m_server.Kick(*player, reason))
        return Error("player " + std::to_string(*player) + " is a bot; lower -bots instead");
    return "kicked player " + std::to_string(*player) + ": " + reason;
}

// Bans an address, or a player's address; the players there are kicked.
std::string CServerConsole::Ban(const ConsoleCommand& command)
{
    std::optional<uint32_t> address = session::HostAddress::ParseIpv4(command.target);
    std::optional<uint32_t> id = address ? std::nullopt : FindPlayer(command.target);
    for (const ConsolePlayer& player : m_server.ListPlayers())
        if (id && player.id == *id)
            address = AddressOf(player.address);
    if (!address)
        return Error("\"" + command.target + "\" is neither an address nor a connected person; see status");
    int64_t expires = command.minutes == 0 ? 0 : UnixNow() + int64_t{command.minutes} * 60;
    std::string reason = command.text.empty() ? "banned" : command.text;
    m_bans.Add({*address, expires, reason});
    for (const ConsolePlayer& player : m_server.ListPlayers())
        if (!player.bot && AddressOf(player.address) == address)
            m_server.Kick(player.id, "banned: " + reason);
    std::string length =
        command.minutes == 0 ? "for ever" : "for " + std::to_string(command.minutes) + " minutes";
    return SaveBans("banned " + AddressOnly(*address) + " " + length + ": " + reason);
}

std::string CServerConsole::Unban(const ConsoleCommand& command)
{
    std::optional<uint32_t> address = session::HostAddress::ParseIpv4(command.target);
    if (!address)
        return Error("\"" + command.target + "\" is not an IPv4 address");
    if (!m_bans.Remove(*address))
        return Error(command.target + " is not banned");
    return SaveBans("unbanned " + command.target);
}

std::string CServerConsole::ListBans()
{
    if (m_bans.DropExpired(UnixNow()))
        SaveBans("");
    std::string text = "address  expires (unix time, 0 never)  reason";
    for (const server::Ban& ban : m_bans.GetBans())
        text += "\n" + CBanList::FormatLine(ban);
    return text;
}

std::string CServerConsole::SaveBans(const std::string& done)
{
    std::string error;
    if (!m_bans.Save(&error))
        return done + "\nerror: the ban list could not be written (" + error +
               "); the ban lasts until the server stops";
    return done;
}

std::string CServerConsole::Say(const ConsoleCommand& command)
{
    CMessageLog::GetServerLog().Print("Host: %s", command.text.c_str());
    return "said: " + command.text;
}

std::string CServerConsole::Map(const ConsoleCommand& command)
{
    if (!m_server.RequestMap(command.target))
        return Error("no map \"" + command.target + "\" in the rotation; see maps");
    return "changing the map to " + command.target;
}

std::string CServerConsole::Maps()
{
    std::string text;
    for (const std::string& path : m_server.GetRotation())
    {
        // The name `map` takes: the file's name without its folder and ".smp".
        std::string name = path.substr(path.find_last_of("\\/") + 1);
        text += (text.empty() ? "" : "\n") + name.substr(0, name.rfind(".smp"));
    }
    return text.empty() ? "no maps" : text;
}

std::string CServerConsole::Halt()
{
    m_server.Halt();
    return "halting";
}

} // namespace server
