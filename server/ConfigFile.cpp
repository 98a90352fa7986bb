#include "server/ConfigFile.h"

#include "game/Settings.h"
#include "platform/Files.h"
#include "server/SettingRanges.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <fstream>
#include <limits>
#include <optional>
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

// Parses the whole token as a finite number; false for anything else.
template <typename Number> bool ParseNumber(const std::string& token, Number& value)
{
    auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
    return error == std::errc() && end == token.data() + token.size() && std::isfinite(double(value));
}

double CurrentValue(const SettingDescriptor& setting)
{
    if (auto field = std::get_if<int GameSettings::*>(&setting.field))
        return g_settings.*(*field);
    return g_settings.*std::get<float GameSettings::*>(setting.field);
}

// What the reader made of one value.
enum class ValueRead
{
    Taken,
    Unreadable, // not a number of the field's type
    OutOfRange, // a number outside the setting's range
};

template <typename Number>
ValueRead Store(const std::string& token, const SettingDescriptor& setting, Number GameSettings::*field)
{
    Number value{};
    if (!ParseNumber(token, value))
        return ValueRead::Unreadable;
    std::optional<SettingRange> range = FindSettingRange(setting.key);
    if (range && !(value >= range->lowest && value <= range->highest))
        return ValueRead::OutOfRange;
    g_settings.*field = value;
    return ValueRead::Taken;
}

// Takes the whole token as the setting's new value when it is a number of the
// field's type within the setting's range; otherwise leaves the setting alone.
ValueRead ParseValue(const std::string& token, const SettingDescriptor& setting)
{
    if (auto field = std::get_if<int GameSettings::*>(&setting.field))
        return Store(token, setting, *field);
    return Store(token, setting, std::get<float GameSettings::*>(setting.field));
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

namespace
{

// Splits a configuration file into tokens, counting lines so that reports
// can say where a value was.
class TokenReader
{
public:
    explicit TokenReader(std::istream& in) : m_in(in) {}

    // The next whitespace-separated token; false at the end.
    bool Next(std::string& token)
    {
        token.clear();
        for (int c; (c = m_in.get()) != EOF;)
        {
            if (!std::isspace(c))
                token += static_cast<char>(c);
            else if (!token.empty())
                return Unget(c);
            else if (c == '\n')
                ++m_line;
        }
        return !token.empty();
    }

    // Passes over the rest of a comment line, at most kMaxCommentSkip characters.
    void SkipComment()
    {
        for (std::streamsize i = 0; i < kMaxCommentSkip; ++i)
        {
            int c = m_in.get();
            if (c == EOF)
                return;
            if (c == '\n')
            {
                ++m_line;
                return;
            }
        }
    }

    int Line() const { return m_line; }

private:
    bool Unget(int c)
    {
        m_in.putback(static_cast<char>(c));
        return true;
    }

    std::istream& m_in;
    int m_line = 1;
};

void ReadValue(TokenReader& reader, const SettingDescriptor& setting, std::FILE* messages)
{
    std::string value;
    if (!reader.Next(value))
        return;
    switch (ParseValue(value, setting))
    {
    case ValueRead::Unreadable:
        ReportUnrecognized(messages, value);
        break;
    case ValueRead::OutOfRange:
        std::fprintf(messages, "line %d: %s out of range for %.*s; keeping %g\n", reader.Line(),
                     value.c_str(), static_cast<int>(setting.key.size()), setting.key.data(),
                     CurrentValue(setting));
        break;
    case ValueRead::Taken:
        break;
    }
}

} // namespace

bool LoadConfig(const char* path, std::FILE* messages)
{
    if (!path)
        return false;
    std::ifstream in(platform::NativePath(path));
    if (!in)
        return false;
    TokenReader reader(in);
    std::string token;
    while (reader.Next(token))
    {
        if (token.rfind("//", 0) == 0)
        {
            reader.SkipComment();
            continue;
        }
        if (const SettingDescriptor* setting = FindSetting(token))
            ReadValue(reader, *setting, messages);
        else
            ReportUnrecognized(messages, token);
    }
    return true;
}
