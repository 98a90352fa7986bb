#include "platform/MessageBox.h"

#include <string>

namespace platform
{

void ShowMessageBox(std::string_view text, std::string_view caption, std::FILE* sink)
{
    std::string line(caption);
    line += ": ";
    for (char c : text)
        line += (c == '\n' || c == '\r') ? ' ' : c;
    line += '\n';
    std::fputs(line.c_str(), sink);
    std::fflush(sink);
}

} // namespace platform
