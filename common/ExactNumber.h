// Command-line numbers: the programs' options all read them the same strict
// way, so "12x", " 12" or "" is an error and not 12 or 0.
#pragma once

#include <charconv>
#include <string_view>
#include <system_error>

// True, with `out` set, when all of `text` is one decimal number that fits
// `Number` (a whole one for integer types); false, with `out` unspecified,
// otherwise.
template <typename Number> bool ParseExactNumber(std::string_view text, Number& out)
{
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size();
}
