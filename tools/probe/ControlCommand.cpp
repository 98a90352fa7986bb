#include "tools/probe/ControlCommand.h"

#include "tools/probe/ProbeOptions.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace probe
{
namespace
{
// The server ends each answer with an empty line.
std::string ReadAnswer(int fd)
{
    std::string answer;
    char buffer[512];
    while (answer.size() < 2 || answer.compare(answer.size() - 2, 2, "\n\n") != 0)
    {
        ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        answer.append(buffer, static_cast<size_t>(n));
    }
    while (!answer.empty() && answer.back() == '\n')
        answer.pop_back();
    return answer;
}
} // namespace

int SendControlCommand(const std::string& socketPath, const std::string& command)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (socketPath.size() >= sizeof address.sun_path || fd < 0)
        return kExitUnreachable;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
    {
        std::fprintf(stderr, "No server console at \"%s\": %s\n", socketPath.c_str(), std::strerror(errno));
        close(fd);
        return kExitUnreachable;
    }
    std::string line = command + "\n";
    bool sent = send(fd, line.data(), line.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(line.size());
    std::string answer = sent ? ReadAnswer(fd) : "";
    close(fd);
    std::printf("%s\n", answer.c_str());
    return answer.empty() || answer.rfind("error:", 0) == 0 ? kExitBadArguments : 0;
}

} // namespace probe
