#include "platform/sdl/SdlSoundOutput.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <dlfcn.h>

#include <algorithm>
#include <cmath>

namespace platform
{
namespace
{
constexpr int kFrequency = 44100;
constexpr int kBufferFrames = 1024; // about 23 ms: short enough for shots to feel at once

uint8_t PanLevel(float level)
{
    return static_cast<uint8_t>(std::lround(std::clamp(level, 0.0f, 1.0f) * 255));
}

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// Without a sound card, ALSA's library prints several lines of its own on
// standard error when SDL tries it; SDL reports the failure to us anyway, and
// the game says it once in its own words. The library is the one SDL loads,
// so its handler is set for SDL's use of it (the handle is kept for as long
// as the program runs).
void QuietAlsaErrors()
{
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    void* alsa = dlopen("libasound.so.2", RTLD_LAZY);
    auto setHandler =
        alsa ? reinterpret_cast<int (*)(Handler)>(dlsym(alsa, "snd_lib_error_set_handler")) : nullptr;
    if (setHandler)
        setHandler(IgnoreAlsaError);
}

// The balance law: the near side stays at full level and the far side fades,
// so a centred sound plays at full level in both ears.
void ApplyMix(int channel, const SoundMix& mix)
{
    Mix_Volume(channel, static_cast<int>(std::lround(std::clamp(mix.gain, 0.0f, 1.0f) * MIX_MAX_VOLUME)));
    Mix_SetPanning(channel, PanLevel(1 - mix.pan), PanLevel(1 + mix.pan));
}
} // namespace

std::unique_ptr<CSdlSoundOutput> CSdlSoundOutput::Open(const std::vector<std::string>& files,
                                                       std::string& error, std::vector<std::string>& missing)
{
    QuietAlsaErrors();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
    {
        error = SDL_GetError();
        return nullptr;
    }
    if (Mix_OpenAudio(kFrequency, AUDIO_S16SYS, 2, kBufferFrames) != 0)
    {
        error = Mix_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    std::unique_ptr<CSdlSoundOutput> output(new CSdlSoundOutput());
    Mix_AllocateChannels(kChannels);
    for (const std::string& file : files)
    {
        Mix_Chunk* chunk = Mix_LoadWAV(file.c_str());
        if (!chunk)
            missing.push_back(file);
        output->m_effects.push_back(chunk);
    }
    return output;
}

CSdlSoundOutput::~CSdlSoundOutput()
{
    Mix_HaltChannel(-1);
    for (Mix_Chunk* chunk : m_effects)
        if (chunk)
            Mix_FreeChunk(chunk);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void CSdlSoundOutput::Start(int channel, int effect, const SoundMix& mix, bool loop)
{
    if (!IsChannel(channel) || effect < 0 || static_cast<size_t>(effect) >= m_effects.size() ||
        !m_effects[static_cast<size_t>(effect)])
        return;
    Mix_HaltChannel(channel);
    ApplyMix(channel, mix);
    Mix_PlayChannel(channel, m_effects[static_cast<size_t>(effect)], loop ? -1 : 0);
}

void CSdlSoundOutput::Adjust(int channel, const SoundMix& mix)
{
    if (IsChannel(channel))
        ApplyMix(channel, mix);
}

void CSdlSoundOutput::Stop(int channel)
{
    if (IsChannel(channel))
        Mix_HaltChannel(channel);
}

bool CSdlSoundOutput::IsPlaying(int channel) const
{
    return IsChannel(channel) && Mix_Playing(channel) != 0;
}

} // namespace platform
