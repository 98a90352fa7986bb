// CDebugLog is the debug-output sink the game reports progress to ("Found
// Map", updates per second). Its output is discarded: the calls stay so that
// the places worth tracing are marked, without costing anything at run time.
#pragma once

class CDebugLog
{
public:
    static CDebugLog& Get();

    void Print(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));

private:
    CDebugLog() = default;
};
