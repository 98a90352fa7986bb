#include "tests/support/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace testing_support
{
namespace
{

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

void ReadAvailable(int fd, std::string& into)
{
    char buffer[4096];
    ssize_t count;
    while ((count = read(fd, buffer, sizeof buffer)) > 0)
        into.append(buffer, static_cast<size_t>(count));
}

std::vector<char*> CStrings(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (std::string& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

std::string ProgramPath(const std::string& name) { return std::string(QUORVEX_BUILD_DIR) + "/" + name; }

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args)
    : ChildProcess(program, args, Options{})
{
}

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args, const Options& options)
{
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0)
        throw std::runtime_error("pipe failed");
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
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
    fcntl(m_stdout, F_SETFL, O_NONBLOCK);
    fcntl(m_stderr, F_SETFL, O_NONBLOCK);
}

ChildProcess::~ChildProcess()
{
    if (!m_exitCode && m_pid > 0)
    {
        kill(m_pid, SIGKILL);
        Wait(std::chrono::seconds(5));
    }
    if (m_stdout >= 0)
        close(m_stdout);
    if (m_stderr >= 0)
        close(m_stderr);
}

bool ChildProcess::FillBuffer(std::chrono::milliseconds timeout)
{
    pollfd fds[2] = {{m_stdout, POLLIN, 0}, {m_stderr, POLLIN, 0}};
    if (poll(fds, 2, static_cast<int>(timeout.count())) <= 0)
        return true;
    size_t before = m_pending.size();
    ReadAvailable(m_stdout, m_pending);
    ReadAvailable(m_stderr, m_errors);
    bool stdoutEnded = (fds[0].revents & (POLLHUP | POLLERR)) && m_pending.size() == before;
    return !stdoutEnded;
}

std::optional<std::string> ChildProcess::ReadLine(std::chrono::milliseconds timeout)
{
    auto deadline = Clock::now() + timeout;
    for (;;)
    {
        size_t newline = m_pending.find('\n');
        if (newline != std::string::npos)
        {
            std::string line = m_pending.substr(0, newline);
            m_pending.erase(0, newline + 1);
            m_lines.push_back(line);
            return line;
        }
        int left = MillisecondsLeft(deadline);
        if (left == 0 || !FillBuffer(std::chrono::milliseconds(left)))
            return std::nullopt;
    }
}

std::optional<std::string> ChildProcess::WaitForLine(const std::string& text, std::chrono::milliseconds timeout)
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
    while (MillisecondsLeft(deadline) > 0)
    {
        std::optional<std::string> line = ReadLine(std::chrono::milliseconds(MillisecondsLeft(deadline)));
        if (!line)
            return std::nullopt;
        if (line->find(text) != std::string::npos)
            return line;
    }
    return std::nullopt;
}

std::string ChildProcess::Stderr()
{
    ReadAvailable(m_stderr, m_errors);
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
        else if (MillisecondsLeft(deadline) == 0)
            return std::nullopt;
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return m_exitCode;
}

void ChildProcess::DrainOutput(std::chrono::milliseconds timeout)
{
    while (ReadLine(timeout))
    {
    }
    if (!m_pending.empty())
    {
        m_lines.push_back(m_pending);
        m_pending.clear();
    }
}

} // namespace testing_support
