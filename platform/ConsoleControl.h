// Stand-in for the console control handler: SIGINT, SIGTERM and SIGHUP are
// delivered to one handler as the console events a console program expects.
// The handler runs in signal context, so it may only touch lock-free atomics.
#pragma once

#include <cstdint>

namespace platform
{

// Event codes passed to the handler.
constexpr uint32_t kCtrlCEvent = 0;        // SIGINT
constexpr uint32_t kCtrlBreakEvent = 1;    // (no signal maps here)
constexpr uint32_t kCtrlCloseEvent = 2;    // SIGHUP: the terminal went away
constexpr uint32_t kCtrlLogoffEvent = 5;   // (no signal maps here)
constexpr uint32_t kCtrlShutdownEvent = 6; // SIGTERM

using ConsoleControlHandler = bool (*)(uint32_t event);

// Routes the three stop signals to `handler`. Returns false when a signal
// handler could not be installed.
bool InstallConsoleControlHandler(ConsoleControlHandler handler);

// Runs in signal context like the console control handler.
using ReportRequestHandler = void (*)();

// Routes SIGUSR1, a request for a report of the program's figures, to
// `handler`. Returns false when the signal handler could not be installed.
bool InstallReportRequestHandler(ReportRequestHandler handler);

} // namespace platform
