// How closely the client draws the server's ships and objects when the server
// sends less often than once per pass. One server world on a shipped map is
// ticked in 1 ms steps on a fake clock, its ships flown by a fixed script of
// held keys; its reports go through the server's own reports and relay at
// the send rate -sendrate sets (each client's outbox keeps the newest state
// of every ship and object between sends, the other messages in order), and
// each batch reaches a client world through CClient's receive path. The
// client world is advanced by the game loop's own advance at about 60 frames
// a second, and at every frame each drawn ship and object is compared with
// the server's position at that moment, the short way round the world.
//
// Everything is deterministic and in-process; no packet leaves it.
//   build/tests/bench/send_rate_bench [--seconds S] [--map NAME] [--ships N] [--rates 0,60,30,20]
// Rate 0 sends on every pass.
#include "game/ClientAdvance.h"
#include "game/Settings.h"
#include "game/World.h"
#include "net/Client.h"
#include "platform/Clock.h"
#include "platform/Random.h"
#include "server/session/SessionRelay.h"
#include "server/session/WorldReports.h"
#include "tests/bench/BenchSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

namespace
{
constexpr double kFramePeriodMs = 1000.0 / 59.94; // a display's refresh, drifting against the sends
constexpr uint32_t kWarmUpMs = 2000;              // the ships spawn and get going first
constexpr double kTeleport = 64;                  // a step this long in one frame is a respawn
constexpr session::PlayerId kHostPlayer = 1, kClientPlayer = 2;

struct Options
{
    double seconds = 60;
    std::string map = "Caves";
    int ships = 4;
    std::vector<int> rates{0, 60, 30, 20};
};

double Percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0;
    size_t index = std::min(values.size() - 1, static_cast<size_t>(fraction * values.size()));
    std::nth_element(values.begin(), values.begin() + static_cast<long>(index), values.end());
    return values[index];
}

double Length(const CVector& v)
{
    return std::hypot(v.GetX(), v.GetY());
}

// The figures of one run.
struct Figures
{
    std::vector<double> shipError, objectError;
    std::vector<double> drawnAccel, trueAccel; // per-frame change of velocity, units/s
    std::vector<double> trueSpeed;             // the ships' own speeds, units/s
    double worstStepError = 0;                 // |drawn step - true step| in one frame
    int backSteps = 0;                         // drawn against the true motion
    int clientJumps = 0;                       // a long drawn step the server did not make
};

// One ship's motion from frame to frame, drawn and true.
struct Track
{
    bool seen = false, moving = false;
    CVector drawn, truth, drawnVelocity, trueVelocity;
    uint32_t lastFrame = 0;
};

// One run at one send rate. The server: its world, its reports through the
// server's relay, and the keys each ship's player holds, changed every few
// hundred milliseconds. The client: its world with the local ship (the
// server's ship 1) and the session's receive path, which every packet the
// relay sends takes. And the comparison of the two at every client frame.
class CRun : public IPacketSender
{
public:
    CRun(const Options& options, int rate)
        : m_keys(static_cast<size_t>(options.ships)), m_nextChange(m_keys.size())
    {
        m_server.AttachMap(bench::LoadShippedMap(options.map));
        m_client.AttachMap(bench::LoadShippedMap(options.map));
        m_server.SetHost(&m_reports);
        m_relay.SetHostPlayer(kHostPlayer);
        m_relay.SetSendRate(static_cast<uint32_t>(rate));
        m_relay.AddPlayer(kHostPlayer);
        m_relay.AddPlayer(kClientPlayer);
        for (HeldKeys& keys : m_keys)
        {
            auto* ship = new CShip();
            ship->SetId(static_cast<ObjectId>(m_server.GetPlayerCount() + 1));
            ship->SetHeldKeys(&keys);
            m_server.AddPlayer(ship);
        }
        auto* local = new CShip();
        local->SetLocal(true);
        local->SetId(1);
        m_client.AddPlayer(local);
        m_session.SetWorld(&m_client);
    }
    void SendPacket(session::PlayerId, const uint8_t* data, size_t size) override
    {
        m_session.OnReceive(data, size);
    }

    Figures Play(double seconds, platform::FakeClock& clock)
    {
        double nextFrame = kFramePeriodMs;
        uint32_t lastFrame = 0, end = static_cast<uint32_t>(seconds * 1000) + kWarmUpMs;
        for (uint32_t now = 1; now <= end; ++now)
        {
            clock.Advance(1);
            ServerPass(now);
            if (now < nextFrame)
                continue;
            auto dt = static_cast<int32_t>(now - lastFrame);
            AdvanceClientWorld(m_client, dt);
            if (now > kWarmUpMs)
                Measure(now, dt);
            lastFrame = now;
            nextFrame += kFramePeriodMs;
        }
        return m_figures;
    }

private:
    // One pass of 1 ms, and the flush that ends it.
    void ServerPass(uint32_t now)
    {
        static const std::vector<uint32_t> kMoves[] = {
            {KEY_THRUST},
            {KEY_THRUST, KEY_TURN_LEFT},
            {KEY_THRUST, KEY_TURN_RIGHT},
            {KEY_TURN_LEFT},
            {KEY_TURN_RIGHT},
            {},
        };
        for (size_t ship = 0; ship < m_keys.size(); ++ship)
        {
            if (now < m_nextChange[ship])
                continue;
            const std::vector<uint32_t>& move = kMoves[m_random.Next() % std::size(kMoves)];
            m_keys[ship].fill(KEY_NONE);
            std::copy(move.begin(), move.end(), m_keys[ship].begin());
            if (m_random.Next() % 3 == 0)
                m_keys[ship][move.size()] = KEY_FIRE_BULLET;
            m_nextChange[ship] = now + 200 + m_random.Next() % 800;
        }
        m_server.Tick(1);
        m_relay.FlushBatches();
    }

    void Measure(uint32_t now, int32_t dt)
    {
        for (CShip& ship : m_server.Players())
        {
            CShip* drawn = m_client.FindPlayer(ship.GetId());
            Track& track = m_tracks[ship.GetId()];
            if (!ship.IsActive() || !drawn || !drawn->IsActive())
                track = Track{};
            else
            {
                m_figures.shipError.push_back(Length(Offset(ship.GetPosition(), drawn->GetPosition())));
                Step(track, ship.GetPosition(), drawn->GetPosition(), now, dt);
            }
        }
        for (CGameObject& object : m_server.Objects())
            if (CGameObject* drawn = m_client.FindObject(object.GetId());
                object.IsActive() && drawn && drawn->IsActive())
                m_figures.objectError.push_back(Length(Offset(object.GetPosition(), drawn->GetPosition())));
    }

    CVector Offset(const CVector& from, const CVector& to) const
    {
        return WrappedOffset(from, to, static_cast<float>(m_server.GetWorldWidth()),
                             static_cast<float>(m_server.GetWorldHeight()));
    }

    void Step(Track& track, const CVector& truth, const CVector& drawn, uint32_t now, int32_t dt)
    {
        bool follows = track.seen && track.lastFrame + 20 >= now && dt > 0;
        CVector drawnStep = Offset(track.drawn, drawn), trueStep = Offset(track.truth, truth);
        if (follows && Length(trueStep) > kTeleport)
            follows = false;
        else if (follows && Length(drawnStep) > kTeleport)
        {
            ++m_figures.clientJumps;
            follows = false;
        }
        if (follows)
            Compare(track, drawnStep, trueStep, dt);
        track.moving = follows;
        track.seen = true;
        track.drawn = drawn;
        track.truth = truth;
        track.lastFrame = now;
    }

    void Compare(Track& track, const CVector& drawnStep, const CVector& trueStep, int32_t dt)
    {
        CVector drawnVelocity = drawnStep * (1000.0 / dt), trueVelocity = trueStep * (1000.0 / dt);
        m_figures.trueSpeed.push_back(Length(trueVelocity));
        if (track.moving)
        {
            m_figures.drawnAccel.push_back(Length(drawnVelocity - track.drawnVelocity));
            m_figures.trueAccel.push_back(Length(trueVelocity - track.trueVelocity));
        }
        m_figures.worstStepError = std::max(m_figures.worstStepError, Length(drawnStep - trueStep));
        double along = drawnStep.GetX() * trueStep.GetX() + drawnStep.GetY() * trueStep.GetY();
        if (Length(trueStep) > 1 && along < 0)
            ++m_figures.backSteps;
        track.drawnVelocity = drawnVelocity;
        track.trueVelocity = trueVelocity;
    }

    CLock m_queueLock;
    CSessionRelay m_relay{*this, m_queueLock};
    CWorldReports m_reports{m_relay};
    CGameWorld m_server, m_client; // after the reports, which the server's world reports to
    std::deque<HeldKeys> m_keys;   // the ships point at their entries
    std::vector<uint32_t> m_nextChange;
    platform::RandomStream m_random{2024}; // the script's own, so it does not disturb the world's
    CClient m_session;
    Figures m_figures;
    std::unordered_map<ObjectId, Track> m_tracks;
};

void PrintHeader(const Options& options)
{
    std::printf("map %s, %d ships, %.0f s of play after %u ms of warm-up, client frames at %.2f fps\n",
                options.map.c_str(), options.ships, options.seconds, kWarmUpMs, 1000.0 / kFramePeriodMs);
    std::printf(
        "position error in world units (a ship is about 32 long); velocity change per frame in units/s\n");
    std::printf("%-10s %8s %8s %8s %8s %8s %8s %8s %8s %10s %6s %6s %9s\n", "rate", "ship p50", "ship p99",
                "ship max", "obj p50", "obj p99", "obj max", "dv p99", "true dv", "worst step", "back",
                "jumps", "speed p90");
}

void PrintRow(int rate, const Figures& f)
{
    std::string name = rate > 0 ? std::to_string(rate) + " Hz" : "every pass";
    std::printf("%-10s %8.2f %8.2f %8.2f %8.2f %8.2f %8.2f %8.1f %8.1f %10.2f %6d %6d %9.0f\n", name.c_str(),
                Percentile(f.shipError, 0.5), Percentile(f.shipError, 0.99), Percentile(f.shipError, 1),
                Percentile(f.objectError, 0.5), Percentile(f.objectError, 0.99), Percentile(f.objectError, 1),
                Percentile(f.drawnAccel, 0.99), Percentile(f.trueAccel, 0.99), f.worstStepError, f.backSteps,
                f.clientJumps, Percentile(f.trueSpeed, 0.9));
}

// "0,60,30,20": send rates from 0 (every pass) to the server's 1000.
bool ParseRates(const std::string& text, std::vector<int>& rates)
{
    rates.clear();
    std::stringstream list(text);
    int rate = 0;
    for (std::string item; std::getline(list, item, ',');)
        if (ParseExactNumber(item, rate) && rate >= 0 && rate <= 1000)
            rates.push_back(rate);
        else
            return false;
    return !rates.empty();
}
} // namespace

int main(int argc, char** argv)
{
    Options options;
    const cmdline::Option table[] = {
        cmdline::NumberOption<double>("--seconds", options.seconds, 0.001, 86400),
        cmdline::ValueOption("--map", [&](const std::string& name) { return !(options.map = name).empty(); }),
        cmdline::NumberOption<int>("--ships", options.ships, 1, 64),
        cmdline::ValueOption("--rates",
                             [&](const std::string& list) { return ParseRates(list, options.rates); }),
        cmdline::StopOption("--help"),
    };
    bench::ReadOptions(table, argc, argv, "[--seconds S] [--map NAME] [--ships N] [--rates 0,60,30,20]");
    platform::FakeClock clock;
    PrintHeader(options);
    for (int rate : options.rates)
    {
        g_settings = GameSettings{};
        platform::SeedRand(12345);
        clock.SetTick(1000);
        PrintRow(rate, CRun(options, rate).Play(options.seconds, clock));
    }
    return 0;
}
