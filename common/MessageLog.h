// CMessageLog is a bounded log of text lines, newest first. The server
// broadcasts its log to the players once per loop pass; the client shows its
// log as the console, together with the line the player is typing.
//
// Each line is a zero-filled 1024-byte tracked block holding at most 1023
// characters. When a Print takes the log over its maximum (5 at first), the
// oldest line is dropped. Every operation holds the process-wide log lock.
#pragma once

#include <cstddef>
#include <list>

class CMessageLog
{
public:
    static constexpr size_t kLineSize = 1024;

    // The log the server broadcasts; created on first use.
    static CMessageLog& GetServerLog();
    // Frees the server's log and its lines; the next GetServerLog() makes a new one.
    static void DestroyServerLog();
    // The client's console log; created on first use.
    static CMessageLog& GetConsoleLog();

    ~CMessageLog();
    CMessageLog(const CMessageLog&) = delete;
    CMessageLog& operator=(const CMessageLog&) = delete;

    // Adds a formatted line as the newest. A null format adds nothing.
    void Print(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Puts the read cursor on the newest line.
    void ResetCursor();
    // Copies the line under the cursor (at most size - 1 characters, into a
    // zero-filled buffer) and moves to the next older one. False at the end of
    // the log or for a null buffer.
    bool NextLine(char* buffer, size_t size);
    // Drops every line.
    void Clear();
    int GetLineCount() const;

    // Console additions: the line limit and the input line being typed.
    void SetMaxLines(int maxLines);
    void OpenInputLine(const char* text);
    bool GetInputLine(char* buffer, size_t size) const;
    void CloseInputLine();
    void SetInputActive(bool active);
    bool IsInputActive() const;

private:
    CMessageLog() = default;
    void DropOldestBeyondMax();
    static char* NewLineBlock();

    std::list<char*> m_lines; // newest first
    std::list<char*>::iterator m_cursor = m_lines.end();
    int m_maxLines = 5;
    bool m_inputActive = false;
    char* m_inputLine = nullptr;
};
