#include "tests/support/ServerUnderTest.h"

#include "tests/support/Ports.h"

namespace testing_support
{

std::string ShippedData()
{
    return std::string(QUORVEX_SOURCE_DIR) + "/data";
}

ServerUnderTest::ServerUnderTest(const Setup& setup) : port(FreeUdpPort())
{
    dataDir = setup.dataDir.empty() ? dir.Path() : setup.dataDir;
    std::vector<std::string> args;
    if (!setup.config.empty())
        args = {"-loadcfg", dir.Write("server.cfg", setup.config)};
    args.insert(args.end(), setup.args.begin(), setup.args.end());
    args.insert(args.end(), {"-port", std::to_string(port)});
    process = std::make_unique<ChildProcess>(ProgramPath("QuorvexServer"), args,
                                             ChildProcess::Options{dir.Path(), {"QUORVEX_DATA=" + dataDir}});
    ready = process->WaitForLine(setup.readyLine, std::chrono::seconds(10)).has_value();
}

std::unique_ptr<ChildProcess> ServerUnderTest::Probe(std::vector<std::string> args,
                                                     std::vector<std::string> environment) const
{
    args.insert(args.begin(), {"--port", std::to_string(port)});
    environment.push_back("QUORVEX_DATA=" + dataDir);
    return std::make_unique<ChildProcess>(ProgramPath("QuorvexProbe"), args,
                                          ChildProcess::Options{"", std::move(environment)});
}

int Finish(ChildProcess& process, std::chrono::milliseconds timeout)
{
    std::optional<int> code = process.Wait(timeout);
    process.DrainOutput(std::chrono::seconds(1));
    return code.value_or(-1);
}

} // namespace testing_support
