#include "net/PlayerRecord.h"

#include "net/Message.h"

#include <algorithm>
#include <cstring>

void CPlayerRecord::SetName(const char* name)
{
    m_name.assign(name ? name : "", name ? std::min(std::strlen(name), kMaxPlayerName) : 0);
}

void CPlayerRecord::SetKeys(const uint32_t* codes, uint32_t count)
{
    m_keys.fill(0);
    if (!codes)
        return;
    std::copy_n(codes, std::min<size_t>(count, kMaxHeldKeys), m_keys.begin());
}
