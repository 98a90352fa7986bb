#include "net/Server.h"

namespace
{
CServer* g_server = nullptr;
}

CServer& CServer::Get()
{
    if (!g_server)
        g_server = new CServer();
    return *g_server;
}

bool CServer::Exists() { return g_server != nullptr; }

void CServer::Destroy()
{
    delete g_server;
    g_server = nullptr;
}

void CServer::SetName(const char* name)
{
    if (name && *name)
        m_name = name;
}

bool CServer::Init() { return true; }

bool CServer::Host()
{
    CLockGuard guard(m_stateLock);
    m_running = true;
    return true;
}

bool CServer::IsRunning()
{
    CLockGuard guard(m_stateLock);
    return m_running;
}

bool CServer::IsRoundOver() { return false; }

void CServer::QueueMessage(uint32_t, const CMessage&) { ++m_queued; }

void CServer::FlushBatches() { m_queued = 0; }

void CServer::DoWork(uint32_t) {}
