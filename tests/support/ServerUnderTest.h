// A QuorvexServer for end-to-end tests: its own loopback port, its own folder
// (where it runs and keeps its configuration file), a data folder of the
// test's choosing, and probes that talk to it.
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

class ServerUnderTest
{
public:
    // What to start: Setup().Config("MaxPlayers 1\n").Data(ShippedData()) ...
    struct Setup
    {
        std::vector<std::string> args; // before -port
        std::string config;            // written to a file and loaded first, if not empty
        std::string dataDir;           // empty: an empty folder (no maps)
        std::string readyLine = "Console: starting up server";

        Setup& Args(std::vector<std::string> value) { return args = std::move(value), *this; }
        Setup& Config(std::string value) { return config = std::move(value), *this; }
        Setup& Data(std::string value) { return dataDir = std::move(value), *this; }
        Setup& ReadyLine(std::string value) { return readyLine = std::move(value), *this; }
    };

    explicit ServerUnderTest(const Setup& setup);
    ServerUnderTest() : ServerUnderTest(Setup{}) {}

    // A QuorvexProbe aimed at this server (--port comes first).
    std::unique_ptr<ChildProcess> Probe(std::vector<std::string> args,
                                        std::vector<std::string> environment = {}) const;

    TempDir dir;
    uint16_t port;
    std::string dataDir;
    std::unique_ptr<ChildProcess> process;
    bool ready = false;
};

// Waits for a program to end and collects the rest of its output; -1 when it
// did not end in time.
int Finish(ChildProcess& process, std::chrono::milliseconds timeout = std::chrono::seconds(30));

} // namespace testing_support
