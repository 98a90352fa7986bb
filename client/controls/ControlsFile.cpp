#include "client/controls/ControlsFile.h"

#include "client/Settings.h"
#include "client/controls/InputNames.h"
#include "platform/SettingsStore.h"

#include <cstdio>
#include <optional>

namespace
{
// Far larger than any file of bindings; a bigger one is not read.
constexpr size_t kMaxFileSize = 64 * 1024;

std::string_view Trimmed(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string Problem(std::string_view fileName, size_t line, const std::string& what)
{
    return std::string(fileName) + ":" + std::to_string(line) + ": " + what;
}

// The inputs of one line's right-hand side; the names that are unknown or
// cannot be bound go to `bad`, quoted, and are left out.
std::vector<InputId> ReadInputs(std::string_view list, std::string& bad)
{
    std::vector<InputId> inputs;
    while (!list.empty())
    {
        const size_t comma = list.find(',');
        const std::string_view name = Trimmed(list.substr(0, comma));
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
        const std::optional<InputId> input = InputNamed(name);
        if (input && IsBindableInput(*input))
            inputs.push_back(*input);
        else
            bad += (bad.empty() ? "\"" : ", \"") + std::string(name) + "\"";
    }
    return inputs;
}

// One line; the problem, or empty when there is none. A line whose names
// are all unknown leaves its action as it was.
std::string ReadLine(std::string_view line, CBindings& bindings)
{
    line = Trimmed(line);
    if (line.empty() || line.front() == '#')
        return {};
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return "not \"action = keys\"; skipped";
    const std::string_view name = Trimmed(line.substr(0, equals));
    const std::optional<KeyAction> action = ActionNamed(name);
    if (!action)
        return "unknown action \"" + std::string(name) + "\"; skipped";
    std::string bad;
    const std::vector<InputId> inputs = ReadInputs(line.substr(equals + 1), bad);
    if (!inputs.empty() || bad.empty())
    {
        bindings.Clear(*action);
        for (InputId input : inputs)
            bindings.Bind(*action, input);
    }
    return bad.empty() ? std::string() : "unknown or reserved key " + bad + "; skipped";
}
} // namespace

std::vector<std::string> ParseControls(std::string_view text, std::string_view fileName, CBindings& bindings)
{
    bindings = CBindings();
    std::vector<std::string> problems;
    for (size_t number = 1; !text.empty(); ++number)
    {
        const size_t end = text.find('\n');
        std::string problem = ReadLine(text.substr(0, end), bindings);
        if (!problem.empty())
            problems.push_back(Problem(fileName, number, problem));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return problems;
}

std::string FormatControls(const CBindings& bindings)
{
    std::string text = "# Quorvex controls: action = keys and pad controls, separated by commas.\n"
                       "# The controls screen (Options, then Tab) writes this file.\n";
    for (const BindableAction& bindable : kBindableActions)
    {
        text += bindable.name;
        text += " =";
        const char* separator = " ";
        for (InputId input : bindings.InputsOf(bindable.action))
        {
            text += separator + InputName(input);
            separator = ", ";
        }
        text += "\n";
    }
    return text;
}

CBindings LoadControls()
{
    CBindings bindings;
    std::optional<platform::CSettingsKey> key = platform::CSettingsKey::OpenForReading(kSettingsKey);
    std::string text(kMaxFileSize, '\0');
    size_t size = 0;
    if (!key || !key->QueryValue(kControlsFileName, text.data(), text.size(), size))
        return bindings;
    text.resize(size);
    const std::string path = key->Folder() + "/" + kControlsFileName;
    for (const std::string& problem : ParseControls(text, path, bindings))
        std::fprintf(stderr, "QuorvexClient: %s\n", problem.c_str());
    return bindings;
}

bool SaveControls(const CBindings& bindings)
{
    std::optional<platform::CSettingsKey> key = platform::CSettingsKey::Create(kSettingsKey);
    const std::string text = FormatControls(bindings);
    return key && key->SetValue(kControlsFileName, text.data(), text.size());
}
