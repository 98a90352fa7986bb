// How many answers to plain datagrams (searches, cookie requests) each source
// address may still get this second. A spoofed request makes the server
// answer someone else; the budget bounds what that someone receives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>

namespace session
{

class CAnswerBudget
{
public:
    explicit CAnswerBudget(int perSecond) : m_perSecond(perSecond) {}

    // Takes one answer for `ipv4` at `nowMs`; false when its budget is spent.
    bool Take(uint32_t ipv4, uint64_t nowMs);

private:
    struct Window
    {
        uint64_t start = 0;
        int answers = 0;
    };

    int m_perSecond;
    std::unordered_map<uint32_t, Window> m_windows;
};

} // namespace session
