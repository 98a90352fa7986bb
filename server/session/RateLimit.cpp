#include "server/session/RateLimit.h"

#include "common/MessageLog.h"

#include <algorithm>

namespace
{
constexpr uint64_t kMilli = 1000;
} // namespace

CRateLimit::CRateLimit(const Rule& rule) : m_rule(rule), m_milliTokens(uint64_t{rule.burst} * kMilli) {}

bool CRateLimit::Allow(uint32_t now, const std::string& sender)
{
    Refill(now);
    uint64_t full = uint64_t{m_rule.burst} * kMilli;
    if (m_milliTokens == full)
        m_dropping = false;
    if (m_milliTokens >= kMilli)
    {
        m_milliTokens -= kMilli;
        return true;
    }
    if (!m_dropping)
    {
        m_dropping = true;
        CMessageLog::GetServerLog().Print("Dropping %s from %s: more than %u %s%s a second.", m_rule.what,
                                          sender.c_str(), m_rule.perSecond, m_rule.unit,
                                          m_rule.perSecond == 1 ? "" : "s");
    }
    return false;
}

void CRateLimit::Refill(uint32_t now)
{
    uint32_t elapsed = m_lastRefill ? now - *m_lastRefill : 0;
    m_lastRefill = now;
    uint64_t full = uint64_t{m_rule.burst} * kMilli;
    m_milliTokens = std::min(full, m_milliTokens + uint64_t{elapsed} * m_rule.perSecond);
}
