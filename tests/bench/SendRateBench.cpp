// How closely the client draws the server's ships and objects when the server
// sends less often than once per pass. One server world on a shipped map is
// ticked in 1 ms steps on a fake clock, its ships flown by a fixed script of
// held keys; its reports go through the server's own reports and queue, and
// at each send time the newest state of every ship and object (other messages
// in order) reaches a client world through CClient's receive path. The client
// world is advanced by the game loop's own advance at about 60 frames a
// second, and at every frame each drawn ship and object is compared with the
// server's position at that moment, the short way round the world.
//
// Everything is deterministic and in-process; no packet leaves it.
//   build/tests/bench/send_rate_bench [--seconds S] [--map NAME] [--ships N] [--rates 0,60,30,20]
// Rate 0 sends on every pass.
#include "game/ClientAdvance.h"
#include "game/Settings.h"
#include "game/World.h"
#include "net/Client.h"
#include "net/MessageBatch.h"
#include "server/session/SessionRelay.h"
#include "server/session/WorldReports.h"
#include "platform/Clock.h"
#include "platform/Random.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

namespace
{
constexpr double kFramePeriodMs = 1000.0 / 59.94; // a display's refresh, drifting against the sends
constexpr uint32_t kWarmUpMs = 2000;              // the ships spawn and get going first
constexpr double kTeleport = 64;                  // a step this long in one frame is a respawn

struct Options
{
    double seconds = 60;
    std::string map = "Caves";
    int ships = 4;
    std::vector<int> rates{0, 60, 30, 20};
};

// The packets the relay sends, kept for the coalescing queue.
class CCapture : public IPacketSender
{
public:
    void SendPacket(session::PlayerId, const uint8_t* data, size_t size) override
    {
        m_packets.emplace_back(data, data + size);
    }
    std::vector<std::vector<uint8_t>> Take() { return std::move(m_packets); }

private:
    std::vector<std::vector<uint8_t>> m_packets;
};

// What a server sending at a limited rate holds for one client between
// sends: the newest state of each ship and object, the other messages in
// the order they came.
class CCoalescingQueue
{
public:
    void Add(const CMessage& message)
    {
        uint64_t key = 0;
        if (StateKey(message, key))
        {
            auto found = m_latest.find(key);
            if (found != m_latest.end())
                m_dropped[found->second] = true;
            m_latest[key] = m_messages.size();
        }
        m_messages.push_back(message);
        m_dropped.push_back(false);
    }

    void Deliver(CClient& client)
    {
        CMessageBatch batch;
        for (size_t i = 0; i < m_messages.size(); ++i)
            if (!m_dropped[i])
                batch.Add(m_messages[i]);
        std::vector<uint8_t> bytes(batch.GetWireSize());
        if (batch.GetCount() > 0 && batch.Write(bytes.data(), bytes.size()))
            client.OnReceive(bytes.data(), bytes.size());
        m_messages.clear();
        m_dropped.clear();
        m_latest.clear();
    }

private:
    static bool StateKey(const CMessage& message, uint64_t& key)
    {
        ObjectId id = 0;
        if (message.GetType() == MSG_SHIP_STATE)
        {
            CMessage::ShipState state;
            message.GetShipState(state);
            id = state.objectId;
        }
        else if (message.GetType() == MSG_OBJECT_STATE)
        {
            int32_t kind = 0, subtype = 0;
            CVector position, velocity;
            float angle = 0;
            message.GetObjectState(id, kind, position, velocity, angle, subtype);
        }
        else
            return false;
        key = (static_cast<uint64_t>(message.GetType()) << 32) | id;
        return true;
    }

    std::vector<CMessage> m_messages;
    std::vector<bool> m_dropped;
    std::unordered_map<uint64_t, size_t> m_latest;
};

// A small generator of its own, so the script does not disturb the world's.
class CScriptRandom
{
public:
    explicit CScriptRandom(uint32_t seed) : m_state(seed) {}
    uint32_t Next()
    {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state >> 8;
    }

private:
    uint32_t m_state;
};

// The server: the world, its reports through the server's relay, and the
// keys each ship's player holds, changed every few hundred milliseconds.
class CServerSide
{
public:
    bool Start(const std::string& mapPath, int ships)
    {
        auto* map = new CMap();
        if (!map->LoadFromFile(mapPath))
            return false;
        m_world.AttachMap(map);
        m_world.SetHost(&m_reports);
        m_relay.AddPlayer(1); // the host's own player
        m_relay.AddPlayer(2); // the client
        m_keys.resize(static_cast<size_t>(ships));
        m_nextChange.assign(static_cast<size_t>(ships), 0);
        for (int i = 0; i < ships; ++i)
        {
            auto* ship = new CShip();
            ship->SetId(static_cast<ObjectId>(i + 1));
            ship->SetHeldKeys(&m_keys[static_cast<size_t>(i)]);
            m_world.AddPlayer(ship);
        }
        return true;
    }

    // One pass of 1 ms; what it sends joins `queue`.
    void Tick(uint32_t now, CCoalescingQueue& queue)
    {
        for (size_t i = 0; i < m_keys.size(); ++i)
            if (now >= m_nextChange[i])
                ChangeKeys(i, now);
        m_world.Tick(1);
        m_relay.FlushBatches();
        for (const std::vector<uint8_t>& packet : m_capture.Take())
        {
            CMessageBatch batch;
            batch.Parse(packet.data(), packet.size());
            while (const CMessage* message = batch.NextMessage())
                queue.Add(*message);
        }
    }

    CGameWorld& World() { return m_world; }

private:
    void ChangeKeys(size_t ship, uint32_t now)
    {
        static const uint32_t kMoves[][2] = {
            {KEY_THRUST, KEY_NONE},    {KEY_THRUST, KEY_TURN_LEFT}, {KEY_THRUST, KEY_TURN_RIGHT},
            {KEY_TURN_LEFT, KEY_NONE}, {KEY_TURN_RIGHT, KEY_NONE},  {KEY_NONE, KEY_NONE},
        };
        const uint32_t* move = kMoves[m_random.Next() % (sizeof kMoves / sizeof kMoves[0])];
        HeldKeys& keys = m_keys[ship];
        keys.fill(KEY_NONE);
        size_t count = 0;
        for (size_t i = 0; i < 2; ++i)
            if (move[i] != KEY_NONE)
                keys[count++] = move[i];
        if (m_random.Next() % 3 == 0)
            keys[count++] = KEY_FIRE_BULLET;
        m_nextChange[ship] = now + 200 + m_random.Next() % 800;
    }

    CCapture m_capture;
    CLock m_queueLock;
    CSessionRelay m_relay{m_capture, m_queueLock};
    CWorldReports m_reports{m_relay};
    CGameWorld m_world;
    std::deque<HeldKeys> m_keys; // the ships point at their entries
    std::vector<uint32_t> m_nextChange;
    CScriptRandom m_random{2024};
};

// The client: its world with the local ship (the server's ship 1) and the
// session that applies what the server sends.
class CClientSide
{
public:
    explicit CClientSide(const std::string& mapPath)
    {
        auto* map = new CMap();
        map->LoadFromFile(mapPath);
        m_world.AttachMap(map);
        auto* local = new CShip();
        local->SetLocal(true);
        local->SetId(1);
        m_world.AddPlayer(local);
        m_client.SetWorld(&m_world);
    }

    CGameWorld& World() { return m_world; }
    CClient& Client() { return m_client; }

private:
    CGameWorld m_world;
    CClient m_client;
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
    uint64_t batches = 0, messages = 0;
};

// One thing's motion from frame to frame, drawn and true.
struct Track
{
    bool seen = false, moving = false;
    CVector drawn, truth, drawnVelocity, trueVelocity;
    uint32_t lastFrame = 0;
};

class CMeasure
{
public:
    CMeasure(CGameWorld& server, CGameWorld& client, Figures& figures)
        : m_server(server), m_client(client), m_figures(figures)
    {
    }

    void Frame(uint32_t now, int32_t dt)
    {
        m_width = static_cast<float>(m_server.GetWorldWidth());
        m_height = static_cast<float>(m_server.GetWorldHeight());
        for (CShip& ship : m_server.Players())
            CompareShip(ship, now, dt);
        for (CGameObject& object : m_server.Objects())
            if (object.IsActive())
                if (CGameObject* drawn = m_client.FindObject(object.GetId()); drawn && drawn->IsActive())
                    m_figures.objectError.push_back(
                        Length(Offset(object.GetPosition(), drawn->GetPosition())));
    }

private:
    CVector Offset(const CVector& from, const CVector& to) const
    {
        return WrappedOffset(from, to, m_width, m_height);
    }

    void CompareShip(CShip& ship, uint32_t now, int32_t dt)
    {
        CShip* drawn = m_client.FindPlayer(ship.GetId());
        Track& track = m_tracks[ship.GetId()];
        if (!ship.IsActive() || !drawn || !drawn->IsActive())
        {
            track = Track{};
            return;
        }
        m_figures.shipError.push_back(Length(Offset(ship.GetPosition(), drawn->GetPosition())));
        Step(track, ship.GetPosition(), drawn->GetPosition(), now, dt);
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
        else
            track.moving = false;
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
        track.moving = true;
        track.drawnVelocity = drawnVelocity;
        track.trueVelocity = trueVelocity;
    }

    CGameWorld& m_server;
    CGameWorld& m_client;
    Figures& m_figures;
    float m_width = 0, m_height = 0;
    std::unordered_map<ObjectId, Track> m_tracks;
};

Figures Run(const Options& options, const std::string& mapPath, int rate, platform::FakeClock& clock)
{
    g_settings = GameSettings{};
    platform::SeedRand(12345);
    clock.SetTick(1000);
    Figures figures;
    CServerSide server;
    if (!server.Start(mapPath, options.ships))
    {
        std::fprintf(stderr, "cannot load %s\n", mapPath.c_str());
        std::exit(1);
    }
    CClientSide client(mapPath);
    CMeasure measure(server.World(), client.World(), figures);
    CCoalescingQueue queue;
    double nextSend = 0, nextFrame = kFramePeriodMs;
    uint32_t lastFrame = 0, end = static_cast<uint32_t>(options.seconds * 1000) + kWarmUpMs;
    for (uint32_t now = 1; now <= end; ++now)
    {
        clock.Advance(1);
        server.Tick(now, queue);
        if (rate <= 0 || now >= nextSend)
        {
            queue.Deliver(client.Client());
            ++figures.batches;
            nextSend += rate > 0 ? 1000.0 / rate : 0;
        }
        if (now < nextFrame)
            continue;
        auto dt = static_cast<int32_t>(now - lastFrame);
        AdvanceClientWorld(client.World(), dt);
        if (now > kWarmUpMs)
            measure.Frame(now, dt);
        lastFrame = now;
        nextFrame += kFramePeriodMs;
    }
    figures.messages = client.Client().GetMessagesReceived();
    return figures;
}

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
    auto max = [](const std::vector<double>& v)
    { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); };
    std::printf("%-10s %8.2f %8.2f %8.2f %8.2f %8.2f %8.2f %8.1f %8.1f %10.2f %6d %6d %9.0f\n", name.c_str(),
                Percentile(f.shipError, 0.5), Percentile(f.shipError, 0.99), max(f.shipError),
                Percentile(f.objectError, 0.5), Percentile(f.objectError, 0.99), max(f.objectError),
                Percentile(f.drawnAccel, 0.99), Percentile(f.trueAccel, 0.99), f.worstStepError, f.backSteps,
                f.clientJumps, Percentile(f.trueSpeed, 0.9));
}

std::vector<int> ParseRates(const char* text)
{
    std::vector<int> rates;
    std::stringstream stream(text);
    std::string item;
    while (std::getline(stream, item, ','))
        rates.push_back(std::atoi(item.c_str()));
    return rates;
}

Options ParseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i + 1 < argc; i += 2)
    {
        if (!std::strcmp(argv[i], "--seconds"))
            options.seconds = std::atof(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--map"))
            options.map = argv[i + 1];
        else if (!std::strcmp(argv[i], "--ships"))
            options.ships = std::max(1, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--rates"))
            options.rates = ParseRates(argv[i + 1]);
    }
    return options;
}
} // namespace

int main(int argc, char** argv)
{
    Options options = ParseOptions(argc, argv);
    std::string mapPath = std::string(QUORVEX_SOURCE_DIR) + "/data/Maps/" + options.map + ".smp";
    platform::FakeClock clock;
    PrintHeader(options);
    for (int rate : options.rates)
        PrintRow(rate, Run(options, mapPath, rate, clock));
    return 0;
}
