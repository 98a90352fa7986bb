#include "client/menus/TextField.h"

#include "client/TypedText.h"

#include <algorithm>
#include <cstring>

void CTextField::GetText(char* buffer, size_t size) const
{
    if (!buffer || size == 0)
        return;
    std::memset(buffer, 0, size);
    if (m_text)
        m_text->copy(buffer, std::min(m_text->size(), size - 1));
}

void CTextField::SetText(const char* text)
{
    if (text)
        m_text = text;
}

void CTextField::Type(char c)
{
    char text[kMaxTypedLength + 1];
    GetText(text, sizeof text);
    EditTypedLine(text, c);
    SetText(text);
}

const std::string& CTextField::Text() const
{
    static const std::string kNoText;
    return m_text ? *m_text : kNoText;
}
