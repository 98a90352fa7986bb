#include "tests/support/ChildProcess.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testing_support
{
namespace
{

using Clock = std::chrono::steady_clock;

std::vector<char*> CStrings(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (std::string& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

// True when `entry` ("NAME=value") names a variable that `overrides` sets.
bool Overridden(const std::string& entry, const std::vector<std::string>& overrides)
{
    std::string name = entry.substr(0, entry.find('=') + 1);
    for (const std::string& o : overrides)
        if (o.compare(0, name.size(), name) == 0)
            return true;
    return false;
}

// Reads what is there; false once the pipe has ended.
bool ReadSome(int fd, std::string& into)
{
    char buffer[65536];
    ssize_t count = read(fd, buffer, sizeof buffer);
    if (count > 0)
    {
        into.append(buffer, static_cast<size_t>(count));
        return true;
    }
    return count < 0 && (errno == EAGAIN || errno == EINTR);
}

} // namespace

std::string ProgramPath(const std::string& name)
{
    return std::string(QUORVEX_BUILD_DIR) + "/" + name;
}

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args)
    : ChildProcess(program, args, Options{})
{
}

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const Options& options)
{
    // Close-on-exec, so that a child started by another test thread at the
    // same moment cannot inherit this child's pipe ends and keep them open.
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    // The test's entries replace inherited ones of the same name (getenv
    // would find the inherited one first).
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (!Overridden(*e, options.environment))
            env.emplace_back(*e);
    env.insert(env.end(), options.environment.begin(), options.environment.end());
    std::vector<char*> argvPointers = CStrings(argv);
    std::vector<char*> envPointers = CStrings(env);

    m_pid = fork();
    if (m_pid < 0)
        throw std::runtime_error("fork failed");
    if (m_pid == 0)
    {
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        close(out[0]);
        close(err[0]);
        if (!options.workingDir.empty() && chdir(options.workingDir.c_str()) != 0)
            _exit(126);
        execve(program.c_str(), argvPointers.data(), envPointers.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    m_stdout = out[0];
    m_stderr = err[0];
    m_reader = std::thread([this] { ReadPipes(); });
}

ChildProcess::~ChildProcess()
{
    if (!m_exitCode && m_pid > 0)
    {
        kill(m_pid, SIGKILL);
        Wait(std::chrono::seconds(5));
    }
    if (m_reader.joinable())
        m_reader.join();
    close(m_stdout);
    close(m_stderr);
}

void ChildProcess::ReadPipes()
{
    bool outOpen = true, errOpen = true;
    while (outOpen || errOpen)
    {
        pollfd fds[2] = {{outOpen ? m_stdout : -1, POLLIN, 0}, {errOpen ? m_stderr : -1, POLLIN, 0}};
        if (poll(fds, 2, 100) < 0 && errno != EINTR)
            break;
        std::string out, err;
        if (outOpen && fds[0].revents)
            outOpen = ReadSome(m_stdout, out);
        if (errOpen && fds[1].revents)
            errOpen = ReadSome(m_stderr, err);
        std::lock_guard lock(m_mutex);
        m_pending += out;
        m_errors += err;
        m_outputEnded = !outOpen;
        m_errorsEnded = !errOpen;
        m_arrived.notify_all();
    }
    std::lock_guard lock(m_mutex);
    m_outputEnded = true;
    m_errorsEnded = true;
    m_arrived.notify_all();
}

std::optional<std::string> ChildProcess::ReadLine(std::chrono::milliseconds timeout)
{
    auto deadline = Clock::now() + timeout;
    std::unique_lock lock(m_mutex);
    for (;;)
    {
        size_t newline = m_pending.find('\n', m_pendingStart);
        if (newline != std::string::npos)
        {
            std::string line = m_pending.substr(m_pendingStart, newline - m_pendingStart);
            m_pendingStart = newline + 1;
            // Drop what was consumed only now and then: erasing the front for
            // every line would be quadratic in a chatty child's output.
            if (m_pendingStart > (1 << 20))
            {
                m_pending.erase(0, m_pendingStart);
                m_pendingStart = 0;
            }
            m_lines.push_back(line);
            return line;
        }
        if (m_outputEnded || m_arrived.wait_until(lock, deadline) == std::cv_status::timeout)
        {
            if (m_outputEnded && m_pendingStart < m_pending.size() &&
                m_pending.find('\n', m_pendingStart) == std::string::npos)
            {
                // A last line without its newline.
                m_lines.push_back(m_pending.substr(m_pendingStart));
                m_pendingStart = m_pending.size();
                return m_lines.back();
            }
            if (m_pending.find('\n', m_pendingStart) == std::string::npos)
                return std::nullopt;
        }
    }
}

std::optional<std::string> ChildProcess::WaitForLine(const std::string& text,
                                                     std::chrono::milliseconds timeout)
{
    return WaitForLineAfter(0, text, timeout);
}

std::optional<std::string> ChildProcess::WaitForLineAfter(size_t skip, const std::string& text,
                                                          std::chrono::milliseconds timeout)
{
    auto deadline = Clock::now() + timeout;
    for (size_t i = skip; i < m_lines.size(); ++i)
        if (m_lines[i].find(text) != std::string::npos)
            return m_lines[i];
    for (;;)
    {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return std::nullopt;
        std::optional<std::string> line = ReadLine(left);
        if (!line)
            return std::nullopt;
        if (line->find(text) != std::string::npos)
            return line;
    }
}

std::string ChildProcess::Stderr()
{
    std::lock_guard lock(m_mutex);
    return m_errors;
}

void ChildProcess::Signal(int signal)
{
    if (!m_exitCode)
        kill(m_pid, signal);
}

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds timeout)
{
    auto deadline = Clock::now() + timeout;
    while (!m_exitCode)
    {
        int status = 0;
        pid_t done = waitpid(m_pid, &status, WNOHANG);
        if (done == m_pid)
            m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        else if (Clock::now() >= deadline)
            return std::nullopt;
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    WaitForOutputEnd(deadline);
    return m_exitCode;
}

void ChildProcess::WaitForOutputEnd(Clock::time_point deadline)
{
    // The child has exited, but the reader thread may not have taken its
    // last bytes yet. A grandchild that inherited the pipes may keep them
    // open past the exit, so the wait is bounded: at least a second more.
    deadline = std::max(deadline, Clock::now() + std::chrono::seconds(1));
    std::unique_lock lock(m_mutex);
    m_arrived.wait_until(lock, deadline, [this] { return m_outputEnded && m_errorsEnded; });
}

void ChildProcess::DrainOutput(std::chrono::milliseconds timeout)
{
    while (ReadLine(timeout))
    {
    }
}

} // namespace testing_support
