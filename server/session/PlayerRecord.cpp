#include "server/session/PlayerRecord.h"

#include "net/Message.h"

#include <algorithm>
#include <cstring>

void CPlayerRecord::SetName(const char* name)
{
    m_name.assign(name ? name : "", name ? std::min(std::strlen(name), kMaxPlayerName) : 0);
}

std::string CPlayerRecord::GetLogName() const
{
    return m_name.empty() ? "an unnamed player" : m_name;
}

void CPlayerRecord::SetKeys(const uint32_t* codes, uint32_t count)
{
    m_keys.fill(0);
    if (!codes)
        return;
    std::copy_n(codes, std::min<size_t>(count, kMaxHeldKeys), m_keys.begin());
}
