// Where console commands come from: standard input (a terminal or a pipe)
// and the local control socket (-control PATH, a Unix stream socket that only
// users who may open the file can use). Reader threads hand each line over a
// bounded queue; the server thread carries it out between passes and the
// answer goes back to where the line came from. A socket client sends one
// line and reads the answer, which ends with an empty line.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace server
{

// Lines waiting for the server thread, a few at most: a flood is answered
// "busy" rather than queued.
class CCommandQueue
{
public:
    static constexpr size_t kMostWaiting = 16;

    // The answer's future, or an invalid one when the queue is full.
    std::future<std::string> Push(std::string line);
    // Answers every waiting line with `run`.
    void Serve(const std::function<std::string(const std::string&)>& run);

private:
    struct Waiting
    {
        std::string line;
        std::promise<std::string> answer;
    };
    std::mutex m_mutex;
    std::deque<Waiting> m_waiting;
};

// The one queue of the process: the reader of standard input outlives any
// one run of the server loop.
CCommandQueue& ProcessCommandQueue();
// Hands the line to the server thread and waits a few seconds for its answer.
std::string Ask(CCommandQueue& queue, const std::string& line);
// Reads standard input, when it is a terminal or a pipe, on a thread of its
// own for the rest of the process, answering on standard output.
void ReadStandardInput(CCommandQueue& queue);

class CControlSocket
{
public:
    explicit CControlSocket(CCommandQueue& queue) : m_queue(queue) {}
    ~CControlSocket(); // stops the threads, removes the socket file
    CControlSocket(const CControlSocket&) = delete;
    CControlSocket& operator=(const CControlSocket&) = delete;

    // False, with the reason in `error`, when the socket cannot be made.
    bool ListenOn(const std::string& path, std::string& error);

private:
    void AcceptClients();
    void ServeClient(int fd);

    CCommandQueue& m_queue;
    std::atomic<bool> m_stopping{false};
    std::string m_socketPath;
    int m_listenFd = -1;
    std::thread m_acceptor;
    // Client threads are detached; the destructor waits until none is left.
    std::mutex m_clientsMutex;
    std::condition_variable m_clientLeft;
    size_t m_liveClients = 0;
};

} // namespace server
