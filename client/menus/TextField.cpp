#include "client/menus/TextField.h"

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

const std::string& CTextField::Text() const
{
    static const std::string kNoText;
    return m_text ? *m_text : kNoText;
}
