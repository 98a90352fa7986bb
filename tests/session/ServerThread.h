// A session server on a thread of its own, as the server loop runs one, for
// the tests of the session and of the client over it: it records its
// callbacks, echoes a packet that says "echo", and lets a test use the
// session between two of its passes.
#pragma once

#include "session/SessionServer.h"
#include "tests/support/Ports.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testing_support
{

// Calls `step` until `done` holds or `timeout` passes; whether it holds.
inline bool PollUntil(const std::function<bool()>& done, const std::function<void()>& step,
                      std::chrono::milliseconds timeout = std::chrono::seconds(10))
{
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (; std::chrono::steady_clock::now() < deadline; step())
        if (done())
            return true;
    return done();
}

class ServerThread : public session::ISessionServerEvents
{
public:
    // Bound to one loopback address (127.0.0.1 unless given), on a free port
    // unless given one.
    ServerThread(const session::Guid& application, uint32_t maxPlayers,
                 const std::string& name = "Test Session", uint32_t loopbackIpv4 = 0x7F000001,
                 uint16_t givenPort = 0)
        : port(givenPort ? givenPort : FreeUdpPort()), m_server(*this)
    {
        hosted = m_server.Host(session::SessionHostParams{port, application, name, maxPlayers, loopbackIpv4});
        m_thread = std::thread([this] { Loop(); });
    }
    ~ServerThread() override { Stop(); }
    // Closes the session and ends the thread.
    void Stop()
    {
        if (!m_stop.exchange(true))
            m_thread.join();
    }

    // Runs `task` on the session between two passes of the server thread.
    void Run(const std::function<void(session::CSessionServer&)>& task)
    {
        std::lock_guard lock(m_serverMutex);
        task(m_server);
    }

    // "create 2", "destroy 2", "receive 2 <bytes>", in order.
    std::vector<std::string> Events()
    {
        std::lock_guard lock(m_mutex);
        return m_events;
    }
    bool Saw(const std::string& event) { return std::ranges::count(Events(), event) > 0; }
    bool WaitForEvent(const std::string& event, std::chrono::milliseconds timeout = std::chrono::seconds(10))
    {
        return PollUntil([&] { return Saw(event); },
                         [] { std::this_thread::sleep_for(std::chrono::milliseconds(2)); }, timeout);
    }

    void OnCreatePlayer(session::PlayerId player) override { Record("create " + std::to_string(player)); }
    void OnDestroyPlayer(session::PlayerId player) override { Record("destroy " + std::to_string(player)); }
    void OnReceive(session::PlayerId sender, const uint8_t* data, size_t size) override
    {
        std::string text(reinterpret_cast<const char*>(data), size);
        Record("receive " + std::to_string(sender) + " " + text);
        if (text == "echo")
            m_server.SendTo(sender, data, size);
    }

    uint16_t port;
    bool hosted = false;

private:
    void Record(std::string event)
    {
        std::lock_guard lock(m_mutex);
        m_events.push_back(std::move(event));
    }
    void Loop()
    {
        while (!m_stop)
        {
            Run([](session::CSessionServer& server) { server.DoWork(10); });
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        Run([](session::CSessionServer& server) { server.Close(); });
    }

    session::CSessionServer m_server;
    std::mutex m_serverMutex; // the session's, so that tests may use it between passes
    std::mutex m_mutex;       // the records'
    std::vector<std::string> m_events;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace testing_support
