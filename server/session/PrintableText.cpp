#include "server/session/PrintableText.h"

std::string PrintableText(const char* text)
{
    std::string printable = text ? text : "";
    for (char& c : printable)
        if (static_cast<unsigned char>(c) < 32 || c == 127)
            c = '?';
    return printable;
}
