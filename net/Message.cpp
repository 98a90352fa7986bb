#include "net/Message.h"

#include <cstring>

void CMessage::Clear()
{
    m_type = MSG_NONE;
    m_text.clear();
}

void CMessage::SetText(const char* text)
{
    m_type = MSG_TEXT;
    m_text = text ? text : "";
}

void CMessage::GetText(char* buffer, size_t size) const
{
    if (m_type != MSG_TEXT || !buffer || size == 0)
        return;
    std::memset(buffer, 0, size);
    std::strncpy(buffer, m_text.c_str(), size - 1);
}
