#include "client/sound/SoundDevice.h"

#include "game/SoundEffects.h"
#include "platform/Files.h"
#include "platform/sdl/SdlSoundOutput.h"

#include <cstdio>
#include <string>
#include <vector>

std::unique_ptr<platform::ISoundOutput> OpenSoundDevice()
{
    std::vector<std::string> files;
    for (const SoundEffectInfo& effect : kSoundEffects)
        files.push_back(platform::DataPath(std::string(platform::kSoundsFolder) + "/" + effect.file));
    std::string error;
    std::vector<std::string> missing;
    std::unique_ptr<platform::CSdlSoundOutput> output =
        platform::CSdlSoundOutput::Open(files, error, missing);
    if (!output)
    {
        std::fprintf(stderr, "QuorvexClient: no sound (%s); playing silently.\n", error.c_str());
        return nullptr;
    }
    if (!missing.empty())
        std::fprintf(
            stderr,
            "QuorvexClient: %zu sound files could not be loaded (the first: %s); those stay silent.\n",
            missing.size(), missing.front().c_str());
    return output;
}
