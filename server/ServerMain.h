// The server program's main thread: banner, command line, server thread,
// and the wait for that thread to end.
#pragma once

#include <functional>
#include <thread>

namespace server
{

// Starts `body` on a new thread. False when no thread could be created.
using ThreadLauncher = std::function<bool(std::function<void()> body, std::thread& thread)>;

bool LaunchThread(std::function<void()> body, std::thread& thread);

// The whole program. Returns the process exit code.
int ServerMain(int argc, char** argv, const ThreadLauncher& launch = LaunchThread);

} // namespace server
