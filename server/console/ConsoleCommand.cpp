#include "server/console/ConsoleCommand.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <utility>

namespace server
{

const char* const kConsoleHelp =
    "status                          players: id, name, address, ping, frags\n"
    "kick ID|NAME [reason]           remove a player, telling why\n"
    "ban ID|ADDRESS [minutes] [reason]  refuse an address (0 or no minutes: for ever)\n"
    "unban ADDRESS                   lift a ban\n"
    "bans                            list the bans\n"
    "say TEXT                        a console line to every player\n"
    "map NAME                        end the round and play that map\n"
    "maps                            the maps in the rotation\n"
    "halt                            stop the server\n"
    "help                            this list";

namespace
{
struct VerbShape
{
    const char* word;
    Verb verb;
    bool needsTarget;
    bool needsText;
};

constexpr std::array kVerbs = {
    VerbShape{"status", Verb::Status, false, false}, VerbShape{"kick", Verb::Kick, true, false},
    VerbShape{"ban", Verb::Ban, true, false},        VerbShape{"unban", Verb::Unban, true, false},
    VerbShape{"bans", Verb::Bans, false, false},     VerbShape{"say", Verb::Say, false, true},
    VerbShape{"map", Verb::Map, true, false},        VerbShape{"maps", Verb::Maps, false, false},
    VerbShape{"halt", Verb::Halt, false, false},     VerbShape{"help", Verb::Help, false, false},
};

std::string Trim(const std::string& text)
{
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The first word and the rest of the line, both trimmed.
std::pair<std::string, std::string> SplitWord(const std::string& text)
{
    std::string trimmed = Trim(text);
    size_t space = trimmed.find(' ');
    if (space == std::string::npos)
        return {trimmed, {}};
    return {trimmed.substr(0, space), Trim(trimmed.substr(space + 1))};
}

std::optional<uint32_t> WholeNumber(const std::string& word)
{
    uint32_t value = 0;
    auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (word.empty() || error != std::errc() || end != word.data() + word.size())
        return std::nullopt;
    return value;
}

const VerbShape* FindVerb(std::string word)
{
    std::transform(word.begin(), word.end(), word.begin(), [](unsigned char c) { return std::tolower(c); });
    auto it =
        std::find_if(kVerbs.begin(), kVerbs.end(), [&word](const VerbShape& v) { return word == v.word; });
    return it == kVerbs.end() ? nullptr : &*it;
}

bool IsPrintable(const std::string& line)
{
    return std::all_of(line.begin(), line.end(), [](unsigned char c) { return c >= 0x20 && c != 0x7f; });
}

// Fills the arguments after the verb; false with `error` when they do not fit it.
bool ReadArguments(const VerbShape& shape, const std::string& rest, ConsoleCommand& command,
                   std::string& error)
{
    if (shape.needsText)
    {
        command.text = rest;
        error = rest.empty() ? std::string(shape.word) + " needs some text" : "";
        return !rest.empty();
    }
    auto [target, tail] = SplitWord(rest);
    if (shape.needsTarget && target.empty())
    {
        error = std::string(shape.word) + " needs " +
                (shape.verb == Verb::Map ? "a map name" : "a player or address");
        return false;
    }
    if (!shape.needsTarget && !rest.empty())
    {
        error = std::string(shape.word) + " takes nothing after it";
        return false;
    }
    command.target = target;
    if (shape.verb == Verb::Ban)
        if (auto [word, after] = SplitWord(tail); std::optional<uint32_t> minutes = WholeNumber(word))
        {
            command.minutes = *minutes;
            tail = after;
        }
    command.text = tail;
    if ((shape.verb == Verb::Kick || shape.verb == Verb::Ban) || tail.empty())
        return true;
    error = std::string(shape.word) + " takes one word after it";
    return false;
}
} // namespace

std::optional<ConsoleCommand> ParseCommand(const std::string& line, std::string& error)
{
    if (line.size() > kMostCommandLength)
    {
        error = "line too long (at most " + std::to_string(kMostCommandLength) + " characters)";
        return std::nullopt;
    }
    if (!IsPrintable(line))
    {
        error = "line holds control characters";
        return std::nullopt;
    }
    auto [word, rest] = SplitWord(line);
    const VerbShape* shape = FindVerb(word);
    if (!shape)
    {
        error = word.empty() ? "empty command; try help" : "unknown command \"" + word + "\"; try help";
        return std::nullopt;
    }
    ConsoleCommand command;
    command.verb = shape->verb;
    if (!ReadArguments(*shape, rest, command, error))
        return std::nullopt;
    return command;
}

} // namespace server
