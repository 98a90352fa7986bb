// A QuorvexServer for end-to-end tests: its own loopback port, its own folder
// (where it runs and keeps its configuration file), the maps of the test's
// choosing, and probes that talk to it.
#pragma once

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace testing_support
{

// The shipped data folder (Maps/ and Graphics/ of the repository).
std::string ShippedData();

// The bytes of a MSG_SHUTDOWN request, as hex for QuorvexProbe --send.
inline const std::string kShutdownHex = "0f00000000";
// The server's status after a client's halt; the packaged unit restarts it on
// this status (RestartForceExitStatus=).
inline constexpr int kExitHaltedByClient = 75;

class ServerUnderTest
{
public:
    // What to start: Setup().Config("MaxPlayers 1\n").ShippedMaps() ...
    struct Setup
    {
        std::vector<std::string> args; // before -port
        std::string config;            // written to a file and loaded first, if not empty
        std::string dataDir;           // empty: the server's own folder, with no maps unless Arena()
        bool arena = false;
        std::string readyLine = "Console: starting up server";
        std::string bindAddress; // -bind; empty: every address
        uint16_t port = 0;       // 0: a free one

        Setup& Args(std::vector<std::string> value) { return args = std::move(value), *this; }
        Setup& Config(std::string value) { return config = std::move(value), *this; }
        Setup& Data(std::string value) { return dataDir = std::move(value), *this; }
        Setup& ShippedMaps() { return Data(ShippedData()); }
        Setup& ReadyLine(std::string value) { return readyLine = std::move(value), *this; }
        // Listens only on `address`, on `onPort` (another server's, to share
        // it) or a free port.
        Setup& Bind(std::string address, uint16_t onPort = 0)
        {
            return bindAddress = std::move(address), port = onPort, *this;
        }
        // Plays only "Arena": a walled 12 x 12 room, no turrets, two spawn
        // points in one column. The first ship to join spawns at the lower one
        // (row 8), the second at the upper one (row 2), both facing down (+y)
        // towards the two wall rows at the bottom.
        Setup& Arena() { return arena = true, ReadyLine("Loading map... Maps\\Arena"); }
    };

    explicit ServerUnderTest(const Setup& setup);
    ServerUnderTest() : ServerUnderTest(Setup{}) {}

    // A QuorvexProbe aimed at this server (--port, and --host for a bound
    // server, come first).
    std::unique_ptr<ChildProcess> Probe(std::vector<std::string> args,
                                        std::vector<std::string> environment = {}) const;

    // Waits for the console line "Console: <text>" (among all lines so far).
    bool Says(const std::string& text, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Asks the server to shut down, as any client may, and waits for it to
    // end: its exit status (kExitHaltedByClient when it obeyed), or -1.
    int ShutDown();

    TempDir dir;
    uint16_t port;
    std::string bindAddress;
    std::string dataDir;
    std::unique_ptr<ChildProcess> process;
    bool ready = false;
};

// Waits for a program to end and collects the rest of its output; -1 when it
// did not end in time.
int Finish(ChildProcess& process, std::chrono::milliseconds timeout = std::chrono::seconds(30));

// Lines of a program's output that start with `prefix`.
std::vector<std::string> LinesStartingWith(const ChildProcess& process, const std::string& prefix);
// Lines of a program's output that hold `text`.
size_t CountLines(const ChildProcess& process, const std::string& text);

} // namespace testing_support
