// Reading the server's log in the net tests.
#pragma once

#include "common/MessageLog.h"

#include <string>
#include <vector>

namespace testing_support
{

// The server's log lines, oldest first; the log is left empty. The log keeps
// only its newest few lines, so tests that log more take them as they go.
inline std::vector<std::string> TakeServerLogLines()
{
    CMessageLog& log = CMessageLog::GetServerLog();
    std::vector<std::string> lines;
    char line[CMessageLog::kLineSize];
    log.ResetCursor();
    while (log.NextLine(line, sizeof line))
        lines.insert(lines.begin(), line);
    log.Clear();
    return lines;
}

} // namespace testing_support
