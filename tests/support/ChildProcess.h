// Runs one of the built programs as a child process for end-to-end tests.
// A reader thread drains standard output and error all the time, so a chatty
// child never blocks on a full pipe while the test attends to another one;
// the test reads output line by line with time-outs and never hangs.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace testing_support
{

// Path of a program at the top of the build folder.
std::string ProgramPath(const std::string& name);

class ChildProcess
{
public:
    struct Options
    {
        std::string workingDir;               // empty: inherit
        std::vector<std::string> environment; // extra "NAME=value" entries
    };

    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 const Options& options = {});
    ~ChildProcess(); // kills the child if it still runs

    // Next line of standard output not yet returned, without its newline;
    // nullopt when the time-out passes or the output ends first.
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout);
    // Reads lines until one contains `text`; returns it, or nullopt at time-out.
    // Lines already returned are searched first.
    std::optional<std::string> WaitForLine(const std::string& text, std::chrono::milliseconds timeout)
    {
        return WaitForLineAfter(0, text, timeout);
    }
    // The same, ignoring the first `skip` lines (those already seen).
    std::optional<std::string> WaitForLineAfter(size_t skip, const std::string& text,
                                                std::chrono::milliseconds timeout);
    // Every output line returned so far.
    const std::vector<std::string>& Lines() const { return m_lines; }
    // Standard error so far.
    std::string Stderr();

    void Signal(int signal);
    // Exit code after the child ends (128 + signal when killed); nullopt when
    // it is still running after the time-out. Once it reports an exit, all
    // the child wrote is in Lines()'s reach and in Stderr().
    std::optional<int> Wait(std::chrono::milliseconds timeout);
    // Takes every complete line of output there is, waiting up to `timeout`
    // for the output to end.
    void DrainOutput(std::chrono::milliseconds timeout);

private:
    void ReadPipes();
    void TakeOutput(const std::string& bytes); // with m_mutex held

    int m_pid = -1;
    int m_stdout = -1;
    int m_stderr = -1;
    std::optional<int> m_exitCode;

    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::deque<std::string> m_unread; // whole lines not yet returned
    std::string m_partial;            // the start of the next line
    std::string m_errors;
    bool m_ended = false; // both pipes
    std::thread m_reader;

    std::vector<std::string> m_lines;
};

} // namespace testing_support
