// Command-line options as a table: each program lists its options (a name,
// whether it takes the next argument as its value, and what to do with it)
// and one loop walks the arguments left to right. The server, the probe and
// the relay so read their options the same way, as they read numbers the same
// way (ExactNumber.h), and differ only where their tables and styles say.
#pragma once

#include "common/ExactNumber.h"

#include <cctype>
#include <functional>
#include <limits>
#include <span>
#include <string>
#include <string_view>

namespace cmdline
{

// What an option's handler tells the loop.
enum class Verdict
{
    Next,     // read on
    Stop,     // the option ends the command line (help, version, an error it reported itself)
    BadValue, // the option does not take this value
};

struct Option
{
    std::string_view name;
    bool takesValue = false;
    // Gets the value, or "" for an option without one.
    std::function<Verdict(const char* value)> handle;
};

// How a program spells its options.
struct Style
{
    // "-PORT" is "-port".
    bool ignoreCase = false;
    // "--port" is "-port" too, for people used to GNU programs.
    bool doubleDash = false;
};

struct Outcome
{
    enum class Kind
    {
        Done,         // every argument was read
        Stopped,      // a handler said Stop
        Unknown,      // `option` is no option of the table
        MissingValue, // `option` came last, without its value
        BadValue,     // `option` does not take `value`
    };
    Kind kind = Kind::Done;
    std::string option;
    std::string value;
};

// An option that ends the command line, as a tool's "--help" does.
inline Option StopOption(std::string_view name)
{
    return {name, false, [](const char*) { return Verdict::Stop; }};
}

// An option that takes no value and always reads on after `act`.
inline Option Flag(std::string_view name, std::function<void()> act)
{
    return {name, false,
            [act = std::move(act)](const char*)
            {
                act();
                return Verdict::Next;
            }};
}

// An option whose value `read` takes into its target, or refuses as bad by
// returning false.
inline Option ValueOption(std::string_view name, std::function<bool(const std::string& value)> read)
{
    return {name, true, [read = std::move(read)](const char* value) {
                return read(value) ? Verdict::Next : Verdict::BadValue;
            }};
}

// An option whose value is one number from `lowest` to `highest` (read
// strictly, see ParseExactNumber) stored in `target`; other values are bad.
template <typename Number>
Option NumberOption(std::string_view name, Number& target,
                    Number lowest = std::numeric_limits<Number>::lowest(),
                    Number highest = std::numeric_limits<Number>::max())
{
    return {name, true,
            [&target, lowest, highest](const char* value)
            {
                Number number{};
                // Written so that a NaN fails the range too.
                if (!ParseExactNumber(value, number) || !(number >= lowest && number <= highest))
                    return Verdict::BadValue;
                target = number;
                return Verdict::Next;
            }};
}

inline bool SameName(std::string_view argument, std::string_view name, bool ignoreCase)
{
    if (!ignoreCase || argument.size() != name.size())
        return argument == name;
    for (size_t i = 0; i < name.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(argument[i])) !=
            std::tolower(static_cast<unsigned char>(name[i])))
            return false;
    return true;
}

inline const Option* FindOption(std::span<const Option> table, std::string_view argument, Style style)
{
    for (const Option& option : table)
        if (SameName(argument, option.name, style.ignoreCase))
            return &option;
    if (style.doubleDash && argument.starts_with("--"))
        return FindOption(table, argument.substr(1), {.ignoreCase = style.ignoreCase});
    return nullptr;
}

// Reads argv[1..argc) against `table`, left to right, until the end, a Stop
// or the first mistake.
inline Outcome ParseOptions(std::span<const Option> table, int argc, char** argv, Style style = {})
{
    for (int i = 1; i < argc && argv[i]; ++i)
    {
        const char* argument = argv[i];
        const Option* option = FindOption(table, argument, style);
        bool valueMissing = option && option->takesValue && (i + 1 >= argc || !argv[i + 1]);
        if (!option)
            return {Outcome::Kind::Unknown, argument, ""};
        if (valueMissing)
            return {Outcome::Kind::MissingValue, argument, ""};
        const char* value = option->takesValue ? argv[++i] : "";
        switch (option->handle(value))
        {
        case Verdict::Stop:
            return {Outcome::Kind::Stopped, argument, value};
        case Verdict::BadValue:
            return {Outcome::Kind::BadValue, argument, value};
        case Verdict::Next:
            break;
        }
    }
    return {};
}

// The tools' wording of a mistake: "unknown option "--x"", "--port needs a
// value", "bad value "x" for --port"; empty when there was none.
inline std::string Describe(const Outcome& outcome)
{
    switch (outcome.kind)
    {
    case Outcome::Kind::Unknown:
        return "unknown option \"" + outcome.option + "\"";
    case Outcome::Kind::MissingValue:
        return outcome.option + " needs a value";
    case Outcome::Kind::BadValue:
        return "bad value \"" + outcome.value + "\" for " + outcome.option;
    default:
        return "";
    }
}

// The tools' way: true when every argument was read; otherwise false, with
// `error` saying what was wrong, or empty when an option stopped the reading
// (their help).
inline bool ParseToolOptions(std::span<const Option> table, int argc, char** argv, std::string& error)
{
    Outcome outcome = ParseOptions(table, argc, argv);
    error = Describe(outcome);
    return outcome.kind == Outcome::Kind::Done;
}

} // namespace cmdline
