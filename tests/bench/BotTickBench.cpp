// The server's tick on Caves with eight computer pilots against the same tick
// with eight players holding keys the way QuorvexProbe's bots do (thrust,
// turn and fire, all the time). "Tick/PilotTick" times the pilots' thinking and
// the world's tick together, "Tick/HeldKeysTick" the world's tick alone; their
// ratio is what bots cost the server. Game time runs on a fake clock at the
// server's pass rate (1 ms a tick), after ten seconds of play untimed so
// that the ships are spread out and fighting. "PlanAcrossCaves" is one of
// the pilot's path searches at its longest: between two open cells half the
// map apart each way.
#include "ai/NavGrid.h"
#include "ai/PathPlanner.h"
#include "ai/Pilot.h"
#include "common/MessageLog.h"
#include "game/Settings.h"
#include "game/World.h"
#include "platform/Clock.h"
#include "platform/Random.h"
#include "tests/bench/BenchSupport.h"
#include "tests/support/DefaultGameSettings.h"

#include <benchmark/benchmark.h>

#include <list>
#include <memory>
#include <vector>

namespace
{
constexpr int kShips = 8;
constexpr int32_t kTickMs = 1;
constexpr int32_t kWarmUpMs = 10000;

// What a probe bot holds.
const HeldKeys kProbeKeys{KEY_TURN_LEFT, KEY_THRUST, KEY_FIRE_BULLET};

class Round
{
public:
    explicit Round(bool pilots)
    {
        platform::SeedRand(777);
        m_world.AttachMap(bench::LoadShippedMap());
        for (int i = 1; i <= kShips; ++i)
        {
            auto* ship = new CShip();
            ship->SetShipType(i % CShip::kShipTypes);
            ship->SetId(i);
            m_keys.push_back(pilots ? HeldKeys{} : kProbeKeys);
            ship->SetHeldKeys(&m_keys.back());
            m_world.AddPlayer(ship);
            if (pilots)
                m_pilots.emplace_back(i, 1000u + static_cast<uint32_t>(i));
        }
        for (int32_t t = 0; t < kWarmUpMs; t += kTickMs)
            Tick();
    }

    void Tick()
    {
        if (!m_pilots.empty())
        {
            m_grid.Follow(*m_world.GetMap(), g_settings.FuelRange);
            auto keys = m_keys.begin();
            for (CPilot& pilot : m_pilots)
                *keys++ = pilot.Think(m_world, m_grid, kTickMs);
        }
        m_clock.Advance(kTickMs);
        m_world.Tick(kTickMs);
        CMessageLog::GetServerLog().Clear();
    }
    size_t ShipsInPlay()
    {
        size_t count = 0;
        for (const CShip& ship : m_world.Players())
            count += ship.IsActive();
        return count;
    }

private:
    testing_support::DefaultGameSettings m_settings;
    platform::FakeClock m_clock;
    CGameWorld m_world;
    CNavGrid m_grid;
    std::list<HeldKeys> m_keys; // the ships hold their addresses
    std::vector<CPilot> m_pilots;
};

void Tick(benchmark::State& state, bool pilots)
{
    auto round = std::make_unique<Round>(pilots);
    size_t inPlay = 0;
    for (auto _ : state)
    {
        round->Tick();
        inPlay += round->ShipsInPlay();
    }
    state.counters["ships_in_play"] =
        benchmark::Counter(static_cast<double>(inPlay), benchmark::Counter::kAvgIterations);
}

// The open cell nearest to (x, y), looking along the row.
CNavGrid::CellIndex OpenCell(const CNavGrid& grid, int32_t x, int32_t y)
{
    for (int32_t dx = 0; dx < grid.GetColumns(); ++dx)
        if (!grid.IsBlocked(grid.Index(x + dx, y)))
            return grid.Index(x + dx, y);
    return grid.Index(x, y);
}

void PlanAcrossCaves(benchmark::State& state)
{
    std::unique_ptr<CMap> map(bench::LoadShippedMap());
    CNavGrid grid;
    grid.Follow(*map, 2);
    CNavGrid::CellIndex from = OpenCell(grid, 2, 2);
    CNavGrid::CellIndex to = OpenCell(grid, 2 + grid.GetColumns() / 2, 2 + grid.GetRows() / 2);
    CPathPlanner planner;
    std::vector<CNavGrid::CellIndex> path;
    for (auto _ : state)
        benchmark::DoNotOptimize(planner.FindPath(grid, from, to, path));
    state.counters["path_cells"] = static_cast<double>(path.size());
}
} // namespace

BENCHMARK_CAPTURE(Tick, HeldKeysTick, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Tick, PilotTick, true)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlanAcrossCaves)->Unit(benchmark::kMicrosecond);
