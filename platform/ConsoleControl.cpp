#include "platform/ConsoleControl.h"

#include <atomic>
#include <csignal>

namespace platform
{
namespace
{
std::atomic<ConsoleControlHandler> g_handler{nullptr};
std::atomic<ReportRequestHandler> g_reportHandler{nullptr};

uint32_t EventForSignal(int signal)
{
    switch (signal)
    {
    case SIGINT:
        return kCtrlCEvent;
    case SIGHUP:
        return kCtrlCloseEvent;
    default:
        return kCtrlShutdownEvent;
    }
}

extern "C" void OnStopSignal(int signal)
{
    ConsoleControlHandler handler = g_handler.load();
    if (handler)
        handler(EventForSignal(signal));
}
extern "C" void OnReportSignal(int)
{
    ReportRequestHandler handler = g_reportHandler.load();
    if (handler)
        handler();
}
} // namespace

bool InstallConsoleControlHandler(ConsoleControlHandler handler)
{
    g_handler.store(handler);
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    bool ok = true;
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        ok = sigaction(signal, &action, nullptr) == 0 && ok;
    return ok;
}

bool InstallReportRequestHandler(ReportRequestHandler handler)
{
    g_reportHandler.store(handler);
    struct sigaction action = {};
    action.sa_handler = OnReportSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return sigaction(SIGUSR1, &action, nullptr) == 0;
}

} // namespace platform
