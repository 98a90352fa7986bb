#include "client/sound/SoundPlayer.h"

#include "game/GameObject.h"

#include <algorithm>
#include <cmath>

namespace
{
// Audible out to one and a half screens; the balance is all on one side a
// screen's width away.
constexpr float kAudibleScreens = 1.5f;

constexpr Sound kLoops[] = {Sound::Thrust, Sound::FuelFlow};

int EffectIndex(Sound sound)
{
    return static_cast<int>(sound);
}

} // namespace

platform::SoundMix PlaceCue(const SoundCue& cue, const SoundListener& listener)
{
    if (cue.centred)
        return {1, 0};
    CVector offset = WrappedOffset(listener.position, cue.where, listener.worldWidth, listener.worldHeight);
    const float screen = std::max(listener.screenWidth, 1.0f);
    const auto distance = static_cast<float>(std::hypot(offset.GetX(), offset.GetY()));
    const float closeness = std::max(0.0f, 1 - distance / (kAudibleScreens * screen));
    const float pan = std::clamp(static_cast<float>(offset.GetX()) / screen, -1.0f, 1.0f);
    return {closeness * closeness, pan};
}

void CSoundPlayer::Attach(std::unique_ptr<platform::ISoundOutput> output)
{
    m_output = std::move(output);
    m_priority.assign(m_output ? static_cast<size_t>(m_output->ChannelCount()) : 0, 0.0f);
    m_loopOn.fill(false);
}

void CSoundPlayer::SetVolume(int volume)
{
    m_volume = std::clamp(volume, 0, kMaxVolume);
    UpdateLoops();
}

void CSoundPlayer::SetMuted(bool muted)
{
    m_muted = muted;
    if (muted)
        StopAll();
}

float CSoundPlayer::MasterGain() const
{
    return m_muted ? 0.0f : static_cast<float>(m_volume) / kMaxVolume;
}

void CSoundPlayer::PlayCues(const std::vector<SoundCue>& cues, const SoundListener& listener)
{
    if (!m_output || MasterGain() <= 0 || cues.empty())
        return;
    // The list is kept between frames, so a fight allocates nothing here.
    std::vector<PlacedCue>& placed = m_placed;
    placed.clear();
    for (const SoundCue& cue : cues)
    {
        platform::SoundMix mix = PlaceCue(cue, listener);
        if (mix.gain > 0)
            placed.push_back({&cue, mix, SoundInfo(cue.sound).importance * mix.gain});
    }
    std::stable_sort(placed.begin(), placed.end(),
                     [](const PlacedCue& a, const PlacedCue& b) { return a.priority > b.priority; });
    std::array<int, kSoundCount> started{};
    for (const PlacedCue& entry : placed)
    {
        int& copies = started[static_cast<size_t>(entry.cue->sound)];
        if (copies < kMaxCopiesPerFrame)
        {
            ++copies;
            Start(entry.cue->sound, entry.mix, entry.priority);
        }
    }
}

void CSoundPlayer::PlayCentred(Sound sound)
{
    if (m_output && MasterGain() > 0)
        Start(sound, {1, 0}, SoundInfo(sound).importance);
}

void CSoundPlayer::Start(Sound sound, platform::SoundMix mix, float priority)
{
    int channel = ChannelFor(priority);
    if (channel < 0)
        return;
    m_priority[static_cast<size_t>(channel)] = priority;
    mix.gain *= MasterGain();
    m_output->Start(channel, EffectIndex(sound), mix, false);
}

int CSoundPlayer::ChannelFor(float priority) const
{
    int weakest = -1;
    for (int channel = kLoopChannels; channel < static_cast<int>(m_priority.size()); ++channel)
    {
        if (!m_output->IsPlaying(channel))
            return channel;
        if (weakest < 0 ||
            m_priority[static_cast<size_t>(channel)] < m_priority[static_cast<size_t>(weakest)])
            weakest = channel;
    }
    return weakest >= 0 && m_priority[static_cast<size_t>(weakest)] < priority ? weakest : -1;
}

void CSoundPlayer::SetLoop(Sound loop, bool on)
{
    for (int channel = 0; channel < kLoopChannels; ++channel)
    {
        if (kLoops[channel] != loop || static_cast<int>(m_priority.size()) <= channel)
            continue;
        bool play = on && MasterGain() > 0;
        bool& playing = m_loopOn[static_cast<size_t>(channel)];
        if (play && !playing)
            m_output->Start(channel, EffectIndex(loop), {MasterGain(), 0}, true);
        else if (!play && playing)
            m_output->Stop(channel);
        playing = play;
    }
}

void CSoundPlayer::UpdateLoops()
{
    for (int channel = 0; channel < kLoopChannels && channel < static_cast<int>(m_priority.size()); ++channel)
    {
        if (!m_loopOn[static_cast<size_t>(channel)])
            continue;
        if (MasterGain() > 0)
            m_output->Adjust(channel, {MasterGain(), 0});
        else
            SetLoop(kLoops[channel], false);
    }
}

void CSoundPlayer::StopAll()
{
    m_loopOn.fill(false);
    if (!m_output)
        return;
    for (int channel = 0; channel < static_cast<int>(m_priority.size()); ++channel)
        m_output->Stop(channel);
    std::fill(m_priority.begin(), m_priority.end(), 0.0f);
}
