// The server's world tick on a shipped map, for 4, 16 and 64 ships with 100,
// 1000 and 5000 live objects. "Tick" is the simulation alone; "TickAndQueue"
// also turns every report into a message in the outgoing batch, through the
// server session's own reports and queue. Every 64 ticks the round is set up
// afresh, outside the timing, so the object count stays near its nominal
// value.
#include "game/Powerup.h"
#include "game/Projectiles.h"
#include "game/Settings.h"
#include "game/World.h"
#include "platform/Random.h"
#include "server/session/SessionRelay.h"
#include "server/session/WorldReports.h"
#include "tests/bench/BenchSupport.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace
{
constexpr int32_t kTickMs = 16;
constexpr int kTicksPerRound = 64;

// What every ship's player holds.
const HeldKeys kHeldKeys{KEY_TURN_LEFT, KEY_THRUST, KEY_FIRE_BULLET};

// The server session's own reports, queued in its own outgoing batch; with no
// client connected, the flush sends nothing, so nothing leaves the process.
class CQueueingHost : public IPacketSender
{
public:
    void SendPacket(session::PlayerId, const uint8_t*, size_t) override {}
    IWorldHost* Host() { return &m_reports; }
    void Flush() { m_relay.FlushBatches(); }

private:
    CLock m_lock;
    CSessionRelay m_relay{*this, m_lock};
    CWorldReports m_reports{m_relay};
};

// The simulation alone: no reports.
struct CNoHost
{
    IWorldHost* Host() { return nullptr; }
    void Flush() {}
};

// A point at the centre of a random open cell.
CVector OpenPoint(const CMap& map)
{
    for (;;)
    {
        int32_t x = platform::Rand() % map.GetColumns(), y = platform::Rand() % map.GetRows();
        if (map.GetTile(x, y) == 0)
            return CVector(x * 32 + 16, y * 32 + 16, 1);
    }
}

// Powerups of every type, shrapnel and bullets, in turn.
CGameObject* NewObject(int index)
{
    if (index % 4 == 2)
        return new CShrapnel();
    if (index % 4 == 3)
        return new CBullet();
    auto* powerup = new CPowerup();
    powerup->SetType(index % 8);
    return powerup;
}

// A round of the default game on Caves with `ships` ships and `objects`
// objects drifting in open cells.
std::unique_ptr<CGameWorld> SetUpRound(int ships, int objects, IWorldHost* host)
{
    platform::SeedRand(12345);
    auto world = std::make_unique<CGameWorld>();
    CMap* map = bench::LoadShippedMap();
    world->AttachMap(map);
    world->SetHost(host);
    for (int i = 1; i <= ships; ++i)
    {
        auto* ship = new CShip();
        ship->SetId(i);
        ship->SetHeldKeys(&kHeldKeys);
        world->AddPlayer(ship);
    }
    for (int i = 0; i < objects; ++i)
    {
        CGameObject* object = NewObject(i);
        CVector at = OpenPoint(*map);
        object->ForceRespawn(static_cast<float>(at.GetX()), static_cast<float>(at.GetY()));
        object->SetVelocity(CVector(platform::Rand() % 200 - 100, platform::Rand() % 200 - 100, 0));
        world->AddObject(object);
    }
    world->Tick(0);
    return world;
}

template <typename Host> void WorldTick(benchmark::State& state)
{
    g_settings = GameSettings{};
    g_settings.BulletLifetime = g_settings.PowerupLifetime = g_settings.ShrapnelLifespan = 1 << 30;
    Host host;
    std::unique_ptr<CGameWorld> world;
    int ticks = kTicksPerRound;
    size_t objectSum = 0;
    for (auto _ : state)
    {
        if (ticks++ == kTicksPerRound)
        {
            state.PauseTiming();
            world =
                SetUpRound(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), host.Host());
            ticks = 1;
            state.ResumeTiming();
        }
        world->Tick(kTickMs);
        host.Flush();
        objectSum += world->GetObjectCount();
    }
    state.counters["objects"] =
        benchmark::Counter(static_cast<double>(objectSum), benchmark::Counter::kAvgIterations);
}

void Sizes(benchmark::internal::Benchmark* bench)
{
    for (int ships : {4, 16, 64})
        for (int objects : {100, 1000, 5000})
            bench->Args({ships, objects});
    bench->Args({4, 600})->Unit(benchmark::kMicrosecond);
}
} // namespace

BENCHMARK_TEMPLATE(WorldTick, CNoHost)->Apply(Sizes)->Name("Tick");
BENCHMARK_TEMPLATE(WorldTick, CQueueingHost)->Apply(Sizes)->Name("TickAndQueue");
