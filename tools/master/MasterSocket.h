// CMasterSocket runs a CMasterList on a UDP socket: it reads datagrams, gives
// them to the list with their source and the time, sends what the list sends
// and prints what it logs, until told to stop.
#pragma once

#include "tools/master/MasterList.h"
#include "tools/master/MasterOptions.h"

#include <csignal>
#include <cstdio>
#include <string>

namespace master
{

class CMasterSocket : public IMasterSink
{
public:
    CMasterSocket(const MasterOptions& options, uint64_t seed, std::FILE* out);
    ~CMasterSocket() override;
    CMasterSocket(const CMasterSocket&) = delete;
    CMasterSocket& operator=(const CMasterSocket&) = delete;

    // Binds the socket; false with the reason in `error`.
    bool Open(std::string& error);
    // Serves until `stop` is set.
    void Run(const volatile std::sig_atomic_t& stop);

    void Send(const ServerAddress& to, const std::vector<uint8_t>& bytes) override;
    void Log(const std::string& line) override;

private:
    void ReadAll(uint64_t nowMs);

    MasterOptions m_options;
    std::FILE* m_out;
    int m_socket = -1;
    CMasterList m_list;
};

} // namespace master
