// Any bytes as a configuration file: the reader must finish, never loop, and
// leave every setting either unchanged or set to a finite value.
#include "game/Settings.h"
#include "server/ConfigFile.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/quorvex-config-fuzz-" + std::to_string(getpid()) + ".cfg";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    g_settings = GameSettings{};
    static std::FILE* sink = std::fopen("/dev/null", "w");
    LoadConfig(path.c_str(), sink);
    for (const SettingDescriptor& setting : SettingTable())
        if (auto field = std::get_if<float GameSettings::*>(&setting.field))
            if (!std::isfinite(g_settings.*(*field)))
                std::abort();
    std::remove(path.c_str());
    return 0;
}
