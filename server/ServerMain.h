// The server program's main thread: banner, command line, server thread,
// and the wait for that thread to end.
#pragma once

#include "server/ServerProcess.h"

#include <functional>
#include <thread>

namespace server
{

// The command line as read: the options to serve with, or, when the program
// ends without serving (help, version, -dumpcfg, a value out of range), the
// exit status. What the options print goes to standard output and error.
struct CommandLine
{
    ServerOptions options;
    bool serve = true;
    int exitCode = 0;
};

CommandLine ParseCommandLine(int argc, char** argv);

// Starts `body` on a new thread. False when no thread could be created.
using ThreadLauncher = std::function<bool(std::function<void()> body, std::thread& thread)>;

bool LaunchThread(std::function<void()> body, std::thread& thread);

// The whole program. Returns the process exit code.
int ServerMain(int argc, char** argv, const ThreadLauncher& launch = LaunchThread);

} // namespace server
