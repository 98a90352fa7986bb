// The probe's main loop for several clients at once: service every client and
// send what is due until the run's time is up or the server has ended every
// client's session, sleeping on the first client's socket between rounds.
#pragma once

#include "tools/probe/ProbeConnection.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace probe
{

// `betweenRounds` runs after each round, when given.
template <typename Client>
void PumpAll(std::vector<std::unique_ptr<Client>>& clients, uint32_t durationMs,
             const std::function<void()>& betweenRounds = {})
{
    uint64_t end = NowMs() + durationMs;
    for (uint64_t now = NowMs(); now < end && !clients.empty(); now = NowMs())
    {
        if (betweenRounds)
            betweenRounds();
        bool anyLeft = false;
        for (auto& client : clients)
        {
            client->Pump(now);
            anyLeft |= !client->IsTerminated();
        }
        if (!anyLeft)
            return;
        clients.front()->WaitForTraffic(1);
    }
}

} // namespace probe
