#include "session/AnswerBudget.h"

namespace session
{
namespace
{
constexpr uint64_t kWindowMs = 1000;
// Bound on the addresses remembered.
constexpr size_t kMostAddresses = 4096;
} // namespace

bool CAnswerBudget::Take(uint32_t ipv4, uint64_t nowMs)
{
    if (m_windows.size() >= kMostAddresses)
    {
        std::erase_if(m_windows,
                      [nowMs](const auto& entry) { return nowMs - entry.second.start >= kWindowMs; });
        if (m_windows.size() >= kMostAddresses)
            m_windows.clear();
    }
    Window& window = m_windows[ipv4];
    if (nowMs - window.start >= kWindowMs)
        window = Window{nowMs, 0};
    return ++window.answers <= m_perSecond;
}

} // namespace session
