// Any bytes as a configuration file: the reader must finish, never loop, and
// leave every setting either unchanged or set to a finite value.
#include "game/Settings.h"
#include "server/ConfigFile.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cmath>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFuzzTempFile file("config.cfg", data, size);
    if (!file.IsWritten())
        return 0;

    g_settings = GameSettings{};
    static std::FILE* sink = std::fopen("/dev/null", "w");
    LoadConfig(file.GetPath().c_str(), sink);
    for (const SettingDescriptor& setting : SettingTable())
        if (auto field = std::get_if<float GameSettings::*>(&setting.field))
            Check(std::isfinite(g_settings.*(*field)));
    return 0;
}
