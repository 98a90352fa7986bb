#include "tools/probe/ProbeWorld.h"

#include "game/ClientAdvance.h"
#include "session/SessionWire.h"
#include "tools/probe/ProbeConnection.h"
#include "tools/probe/PumpLoop.h"

#include <array>
#include <csignal>
#include <cstdio>
#include <memory>
#include <vector>

namespace probe
{
namespace
{
constexpr uint64_t kKeysIntervalMs = 20;
constexpr uint64_t kPingIntervalMs = 1000;
constexpr uint32_t kSliceMs = 5;

// Set by SIGUSR1: print the worlds as they are now, and go on.
volatile std::sig_atomic_t g_printAsked = 0;

void OnPrintAsked(int)
{
    g_printAsked = 1;
}

void InstallPrintHandler()
{
    struct sigaction action = {};
    action.sa_handler = OnPrintAsked;
    sigemptyset(&action.sa_mask);
    sigaction(SIGUSR1, &action, nullptr);
}

bool TakePrintRequest()
{
    bool asked = g_printAsked != 0;
    g_printAsked = 0;
    return asked;
}

void PrintBots(std::vector<std::unique_ptr<WorldClient>>& bots)
{
    for (size_t i = 0; i < bots.size(); ++i)
    {
        std::printf("BOT %zu %s messages=%llu bytes=%llu datagrams=%llu%s\n", i + 1,
                    bots[i]->GetName().c_str(), static_cast<unsigned long long>(bots[i]->GetMessages()),
                    static_cast<unsigned long long>(bots[i]->GetBytes()),
                    static_cast<unsigned long long>(bots[i]->GetDatagrams()),
                    bots[i]->IsTerminated() ? " terminated" : "");
        bots[i]->PrintWorld(stdout);
    }
}

// Object kinds in the order WORLD OBJECTS names them.
constexpr std::array<std::pair<int32_t, const char*>, 6> kObjectKinds = {{
    {KIND_BULLET, "bullet"},
    {KIND_MISSILE, "missile"},
    {KIND_MINE, "mine"},
    {KIND_PLASMA_MINE, "plasmamine"},
    {KIND_POWERUP, "powerup"},
    {KIND_SHRAPNEL, "shrapnel"},
}};
} // namespace

WorldClient::WorldClient(const ProbeOptions& options, const std::string& name, std::FILE* console)
    : m_options(options), m_name(name.empty() ? "Player" : name), m_rawRepeats(options.sendEveryMs)
{
    auto* local = new CShip();
    local->SetName(m_name.c_str());
    local->SetShipType(static_cast<int32_t>(options.shipType));
    local->SetLocal(true);
    m_world.AddPlayer(local);
    m_client.SetPort(options.port);
    m_client.Init();
    m_client.SetWorld(&m_world);
    if (console)
        m_client.SetConsoleEcho(
            [console](const char* line)
            {
                std::fprintf(console, "CONSOLE %s\n", line);
                std::fflush(console);
            });
}

bool WorldClient::Find()
{
    if (!m_client.SearchForServers(m_options.host.c_str()))
        return false;
    // Room for any name a search answer can carry, so the prefix match of
    // SelectServer sees all of it.
    char name[session::wire::kEnumQuerySize + 1];
    uint32_t maxPlayers = 0, currentPlayers = 0;
    m_client.ResetHostCursor();
    if (!m_client.NextHost(name, sizeof name, maxPlayers, currentPlayers))
    {
        m_client.ListServers(); // says "No servers found..."
        return false;
    }
    return m_client.SelectServer(name);
}

bool WorldClient::Connect()
{
    bool connected = m_client.Connect();
    m_lastFrame = m_nextKeys = m_nextPing = NowMs();
    m_rawRepeats.Start(m_lastFrame);
    return connected;
}

void WorldClient::SendOpening()
{
    SendRaw();
    if (m_options.chat)
    {
        CMessage message;
        message.SetText(m_options.chat->c_str());
        m_client.Send(message);
    }
}

void WorldClient::SendRaw()
{
    CMessage message;
    for (const std::vector<uint8_t>& raw : m_options.sends)
        if (message.Deserialize(raw.data(), raw.size()))
            m_client.Send(message);
}

// The held keys for the local ship, or the single 0 when none are held, as
// the game sends them every frame.
void WorldClient::SendKeys()
{
    std::vector<uint32_t> codes = m_options.keys.empty() ? std::vector<uint32_t>{0} : m_options.keys;
    CShip* local = m_world.FirstPlayer();
    CMessage message;
    message.SetKeys(local ? local->GetId() : 0, codes.data(), static_cast<uint32_t>(codes.size()));
    m_client.Send(message);
}

void WorldClient::Pump(uint64_t nowMs)
{
    if (m_client.IsTerminated())
        return;
    if (nowMs >= m_nextKeys)
    {
        m_nextKeys = nowMs + kKeysIntervalMs;
        SendKeys();
    }
    if (nowMs >= m_nextPing && m_client.IsConnected())
    {
        m_nextPing = nowMs + kPingIntervalMs;
        m_client.SendPing();
    }
    for (uint32_t due = m_rawRepeats.TakeDue(nowMs); due > 0; --due)
        SendRaw();
    m_client.DoWork(kSliceMs);
    // The advance reaches the moment the frame's messages were applied, also
    // on the frame that ended the session: the world printed at the end is
    // the world as of the server's last word.
    uint64_t applied = NowMs();
    AdvanceClientWorld(m_world, static_cast<int32_t>(applied - m_lastFrame));
    m_lastFrame = applied;
}

void WorldClient::PrintWorld(std::FILE* out)
{
    CLockGuard guard(m_world.GetLock());
    for (const CShip& ship : m_world.Players())
    {
        CVector position = ship.GetPosition();
        std::fprintf(out, "WORLD SHIP %u %s %d %.1f %.1f %d\n", ship.GetId(), ship.GetName().c_str(),
                     ship.IsActive() ? 1 : 0, position.GetX(), position.GetY(), ship.GetFrags());
    }
    std::array<size_t, kObjectKinds.size()> counts{};
    for (const CGameObject& object : m_world.Objects())
        for (size_t i = 0; i < kObjectKinds.size(); ++i)
            counts[i] += object.GetKind() == kObjectKinds[i].first ? 1 : 0;
    std::fprintf(out, "WORLD OBJECTS");
    for (size_t i = 0; i < kObjectKinds.size(); ++i)
        std::fprintf(out, " %s=%zu", kObjectKinds[i].second, counts[i]);
    std::fprintf(out, " turret=%zu\n", m_world.GetTurretCount());
    std::fflush(out);
}

int RunWorld(const ProbeOptions& options)
{
    InstallPrintHandler();
    WorldClient client(options, options.name, stdout);
    if (!client.Find())
        return kExitUnreachable;
    if (!client.Connect())
    {
        std::printf("REFUSED\n");
        return kExitRefused;
    }
    std::printf("CONNECTED\n");
    std::fflush(stdout);
    client.SendOpening();
    uint64_t end = NowMs() + options.durationMs;
    for (uint64_t now = NowMs(); now < end && !client.IsTerminated(); now = NowMs())
    {
        client.Pump(now);
        if (TakePrintRequest())
            client.PrintWorld(stdout);
        client.WaitForTraffic(2);
    }
    if (client.IsTerminated())
        std::printf("TERMINATED\n");
    client.PrintWorld(stdout);
    return client.IsTerminated() ? kExitTerminated : 0;
}

int RunWorldBots(const ProbeOptions& options, const session::HostAddress& server)
{
    InstallPrintHandler();
    std::vector<std::unique_ptr<WorldClient>> bots;
    for (int i = 1; i <= options.bots; ++i)
    {
        auto bot = std::make_unique<WorldClient>(options, options.name + std::to_string(i), nullptr);
        bot->Select(server);
        if (!bot->Connect())
        {
            std::fprintf(stderr, "Bot %d could not connect.\n", i);
            std::printf("REFUSED\n");
            return kExitRefused;
        }
        bot->SendOpening();
        bots.push_back(std::move(bot));
    }
    PumpAll(bots, options.durationMs,
            [&]
            {
                if (TakePrintRequest())
                    PrintBots(bots);
            });
    PrintBots(bots);
    return 0;
}

} // namespace probe
