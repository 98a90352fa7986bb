#include "client/Settings.h"

#include "platform/SettingsStore.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace
{

using platform::CSettingsKey;

// Numbers are stored as 4 little-endian bytes whatever the machine's order,
// so a settings folder means the same on every machine.
using IntBytes = std::array<unsigned char, 4>;

IntBytes EncodeInt(int value)
{
    auto bits = static_cast<uint32_t>(value);
    return {static_cast<unsigned char>(bits), static_cast<unsigned char>(bits >> 8),
            static_cast<unsigned char>(bits >> 16), static_cast<unsigned char>(bits >> 24)};
}

int DecodeInt(const IntBytes& bytes)
{
    uint32_t bits =
        uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
    return static_cast<int32_t>(bits);
}

// A number is read with a buffer of exactly its size: a longer value does
// not fit and a shorter one is not a number, so either leaves `value` as it
// was, like a missing value.
void LoadInt(const CSettingsKey& key, const char* name, int& value)
{
    IntBytes bytes{};
    size_t size = 0;
    if (key.QueryValue(name, bytes.data(), bytes.size(), size) && size == bytes.size())
        value = DecodeInt(bytes);
}

// A stored name longer than the buffer keeps its first bytes, so the name
// always ends with a zero. The store reads a value whole or not at all, so
// the name is read through a larger buffer; a value beyond even that is
// not a name a player typed, and leaves the name empty.
void LoadName(const CSettingsKey& key, char (&name)[kPlayerNameSize])
{
    constexpr size_t kLongestStoredName = 64 * 1024;
    std::memset(name, 0, sizeof name);
    std::vector<char> stored(kLongestStoredName);
    size_t size = 0;
    if (key.QueryValue("PlayerName", stored.data(), stored.size(), size))
        std::memcpy(name, stored.data(), std::min(size, sizeof name - 1));
}

// Longer text values are not settings a player wrote, and are ignored.
constexpr size_t kLongestTextValue = 4096;
constexpr size_t kLongestMasterLine = 255;

std::string LoadText(const CSettingsKey& key, const char* name)
{
    std::vector<char> stored(kLongestTextValue);
    size_t size = 0;
    if (!key.QueryValue(name, stored.data(), stored.size(), size))
        return {};
    return std::string(stored.data(), std::min(size, stored.size()));
}

std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty())
    {
        size_t end = std::min(text.find('\n'), text.size());
        lines.push_back(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return lines;
}

std::string_view Trimmed(std::string_view line)
{
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
        line.remove_suffix(1);
    return line;
}

std::optional<session::HostAddress> ParseFavourite(std::string_view line)
{
    size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    std::optional<uint32_t> ipv4 = session::HostAddress::ParseIpv4(line.substr(0, colon));
    std::string_view digits = line.substr(colon + 1);
    unsigned port = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    if (!ipv4 || error != std::errc{} || end != digits.data() + digits.size() || port == 0 || port > 65535)
        return std::nullopt;
    return session::HostAddress{*ipv4, static_cast<uint16_t>(port)};
}

// A value that cannot be written is skipped and saving carries on with the
// next one: the globals hold the new choices for this run either way, and
// the store keeps the old value whole.
void SaveInt(CSettingsKey& key, const char* name, int value)
{
    IntBytes bytes = EncodeInt(value);
    key.SetValue(name, bytes.data(), bytes.size());
}

// The numeric values, in the order they are written.
struct IntSetting
{
    const char* name;
    int ClientSettings::*value;
};
constexpr IntSetting kIntSettings[] = {
    {"ShipType", &ClientSettings::shipType},   {"ResWidth", &ClientSettings::resWidth},
    {"ResHeight", &ClientSettings::resHeight}, {"ResDepth", &ClientSettings::resDepth},
    {"ResFreq", &ClientSettings::resFreq},     {"ResDesktop", &ClientSettings::resDesktop},
    {"Windowed", &ClientSettings::windowed},   {"SoundVolume", &ClientSettings::soundVolume},
    {"MaxFps", &ClientSettings::maxFps}};
} // namespace

std::vector<session::HostAddress> ParseFavourites(std::string_view text)
{
    std::vector<session::HostAddress> favourites;
    for (std::string_view line : Lines(text))
    {
        std::optional<session::HostAddress> address = ParseFavourite(Trimmed(line));
        bool known = address && std::find(favourites.begin(), favourites.end(), *address) != favourites.end();
        if (address && !known && favourites.size() < kMostFavourites)
            favourites.push_back(*address);
    }
    return favourites;
}

std::string FormatFavourites(const std::vector<session::HostAddress>& favourites)
{
    std::string text;
    for (const session::HostAddress& address : favourites)
        text += address.ToString() + "\n";
    return text;
}

void RememberFavourite(std::vector<session::HostAddress>& favourites, const session::HostAddress& joined)
{
    std::erase(favourites, joined);
    favourites.insert(favourites.begin(), joined);
    if (favourites.size() > kMostFavourites)
        favourites.resize(kMostFavourites);
}

std::vector<std::string> ParseMasters(std::string_view text)
{
    std::vector<std::string> masters;
    for (std::string_view line : Lines(text))
    {
        line = Trimmed(line);
        bool printable = std::all_of(line.begin(), line.end(), [](char c) { return c > ' ' && c < 127; });
        if (!line.empty() && printable && line.size() <= kLongestMasterLine && masters.size() < kMostMasters)
            masters.emplace_back(line);
    }
    return masters;
}

platform::VideoMode SavedMode(const ClientSettings& settings)
{
    return {settings.resWidth, settings.resHeight, settings.resDepth, settings.resFreq};
}

void LoadSettings(ClientSettings& settings)
{
    std::optional<CSettingsKey> key = CSettingsKey::OpenForReading(kSettingsKey);
    if (!key)
        return;
    LoadName(*key, settings.playerName);
    for (const IntSetting& setting : kIntSettings)
        LoadInt(*key, setting.name, settings.*setting.value);
    settings.soundVolume = std::clamp(settings.soundVolume, 0, 10);
    settings.favourites = ParseFavourites(LoadText(*key, "Favourites"));
    settings.masters = ParseMasters(LoadText(*key, "Masters"));
}

void SaveSettings(const ClientSettings& settings)
{
    std::optional<CSettingsKey> key = CSettingsKey::Create(kSettingsKey);
    if (!key)
        return;
    const char* name = settings.playerName;
    key->SetValue("PlayerName", name, strnlen(name, sizeof settings.playerName - 1));
    for (const IntSetting& setting : kIntSettings)
        SaveInt(*key, setting.name, settings.*setting.value);
}

void SaveFavourites(const ClientSettings& settings)
{
    std::optional<CSettingsKey> key = CSettingsKey::Create(kSettingsKey);
    std::string text = FormatFavourites(settings.favourites);
    if (key)
        key->SetValue("Favourites", text.data(), text.size());
}

void SaveWindowedSetting(const ClientSettings& settings)
{
    std::optional<CSettingsKey> key = CSettingsKey::Create(kSettingsKey);
    if (key)
        SaveInt(*key, "Windowed", settings.windowed);
}
