// The audio device as the game's sound layer uses it: a fixed number of
// mixing channels, each playing one loaded effect at a time (once or as a
// loop) at its own loudness and left-right balance. The platform's SDL
// layer provides the real device; tests record what is asked of it.
#pragma once

namespace platform
{

struct SoundMix
{
    float gain = 1; // 0 (silent) to 1 (as recorded)
    float pan = 0;  // -1 (left only) to 1 (right only); 0 both at full level
};

class ISoundOutput
{
public:
    virtual ~ISoundOutput() = default;
    virtual int ChannelCount() const = 0;
    // Starts effect `effect` (its index in the list the device loaded) on
    // `channel` from its beginning, replacing whatever played there.
    virtual void Start(int channel, int effect, const SoundMix& mix, bool loop) = 0;
    // Changes the loudness and balance of what plays on `channel`.
    virtual void Adjust(int channel, const SoundMix& mix) = 0;
    virtual void Stop(int channel) = 0;
    virtual bool IsPlaying(int channel) const = 0;
};

} // namespace platform
