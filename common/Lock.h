// CLock is a recursive lock: the thread that holds it may take it again and
// must release it as often as it took it. CLockGuard holds one for a scope.
#pragma once

#include <mutex>

class CLock
{
public:
    CLock() = default;
    virtual ~CLock() = default;
    CLock(const CLock&) = delete;
    CLock& operator=(const CLock&) = delete;

    void Enter() { m_mutex.lock(); }
    void Leave() { m_mutex.unlock(); }

private:
    std::recursive_mutex m_mutex;
};

class CLockGuard
{
public:
    explicit CLockGuard(CLock& lock) : m_lock(&lock) { m_lock->Enter(); }
    virtual ~CLockGuard() { m_lock->Leave(); }
    CLockGuard(const CLockGuard&) = delete;
    CLockGuard& operator=(const CLockGuard&) = delete;

private:
    CLock* m_lock;
};
