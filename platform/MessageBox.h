// Stand-in for the message box the game shows for set-up failures such as a
// failed texture upload. There is no dialog to show on a console or a
// headless server, so the caption and the text go to standard error as one
// line, which is where a user starting the program from a shell looks. A
// program with a display (the client) also installs a dialog, shown after the
// line is written.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace platform
{

// Writes "caption: text" and a newline to `sink` (standard error by default).
// Line breaks inside the text become spaces, so one message is one line.
void ShowMessageBox(std::string_view text, std::string_view caption, std::FILE* sink = stderr);

// Shows `text` under `caption` in a native dialog; empty: no dialog.
using MessageDialog = std::function<void(const std::string& text, const std::string& caption)>;
void SetMessageDialog(MessageDialog dialog);

} // namespace platform
