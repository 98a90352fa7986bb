#include "tests/support/ServerUnderTest.h"

#include "tests/support/MapFile.h"
#include "tests/support/Ports.h"

#include <algorithm>

namespace testing_support
{
namespace
{
const std::vector<std::string> kArena = {
    "############", //
    "#..........#", //
    "#....7.....#", //
    "#..........#", //
    "#..........#", //
    "#..........#", //
    "#..........#", //
    "#..........#", //
    "#....7.....#", //
    "#..........#", //
    "############", //
    "############", //
};
} // namespace

std::string ShippedData()
{
    return std::string(QUORVEX_SOURCE_DIR) + "/data";
}

ServerUnderTest::ServerUnderTest(const Setup& setup)
    : port(setup.port ? setup.port : FreeUdpPort()), bindAddress(setup.bindAddress)
{
    dataDir = setup.dataDir.empty() ? dir.Path() : setup.dataDir;
    if (setup.arena)
        dir.Write("Maps/Arena.smp", MapFile(kArena, "Arena").Bytes());
    std::vector<std::string> args;
    if (!setup.config.empty())
        args = {"-loadcfg", dir.Write("server.cfg", setup.config)};
    args.insert(args.end(), setup.args.begin(), setup.args.end());
    args.insert(args.end(), {"-port", std::to_string(port)});
    if (!bindAddress.empty())
        args.insert(args.end(), {"-bind", bindAddress});
    process = std::make_unique<ChildProcess>(ProgramPath("QuorvexServer"), args,
                                             ChildProcess::Options{dir.Path(), {"QUORVEX_DATA=" + dataDir}});
    ready = process->WaitForLine(setup.readyLine, std::chrono::seconds(10)).has_value();
}

std::unique_ptr<ChildProcess> ServerUnderTest::Probe(std::vector<std::string> args,
                                                     std::vector<std::string> environment) const
{
    args.insert(args.begin(), {"--port", std::to_string(port)});
    if (!bindAddress.empty())
        args.insert(args.begin(), {"--host", bindAddress});
    environment.push_back("QUORVEX_DATA=" + dataDir);
    return std::make_unique<ChildProcess>(ProgramPath("QuorvexProbe"), args,
                                          ChildProcess::Options{"", std::move(environment)});
}

bool ServerUnderTest::Says(const std::string& text, std::chrono::milliseconds timeout)
{
    return process->WaitForLine("Console: " + text, timeout).has_value();
}

int ServerUnderTest::ShutDown()
{
    auto request = Probe({"--send", kShutdownHex, "--duration", "500"});
    int code = Finish(*process);
    Finish(*request);
    return code;
}

int Finish(ChildProcess& process, std::chrono::milliseconds timeout)
{
    std::optional<int> code = process.Wait(timeout);
    process.DrainOutput(std::chrono::seconds(1));
    return code.value_or(-1);
}

std::vector<std::string> LinesStartingWith(const ChildProcess& process, const std::string& prefix)
{
    std::vector<std::string> found;
    for (const std::string& line : process.Lines())
        if (line.rfind(prefix, 0) == 0)
            found.push_back(line);
    return found;
}

size_t CountLines(const ChildProcess& process, const std::string& text)
{
    const auto& lines = process.Lines();
    return static_cast<size_t>(std::count_if(lines.begin(), lines.end(),
                                             [&](const std::string& line)
                                             { return line.find(text) != std::string::npos; }));
}

} // namespace testing_support
