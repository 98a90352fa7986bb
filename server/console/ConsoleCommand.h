// One line typed at the server console (standard input or the control
// socket), parsed into what the server thread then carries out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace server
{

// A longer line is refused whole: it is a mistake or an attack, not a command.
constexpr size_t kMostCommandLength = 512;

enum class Verb
{
    Status,
    Kick,
    Ban,
    Unban,
    Bans,
    Say,
    Map,
    Maps,
    Halt,
    Help,
};

struct ConsoleCommand
{
    Verb verb = Verb::Help;
    // kick and ban: a player id, a name or an address; unban: the address;
    // map: the map's name.
    std::string target;
    // ban: how long; 0 for ever.
    uint32_t minutes = 0;
    // kick and ban: the reason; say: the text.
    std::string text;

    bool operator==(const ConsoleCommand&) const = default;
};

// The command, or nullopt with `error` saying what is wrong with the line.
std::optional<ConsoleCommand> ParseCommand(const std::string& line, std::string& error);

extern const char* const kConsoleHelp;

} // namespace server
