#include "platform/MessageBox.h"

#include <string>

namespace platform
{
namespace
{
MessageDialog& Dialog()
{
    static MessageDialog dialog;
    return dialog;
}
} // namespace

void SetMessageDialog(MessageDialog dialog)
{
    Dialog() = std::move(dialog);
}

void ShowMessageBox(std::string_view text, std::string_view caption, std::FILE* sink)
{
    std::string line(caption);
    line += ": ";
    for (char c : text)
        line += (c == '\n' || c == '\r') ? ' ' : c;
    line += '\n';
    std::fputs(line.c_str(), sink);
    std::fflush(sink);
    if (Dialog())
        Dialog()(std::string(text), std::string(caption));
}

} // namespace platform
