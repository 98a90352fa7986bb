// The values the configuration file may give each setting: a count below
// zero, a speed or time of zero, or a number far beyond anything playable
// would make the world misbehave long after the file was read, so the reader
// refuses them up front and keeps the default.
#pragma once

#include <optional>
#include <string_view>

struct SettingRange
{
    std::string_view key;
    double lowest;
    double highest;
};

// The range of the setting named `key`; none for a key the table lacks.
std::optional<SettingRange> FindSettingRange(std::string_view key);
