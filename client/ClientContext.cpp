#include "client/ClientContext.h"

#include "net/Client.h"

CClientContext::CClientContext(CGLDisplay::ModeSource modes, CGLDisplay::DesktopSource desktop)
    : display(std::move(modes), std::move(desktop))
{
}

CClientContext::~CClientContext() = default;

CClient& CClientContext::Session()
{
    if (!m_session)
    {
        m_session = std::make_unique<CClient>();
        m_session->SetPort(options.port);
        m_session->Init();
    }
    return *m_session;
}

void CClientContext::EndSession()
{
    m_session.reset();
}

void CClientContext::RunSessionSlice()
{
    if (m_session)
        m_session->DoWork(kNetworkSliceMs);
}
