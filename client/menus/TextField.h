// A line of text the player types into a screen (a name, an address). It is
// empty ("no text") until the first edit; edits replace it whole.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

class CTextField
{
public:
    // Zero-fills `size` bytes of `buffer` and copies at most size - 1
    // characters of the text (nothing when there is none).
    void GetText(char* buffer, size_t size) const;
    // Replaces the text with a copy; null changes nothing.
    void SetText(const char* text);
    // Edits the text by one typed character the way every typed line is
    // edited (client/TypedText.h); the first edit makes an empty text.
    void Type(char c);
    bool HasText() const { return m_text.has_value(); }
    const std::string& Text() const;

private:
    std::optional<std::string> m_text;
};
