#include "client/menus/KeyLabels.h"

#include "client/controls/InputNames.h"
#include "gfx/Text.h"

#include <algorithm>
#include <array>
#include <utility>

namespace
{
// Key names hold these; the font draws any of them as "_".
constexpr std::array<std::pair<char, const char*>, 6> kSpelledOut = {{
    {';', "Semicolon"},
    {'`', "Grave"},
    {'\\', "Backslash"},
    {'*', "Star"},
    {'#', "Hash"},
    {'&', "Ampersand"},
}};

bool FontHas(char c)
{
    const GlyphCell missing{};
    const GlyphCell cell = FindGlyph(c);
    return c == '_' || cell.row != missing.row || cell.column != missing.column;
}

std::string SpelledOut(char c)
{
    for (const auto& [character, word] : kSpelledOut)
        if (character == c)
            return word;
    return "?";
}
} // namespace

std::string ShownInputName(InputId input)
{
    std::string shown;
    for (char c : InputName(input))
        shown += FontHas(c) ? std::string(1, c) : SpelledOut(c);
    return shown;
}

std::string JoinedInputNames(const std::vector<InputId>& inputs, size_t count)
{
    std::string joined;
    for (size_t i = 0; i < std::min(count, inputs.size()); ++i)
        joined += (i == 0 ? "" : ", ") + ShownInputName(inputs[i]);
    return joined;
}

std::string FittedText(const std::string& text, size_t room)
{
    constexpr size_t kEllipsis = 3;
    if (text.size() <= room)
        return text;
    return room <= kEllipsis ? text.substr(0, room) : text.substr(0, room - kEllipsis) + "...";
}
