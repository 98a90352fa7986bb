#include "tests/support/ChildProcess.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

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

// The inherited environment, with the test's entries in place of inherited
// ones of the same name (getenv would find the inherited one first).
std::vector<std::string> Environment(const std::vector<std::string>& overrides)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
    {
        std::string entry = *e, name = entry.substr(0, entry.find('=') + 1);
        if (std::none_of(overrides.begin(), overrides.end(),
                         [&](const std::string& o) { return o.compare(0, name.size(), name) == 0; }))
            env.push_back(entry);
    }
    env.insert(env.end(), overrides.begin(), overrides.end());
    return env;
}

// Reads what is there into `into`; false once the pipe has ended.
bool ReadSome(int fd, std::string& into)
{
    char buffer[65536];
    ssize_t count = read(fd, buffer, sizeof buffer);
    if (count > 0)
        into.append(buffer, static_cast<size_t>(count));
    return count > 0 || (count < 0 && (errno == EAGAIN || errno == EINTR));
}

} // namespace

std::string ProgramPath(const std::string& name)
{
    return std::string(QUORVEX_BUILD_DIR) + "/" + name;
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
    std::vector<std::string> env = Environment(options.environment);
    std::vector<char*> argvPointers = CStrings(argv), envPointers = CStrings(env);

    m_pid = fork();
    if (m_pid < 0)
        throw std::runtime_error("fork failed");
    if (m_pid == 0)
    {
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
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
        TakeOutput(out);
        m_errors += err;
        m_arrived.notify_all();
    }
    std::lock_guard lock(m_mutex);
    if (!m_partial.empty()) // a last line without its newline
        m_unread.push_back(std::exchange(m_partial, ""));
    m_ended = true;
    m_arrived.notify_all();
}

void ChildProcess::TakeOutput(const std::string& bytes)
{
    m_partial += bytes;
    size_t start = 0;
    for (size_t end; (end = m_partial.find('\n', start)) != std::string::npos; start = end + 1)
        m_unread.push_back(m_partial.substr(start, end - start));
    m_partial.erase(0, start);
}

std::optional<std::string> ChildProcess::ReadLine(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    if (!m_arrived.wait_for(lock, timeout, [this] { return !m_unread.empty() || m_ended; }) ||
        m_unread.empty())
        return std::nullopt;
    m_lines.push_back(std::move(m_unread.front()));
    m_unread.pop_front();
    return m_lines.back();
}

std::optional<std::string> ChildProcess::WaitForLineAfter(size_t skip, const std::string& text,
                                                          std::chrono::milliseconds timeout)
{
    for (size_t i = skip; i < m_lines.size(); ++i)
        if (m_lines[i].find(text) != std::string::npos)
            return m_lines[i];
    for (auto deadline = Clock::now() + timeout; Clock::now() < deadline;)
    {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        std::optional<std::string> line = ReadLine(left);
        if (!line)
            return std::nullopt;
        if (line->find(text) != std::string::npos)
            return line;
    }
    return std::nullopt;
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
        if (waitpid(m_pid, &status, WNOHANG) == m_pid)
            m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        else if (Clock::now() >= deadline)
            return std::nullopt;
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    // The reader thread may not have taken the last bytes yet. A grandchild
    // that inherited the pipes may keep them open past the exit, so the wait
    // is bounded: at least a second more.
    std::unique_lock lock(m_mutex);
    m_arrived.wait_until(lock, std::max(deadline, Clock::now() + std::chrono::seconds(1)),
                         [this] { return m_ended; });
    return m_exitCode;
}

void ChildProcess::DrainOutput(std::chrono::milliseconds timeout)
{
    while (ReadLine(timeout))
    {
    }
}

} // namespace testing_support
