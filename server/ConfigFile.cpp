#include "server/ConfigFile.h"

#include "game/Settings.h"
#include "platform/Files.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <limits>
#include <string>

namespace
{

constexpr int kKeyColumnWidth = 30;
constexpr std::streamsize kMaxCommentSkip = 1024;

void WriteSetting(std::FILE* file, const SettingDescriptor& setting)
{
    std::string label = std::string(setting.key) + " ";
    std::fprintf(file, "%-*s", kKeyColumnWidth, label.c_str());
    if (auto field = std::get_if<int GameSettings::*>(&setting.field))
        std::fprintf(file, "%d\n", g_settings.*(*field));
    else
        std::fprintf(file, "%.3f\n", g_settings.*std::get<float GameSettings::*>(setting.field));
    std::fflush(file);
}

// Parses the whole token as a number of the field's type; false leaves the
// setting as it was.
bool ParseValue(const std::string& token, const SettingDescriptor& setting)
{
    const char* first = token.data();
    const char* last = first + token.size();
    if (auto field = std::get_if<int GameSettings::*>(&setting.field))
    {
        int value = 0;
        auto [end, error] = std::from_chars(first, last, value);
        if (error != std::errc() || end != last)
            return false;
        g_settings.*(*field) = value;
        return true;
    }
    float value = 0;
    auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || !std::isfinite(value))
        return false;
    g_settings.*std::get<float GameSettings::*>(setting.field) = value;
    return true;
}

const SettingDescriptor* FindSetting(const std::string& token)
{
    for (const SettingDescriptor& setting : SettingTable())
        if (setting.key == token)
            return &setting;
    return nullptr;
}

void ReportUnrecognized(std::FILE* messages, const std::string& token)
{
    std::fprintf(messages, "Unrecognized Tag \"%s\" ... skipping\n", token.c_str());
}

} // namespace

bool SaveConfig(const char* path)
{
    if (!path)
        return false;
    std::FILE* file = std::fopen(platform::NativePath(path).c_str(), "w");
    if (!file)
        return false;
    std::fprintf(file, "// Quorvex Server Config File\n\n");
    std::string_view section;
    for (const SettingDescriptor& setting : SettingTable())
    {
        if (setting.section != section)
        {
            if (!section.empty())
                std::fprintf(file, "\n");
            section = setting.section;
            std::fprintf(file, "%.*s\n", static_cast<int>(section.size()), section.data());
        }
        WriteSetting(file, setting);
    }
    return std::fclose(file) == 0;
}

bool LoadConfig(const char* path, std::FILE* messages)
{
    if (!path)
        return false;
    std::ifstream in(platform::NativePath(path));
    if (!in)
        return false;
    std::string token;
    while (in >> token)
    {
        if (token.rfind("//", 0) == 0)
        {
            in.ignore(kMaxCommentSkip, '\n');
            continue;
        }
        const SettingDescriptor* setting = FindSetting(token);
        if (!setting)
        {
            ReportUnrecognized(messages, token);
            continue;
        }
        std::string value;
        if (in >> value && !ParseValue(value, *setting))
            ReportUnrecognized(messages, value);
    }
    return true;
}
