// QuorvexImpair: a UDP relay that plays a bad network for tests. See
// ImpairOptions.cpp for its command line and output.
#include "tools/impair/ImpairOptions.h"
#include "tools/impair/UdpRelay.h"

#include <csignal>
#include <cstdio>

namespace
{
volatile std::sig_atomic_t g_stop = 0;
volatile std::sig_atomic_t g_lift = 0;

void OnStop(int)
{
    g_stop = 1;
}

void OnLift(int)
{
    g_lift = 1;
}

void InstallHandler(int signal, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}
} // namespace

int main(int argc, char** argv)
{
    std::string error;
    std::optional<impair::ImpairOptions> options = impair::ParseOptions(argc, argv, error);
    if (!options)
    {
        if (error.empty())
        {
            std::fputs(impair::kUsage, stdout);
            return 0;
        }
        std::fprintf(stderr, "QuorvexImpair: %s. Try --help.\n", error.c_str());
        return impair::kExitBadArguments;
    }
    InstallHandler(SIGINT, OnStop);
    InstallHandler(SIGTERM, OnStop);
    InstallHandler(SIGUSR1, OnLift);
    impair::CUdpRelay relay(*options, stdout);
    if (!relay.Open(error))
    {
        std::fprintf(stderr, "QuorvexImpair: %s; is the address this machine's, and the port free?\n",
                     error.c_str());
        return impair::kExitSocket;
    }
    relay.Run(g_stop, g_lift);
    return 0;
}
