// One game message. This first cut carries only console text; the full codec
// with every message type and the batch format follows.
#pragma once

#include <cstdint>
#include <string>

enum MessageType : int32_t
{
    MSG_NONE = 0,
    MSG_TEXT = 1,
};

class CMessage
{
public:
    void Clear();
    int32_t GetType() const { return m_type; }

    void SetText(const char* text);
    void GetText(char* buffer, size_t size) const;

private:
    int32_t m_type = MSG_NONE;
    std::string m_text;
};
