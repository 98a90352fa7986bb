// Plays the game's sounds on the audio device: where a cue happens sets its
// loudness and balance (falling with the distance from the listener the
// short way round the wrapping world, silent past one and a half screens;
// the balance follows the horizontal offset), the player's volume (0 to 10)
// and mute scale everything, and the device's channels are shared out:
//
//  - the first two channels are kept for the local ship's two loops
//    (thrust and fuel flowing), so a fight never cuts them off;
//  - of one effect, at most kMaxCopiesPerFrame start in one frame, the
//    loudest first;
//  - a cue takes a free channel, else the channel whose sound matters least
//    (importance x loudness) if that is less than its own; otherwise it is
//    dropped.
//
// Without a device (none attached) it does nothing.
#pragma once

#include "client/sound/SoundCue.h"
#include "platform/SoundOutput.h"

#include <array>
#include <memory>
#include <vector>

// Where the sounds are heard from: the camera, the world's size (for the
// wrap) and the width of the screen in world units.
struct SoundListener
{
    CVector position;
    float worldWidth = 0;
    float worldHeight = 0;
    float screenWidth = 1024;
};

// A cue's loudness (before the volume) and balance as heard by `listener`.
platform::SoundMix PlaceCue(const SoundCue& cue, const SoundListener& listener);

class CSoundPlayer
{
public:
    static constexpr int kMaxCopiesPerFrame = 3;
    static constexpr int kMaxVolume = 10;
    static constexpr int kDefaultVolume = 7;

    // The device to play on; null plays nothing.
    void Attach(std::unique_ptr<platform::ISoundOutput> output);
    bool HasDevice() const { return m_output != nullptr; }

    // 0 (silent) to kMaxVolume; other values are brought into that range.
    void SetVolume(int volume);
    int Volume() const { return m_volume; }
    void SetMuted(bool muted);
    bool IsMuted() const { return m_muted; }

    void PlayCues(const std::vector<SoundCue>& cues, const SoundListener& listener);
    // The menus' and the local player's sounds, at full level and centred.
    void PlayCentred(Sound sound);
    // Starts or stops one of the two loops (Sound::Thrust, Sound::FuelFlow).
    void SetLoop(Sound loop, bool on);
    // Stops everything, loops too.
    void StopAll();

private:
    static constexpr int kLoopChannels = 2;

    float MasterGain() const;
    void Start(Sound sound, platform::SoundMix mix, float priority);
    int ChannelFor(float priority) const;
    void UpdateLoops();

    struct PlacedCue
    {
        const SoundCue* cue;
        platform::SoundMix mix;
        float priority;
    };

    std::unique_ptr<platform::ISoundOutput> m_output;
    std::vector<PlacedCue> m_placed;
    // What each channel last started matters this much (0: free to take).
    std::vector<float> m_priority;
    std::array<bool, kLoopChannels> m_loopOn{};
    int m_volume = kDefaultVolume;
    bool m_muted = false;
};
