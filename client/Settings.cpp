#include "client/Settings.h"

#include "platform/SettingsStore.h"

#include <algorithm>
#include <array>
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

void SaveWindowedSetting(const ClientSettings& settings)
{
    std::optional<CSettingsKey> key = CSettingsKey::Create(kSettingsKey);
    if (key)
        SaveInt(*key, "Windowed", settings.windowed);
}
