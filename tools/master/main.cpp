// QuorvexMaster: the list of Quorvex servers on the internet. See
// MasterOptions.cpp for its command line and output.
#include "common/Version.h"
#include "tools/master/MasterOptions.h"
#include "tools/master/MasterSocket.h"

#include <csignal>
#include <cstdio>
#include <random>

namespace
{
volatile std::sig_atomic_t g_stop = 0;

void OnStop(int)
{
    g_stop = 1;
}

void InstallStopHandler(int signal)
{
    struct sigaction action = {};
    action.sa_handler = OnStop;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

// Challenges must not be guessable from outside, so they come from the
// system's random source rather than from the time.
uint64_t RandomSeed()
{
    std::random_device device;
    return (uint64_t(device()) << 32) | device();
}
} // namespace

int main(int argc, char** argv)
{
    master::MasterOptions options;
    std::string error;
    switch (master::ParseOptions(argc, argv, options, error))
    {
    case master::ParseResult::Help:
        return std::fputs(master::kUsage, stdout), 0;
    case master::ParseResult::Version:
        return std::printf("QuorvexMaster %0.2f\n", kGameVersion), 0;
    case master::ParseResult::Mistake:
        std::fprintf(stderr, "QuorvexMaster: %s. Try --help.\n", error.c_str());
        return master::kExitBadArguments;
    case master::ParseResult::Run:
        break;
    }
    InstallStopHandler(SIGINT);
    InstallStopHandler(SIGTERM);
    master::CMasterSocket server(options, RandomSeed(), stdout);
    if (!server.Open(error))
    {
        std::fprintf(stderr, "QuorvexMaster: %s; is the address this machine's, and the port free?\n",
                     error.c_str());
        return master::kExitSocket;
    }
    server.Run(g_stop);
    return 0;
}
