// A session server on a thread of its own, as the server loop runs one, for
// the tests of the session and of the client over it: it records its
// callbacks, echoes a packet that says "echo", and runs tasks on its thread.
#pragma once

#include "session/SessionServer.h"
#include "tests/support/Ports.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testing_support
{

class ServerThread : public session::ISessionServerEvents
{
public:
    static constexpr uint32_t kLoopback = 0x7F000001;

    // Binds to loopback only, unless `bindIpv4` says otherwise (0: every interface).
    ServerThread(const session::Guid& application, uint32_t maxPlayers,
                 const std::string& name = "Test Session", uint32_t bindIpv4 = kLoopback)
        : port(FreeUdpPort()), m_server(*this)
    {
        session::SessionHostParams params{port, application, name, maxPlayers, bindIpv4};
        hosted = m_server.Host(params);
        m_thread = std::thread([this] { Loop(); });
    }
    ~ServerThread() override { Stop(); }
    // Closes the session and ends the thread.
    void Stop()
    {
        if (!m_stop.exchange(true))
            m_thread.join();
    }

    // Runs `task` on the server thread and waits for it.
    void Run(std::function<void(session::CSessionServer&)> task)
    {
        std::atomic<bool> done{false};
        {
            std::lock_guard lock(m_mutex);
            m_tasks.push_back(
                [&]
                {
                    task(m_server);
                    done = true;
                });
        }
        while (!done)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    // "create 2", "destroy 2", "receive 2 <bytes>", in order.
    std::vector<std::string> Events()
    {
        std::lock_guard lock(m_mutex);
        return m_events;
    }
    bool WaitForEvent(const std::string& event, std::chrono::milliseconds timeout = std::chrono::seconds(10))
    {
        auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline)
        {
            for (const std::string& seen : Events())
                if (seen == event)
                    return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }
    // The packets received, in order.
    std::vector<std::vector<uint8_t>> Received()
    {
        std::lock_guard lock(m_mutex);
        return m_received;
    }

    void OnCreatePlayer(session::PlayerId player) override { Record("create " + std::to_string(player)); }
    void OnDestroyPlayer(session::PlayerId player) override { Record("destroy " + std::to_string(player)); }
    void OnReceive(session::PlayerId sender, const uint8_t* data, size_t size) override
    {
        std::string text(reinterpret_cast<const char*>(data), size);
        Record("receive " + std::to_string(sender) + " " + text);
        {
            std::lock_guard lock(m_mutex);
            m_received.emplace_back(data, data + size);
        }
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
            std::vector<std::function<void()>> tasks;
            {
                std::lock_guard lock(m_mutex);
                tasks.swap(m_tasks);
            }
            for (auto& task : tasks)
                task();
            m_server.DoWork(10);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        m_server.Close();
    }

    session::CSessionServer m_server;
    std::mutex m_mutex;
    std::vector<std::string> m_events;
    std::vector<std::vector<uint8_t>> m_received;
    std::vector<std::function<void()>> m_tasks;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace testing_support
