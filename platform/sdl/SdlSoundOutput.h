// The audio device on SDL2_mixer: opened at 44.1 kHz stereo with 32 mixing
// channels, the effects loaded from WAV files. Opening fails (and the game
// plays silently) when there is no audio device or it cannot be opened; a
// file that does not load leaves its effect silent.
#pragma once

#include "platform/SoundOutput.h"

#include <memory>
#include <string>
#include <vector>

struct Mix_Chunk;

namespace platform
{

class CSdlSoundOutput : public ISoundOutput
{
public:
    static constexpr int kChannels = 32;

    // Opens the device and loads `files` (native paths) as effects 0, 1, ...
    // Null with `error` set when the device cannot be opened; `missing`
    // lists the files that did not load.
    static std::unique_ptr<CSdlSoundOutput> Open(const std::vector<std::string>& files, std::string& error,
                                                 std::vector<std::string>& missing);
    ~CSdlSoundOutput() override;
    CSdlSoundOutput(const CSdlSoundOutput&) = delete;
    CSdlSoundOutput& operator=(const CSdlSoundOutput&) = delete;

    int ChannelCount() const override { return kChannels; }
    void Start(int channel, int effect, const SoundMix& mix, bool loop) override;
    void Adjust(int channel, const SoundMix& mix) override;
    void Stop(int channel) override;
    bool IsPlaying(int channel) const override;

private:
    CSdlSoundOutput() = default;
    static bool IsChannel(int channel) { return channel >= 0 && channel < kChannels; }

    std::vector<Mix_Chunk*> m_effects;
};

} // namespace platform
