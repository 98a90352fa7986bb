// One headless game client for the probe's --world mode: the real client
// session with its own copy of the world and a local ship, advanced between
// server messages exactly as the game advances it, without a display. It
// sends the scripted keys like the game sends held keys, and at the end
// prints what its world holds, so tests can compare several clients' worlds
// with each other and with the server's.
#pragma once

#include "game/World.h"
#include "net/Client.h"
#include "tools/probe/ProbeOptions.h"
#include "tools/probe/RepeatSchedule.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace probe
{

class WorldClient
{
public:
    // `console` receives the session's console lines as "CONSOLE <text>";
    // null keeps them quiet (bots).
    WorldClient(const ProbeOptions& options, const std::string& name, std::FILE* console);

    // Searches the options' host and selects the first server that answers.
    // False, with the reason on the console, when none does.
    bool Find();
    void Select(const session::HostAddress& address) { m_client.SelectAddress(address); }
    // Connects and registers (the session sends MSG_JOIN itself).
    bool Connect();
    // Sends the one-off messages: raw packets (as the messages they decode
    // to) and the chat line.
    void SendOpening();
    // One frame: keys, pings and repeated raw packets when due, the
    // session's work, the world's advance by the time since the last frame.
    void Pump(uint64_t nowMs);
    void WaitForTraffic(uint32_t timeoutMs) { m_client.WaitForTraffic(timeoutMs); }

    bool IsTerminated() const { return m_client.IsTerminated(); }
    const std::string& GetName() const { return m_name; }
    uint64_t GetMessages() const { return m_client.GetMessagesReceived(); }
    uint64_t GetBytes() const { return m_client.GetBatchBytesReceived(); }
    uint64_t GetDatagrams() const { return m_client.GetStats().datagramsReceived; }
    // "WORLD SHIP <id> <name> <active 0|1> <x> <y> <frags>" per ship, then
    // "WORLD OBJECTS <kind>=<count> ...".
    void PrintWorld(std::FILE* out);

private:
    void SendKeys();
    void SendRaw();

    const ProbeOptions& m_options;
    std::string m_name;
    CGameWorld m_world; // declared first: the session applies messages to it
    CClient m_client;
    uint64_t m_lastFrame = 0;
    uint64_t m_nextKeys = 0;
    uint64_t m_nextPing = 0;
    RepeatSchedule m_rawRepeats;
};

// The --world modes: one client that finds its server by asking the host,
// or --bots N clients that connect to `server` directly. Both return the
// probe's exit status.
int RunWorld(const ProbeOptions& options);
int RunWorldBots(const ProbeOptions& options, const session::HostAddress& server);

} // namespace probe
