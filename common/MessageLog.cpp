#include "common/MessageLog.h"

#include "common/Lock.h"
#include "common/MemoryTracker.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace
{
// Never destroyed, so that logs and the tracker may be used during exit.
CLock& LogLock()
{
    static CLock* lock = new CLock;
    return *lock;
}

CMessageLog* g_serverLog = nullptr;
CMessageLog* g_consoleLog = nullptr;

void CopyBounded(char* buffer, size_t size, const char* text)
{
    std::memset(buffer, 0, size);
    std::strncpy(buffer, text, size - 1);
}
} // namespace

CMessageLog& CMessageLog::GetServerLog()
{
    CLockGuard guard(LogLock());
    if (!g_serverLog)
        g_serverLog = new CMessageLog();
    return *g_serverLog;
}

void CMessageLog::DestroyServerLog()
{
    CLockGuard guard(LogLock());
    delete g_serverLog;
    g_serverLog = nullptr;
}

CMessageLog& CMessageLog::GetConsoleLog()
{
    CLockGuard guard(LogLock());
    if (!g_consoleLog)
        g_consoleLog = new CMessageLog();
    return *g_consoleLog;
}

CMessageLog::~CMessageLog()
{
    Clear();
    CloseInputLine();
}

char* CMessageLog::NewLineBlock()
{
    char* block = static_cast<char*>(CMemoryTracker::Get().Alloc(kLineSize));
    if (block)
        std::memset(block, 0, kLineSize);
    return block;
}

void CMessageLog::Print(const char* format, ...)
{
    if (!format)
        return;
    CLockGuard guard(LogLock());
    char* line = NewLineBlock();
    if (!line)
        return;
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, kLineSize, format, args);
    va_end(args);
    m_lines.push_front(line);
    DropOldestBeyondMax();
}

void CMessageLog::DropOldestBeyondMax()
{
    while (static_cast<int>(m_lines.size()) > m_maxLines)
    {
        if (m_cursor != m_lines.end() && *m_cursor == m_lines.back())
            m_cursor = m_lines.end();
        CMemoryTracker::Get().Free(m_lines.back());
        m_lines.pop_back();
    }
}

void CMessageLog::ResetCursor()
{
    CLockGuard guard(LogLock());
    m_cursor = m_lines.begin();
}

bool CMessageLog::NextLine(char* buffer, size_t size)
{
    CLockGuard guard(LogLock());
    if (!buffer || size == 0 || m_cursor == m_lines.end())
        return false;
    CopyBounded(buffer, size, *m_cursor);
    ++m_cursor;
    return true;
}

void CMessageLog::Clear()
{
    CLockGuard guard(LogLock());
    for (char* line : m_lines)
        CMemoryTracker::Get().Free(line);
    m_lines.clear();
    m_cursor = m_lines.end();
}

int CMessageLog::GetLineCount() const
{
    CLockGuard guard(LogLock());
    return static_cast<int>(m_lines.size());
}

void CMessageLog::SetMaxLines(int maxLines)
{
    CLockGuard guard(LogLock());
    if (maxLines > 0)
        m_maxLines = maxLines;
    DropOldestBeyondMax();
}

void CMessageLog::OpenInputLine(const char* text)
{
    CLockGuard guard(LogLock());
    CloseInputLine();
    m_inputActive = true;
    m_inputLine = NewLineBlock();
    if (m_inputLine && text)
        std::snprintf(m_inputLine, kLineSize, "%s", text);
}

bool CMessageLog::GetInputLine(char* buffer, size_t size) const
{
    CLockGuard guard(LogLock());
    if (!buffer || size == 0 || !m_inputLine)
        return false;
    CopyBounded(buffer, size, m_inputLine);
    return true;
}

void CMessageLog::CloseInputLine()
{
    CLockGuard guard(LogLock());
    CMemoryTracker::Get().Free(m_inputLine);
    m_inputLine = nullptr;
    m_inputActive = false;
}

void CMessageLog::SetInputActive(bool active)
{
    if (!active)
    {
        CloseInputLine();
        return;
    }
    CLockGuard guard(LogLock());
    m_inputActive = true;
}

bool CMessageLog::IsInputActive() const
{
    CLockGuard guard(LogLock());
    return m_inputActive;
}
