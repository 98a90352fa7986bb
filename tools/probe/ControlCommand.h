// QuorvexProbe --control PATH "command": sends one console command to a
// running server's control socket and prints the answer.
#pragma once

#include <string>

namespace probe
{

// Exit status: 0 done, 1 the server answered with an error, 3 no server
// listens at the path.
int SendControlCommand(const std::string& socketPath, const std::string& command);

} // namespace probe
