#include "client/TypedText.h"

#include "platform/WindowEvents.h"

#include <cstring>

void EditTypedLine(char* line, char c)
{
    size_t length = std::strlen(line);
    if (c == platform::kCharBackspace)
    {
        if (length > 0)
            line[length - 1] = '\0';
    }
    else if (length < kMaxTypedLength)
    {
        line[length] = c;
        line[length + 1] = '\0';
    }
}
