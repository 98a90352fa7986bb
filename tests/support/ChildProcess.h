// Runs one of the built programs as a child process for end-to-end tests:
// standard output and error are captured through pipes and read line by line
// with time-outs, so a test never hangs on a silent program.
#pragma once

#include <chrono>
#include <optional>
#include <string>
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
        std::string workingDir;                // empty: inherit
        std::vector<std::string> environment;  // extra "NAME=value" entries
    };

    ChildProcess(const std::string& program, const std::vector<std::string>& args);
    ChildProcess(const std::string& program, const std::vector<std::string>& args, const Options& options);
    ~ChildProcess(); // kills the child if it still runs
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    int Pid() const { return m_pid; }

    // Next line of standard output, without its newline; nullopt when the
    // time-out passes or the output ends first.
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout);
    // Reads lines until one contains `text`; returns it, or nullopt at time-out.
    std::optional<std::string> WaitForLine(const std::string& text, std::chrono::milliseconds timeout);
    // The same, ignoring the first `skip` lines read (those already seen).
    std::optional<std::string> WaitForLineAfter(size_t skip, const std::string& text,
                                                std::chrono::milliseconds timeout);
    // Every output line read so far.
    const std::vector<std::string>& Lines() const { return m_lines; }
    // Standard error so far.
    std::string Stderr();

    void Signal(int signal);
    // Exit code after the child ends (128 + signal when killed); nullopt when
    // it is still running after the time-out.
    std::optional<int> Wait(std::chrono::milliseconds timeout);
    // Collects the rest of standard output after the child has ended.
    void DrainOutput(std::chrono::milliseconds timeout);

private:
    bool FillBuffer(std::chrono::milliseconds timeout);

    int m_pid = -1;
    int m_stdout = -1;
    int m_stderr = -1;
    std::optional<int> m_exitCode;
    std::string m_pending;
    std::string m_errors;
    std::vector<std::string> m_lines;
};

} // namespace testing_support
