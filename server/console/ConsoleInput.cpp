#include "server/console/ConsoleInput.h"

#include "server/console/ConsoleCommand.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace server
{
namespace
{
// A connected client that sends nothing still holds a thread; this many at most.
constexpr size_t kMostClients = 8;
constexpr int kPollMs = 200;
// The server thread answers between passes; a stuck one must not hang a client.
constexpr auto kAnswerWait = std::chrono::seconds(5);

bool WriteAll(int fd, const std::string& text)
{
    size_t sent = 0;
    while (sent < text.size())
    {
        ssize_t n = send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}
} // namespace

std::future<std::string> CCommandQueue::Push(std::string line)
{
    std::lock_guard lock(m_mutex);
    if (m_waiting.size() >= kMostWaiting)
        return {};
    m_waiting.push_back({std::move(line), {}});
    return m_waiting.back().answer.get_future();
}

void CCommandQueue::Serve(const std::function<std::string(const std::string&)>& run)
{
    std::deque<Waiting> taken;
    {
        std::lock_guard lock(m_mutex);
        taken.swap(m_waiting);
    }
    for (Waiting& waiting : taken)
        waiting.answer.set_value(run(waiting.line));
}

CCommandQueue& ProcessCommandQueue()
{
    static CCommandQueue* queue = new CCommandQueue; // never destroyed: its reader never stops
    return *queue;
}

std::string Ask(CCommandQueue& queue, const std::string& line)
{
    std::future<std::string> answer = queue.Push(line);
    if (!answer.valid())
        return "error: busy, try again";
    if (answer.wait_for(kAnswerWait) != std::future_status::ready)
        return "error: the server did not answer";
    return answer.get();
}

// A detached thread: a blocking read of standard input cannot be woken, and
// the process ends after the server thread anyway.
void ReadStandardInput(CCommandQueue& queue)
{
    struct stat info
    {
    };
    if (fstat(STDIN_FILENO, &info) != 0 || !(S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode)))
        return;
    if (S_ISCHR(info.st_mode) && !isatty(STDIN_FILENO))
        return; // /dev/null, as under a service manager
    std::thread(
        [&queue]
        {
            char line[kMostCommandLength + 2];
            while (std::fgets(line, sizeof line, stdin))
            {
                std::string text(line);
                bool whole = !text.empty() && text.back() == '\n';
                if (whole)
                    text.pop_back();
                else
                    for (int c = std::getchar(); c != EOF && c != '\n'; c = std::getchar())
                        text += 'x'; // only its length matters now: it is refused as too long
                std::printf("%s\n", Ask(queue, text).c_str());
                std::fflush(stdout);
            }
        })
        .detach();
}

bool CControlSocket::ListenOn(const std::string& path, std::string& error)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
    {
        error = "the path is too long for a socket";
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    unlink(path.c_str()); // a socket left by a server that was killed
    m_listenFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    bool ok = m_listenFd >= 0 &&
              bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
              chmod(path.c_str(), 0660) == 0 && listen(m_listenFd, 8) == 0;
    if (!ok)
    {
        error = std::strerror(errno);
        return false;
    }
    m_socketPath = path;
    m_acceptor = std::thread([this] { AcceptClients(); });
    return true;
}

void CControlSocket::AcceptClients()
{
    while (!m_stopping)
    {
        pollfd wait{m_listenFd, POLLIN, 0};
        if (poll(&wait, 1, kPollMs) <= 0)
            continue;
        int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        std::lock_guard lock(m_clientsMutex);
        if (m_liveClients >= kMostClients)
        {
            WriteAll(fd, "error: too many console clients\n\n");
            close(fd);
            continue;
        }
        ++m_liveClients;
        std::thread([this, fd] { ServeClient(fd); }).detach();
    }
}

// Reads lines up to the bound; each is answered, followed by an empty line.
void CControlSocket::ServeClient(int fd)
{
    std::string pending;
    char buffer[256];
    while (!m_stopping)
    {
        pollfd wait{fd, POLLIN, 0};
        if (poll(&wait, 1, kPollMs) <= 0)
            continue;
        ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        pending.append(buffer, static_cast<size_t>(n));
        for (size_t end = pending.find('\n'); end != std::string::npos; end = pending.find('\n'))
        {
            std::string answer = Ask(m_queue, pending.substr(0, end));
            pending.erase(0, end + 1);
            WriteAll(fd, answer + "\n\n");
        }
        if (pending.size() > kMostCommandLength)
        {
            WriteAll(fd, "error: line too long (at most " + std::to_string(kMostCommandLength) +
                             " characters)\n\n");
            break;
        }
    }
    close(fd);
    std::lock_guard lock(m_clientsMutex);
    --m_liveClients;
    m_clientLeft.notify_all();
}

CControlSocket::~CControlSocket()
{
    m_stopping = true;
    if (m_acceptor.joinable())
        m_acceptor.join();
    std::unique_lock lock(m_clientsMutex);
    m_clientLeft.wait(lock, [this] { return m_liveClients == 0; });
    if (m_listenFd >= 0)
        close(m_listenFd);
    if (!m_socketPath.empty())
        unlink(m_socketPath.c_str());
}

} // namespace server
