// The game's sounds: what the server's messages make heard (through the real
// receive path, the watcher seeing each message before it is applied), where
// a sound is placed across the wrapping world, how the channels are shared
// when a fight fills them, and the volume setting kept between runs.
#include "client/Settings.h"
#include "client/sound/GameSounds.h"
#include "client/sound/SoundPlayer.h"
#include "game/Ship.h"
#include "game/World.h"

#include "tests/net/Messages.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testing_support;

namespace
{
// Records what the player asks of the device; every started channel plays
// until stopped.
class RecordingOutput : public platform::ISoundOutput
{
public:
    struct Started
    {
        int channel, effect;
        platform::SoundMix mix;
        bool loop;
    };
    explicit RecordingOutput(int channels) : playing(static_cast<size_t>(channels)) {}
    int ChannelCount() const override { return static_cast<int>(playing.size()); }
    void Start(int channel, int effect, const platform::SoundMix& mix, bool loop) override
    {
        started.push_back({channel, effect, mix, loop});
        playing[static_cast<size_t>(channel)] = true;
    }
    void Adjust(int, const platform::SoundMix&) override {}
    void Stop(int channel) override { playing[static_cast<size_t>(channel)] = false; }
    bool IsPlaying(int channel) const override { return playing[static_cast<size_t>(channel)]; }

    std::vector<Started> started;
    std::vector<bool> playing;
};

constexpr ObjectId kLocalId = 1, kOtherId = 2;

class SoundTest : public ::testing::Test
{
protected:
    SoundTest()
    {
        auto owned = std::make_unique<RecordingOutput>(32);
        output = owned.get();
        player.Attach(std::move(owned));
        AddShip(kLocalId, "Me", CVector(100, 100, 1))->SetLocal(true);
        AddShip(kOtherId, "Ace", CVector(300, 100, 1));
        client.SetWorld(&world);
        client.SetMessageWatcher(&sounds.Watcher());
    }
    CShip* AddShip(ObjectId id, const char* name, CVector at)
    {
        auto* ship = new CShip();
        ship->SetId(id);
        ship->SetName(name);
        ship->ForceRespawn(static_cast<float>(at.GetX()), static_cast<float>(at.GetY()));
        ship->SetFuel(100);
        world.AddPlayer(ship);
        return ship;
    }
    // One frame: the messages arrive (in as many batches as they need), then
    // the frame plays what they made. Returns the effects started.
    std::vector<Sound> Frame(const std::vector<CMessage>& messages)
    {
        for (size_t i = 0; i < messages.size(); i += 100)
        {
            std::vector<CMessage> part(messages.begin() + static_cast<std::ptrdiff_t>(i),
                                       messages.begin() +
                                           static_cast<std::ptrdiff_t>(std::min(i + 100, messages.size())));
            Bytes bytes = BatchBytes(part);
            client.OnReceive(bytes.data(), bytes.size());
        }
        output->started.clear();
        KeyActions none{};
        sounds.Frame(&world, none, 1024);
        std::vector<Sound> heard;
        for (const auto& start : output->started)
            heard.push_back(static_cast<Sound>(start.effect));
        return heard;
    }
    static CMessage ShipState(ObjectId id, uint8_t flags, float fuel, uint8_t repulses = 0)
    {
        CMessage message;
        message.SetShipState(id, flags, fuel, 100, 0, 0, 0, 0, repulses, CVector(300, 100, 1), CVector(), 0);
        return message;
    }

    CGameWorld world;
    CClient client;
    CSoundPlayer player;
    RecordingOutput* output = nullptr;
    CGameSounds sounds{player};
};

using Heard = std::vector<Sound>;

TEST_F(SoundTest, NewsMakesOneSoundAndWhatIsKnownNone)
{
    EXPECT_EQ(Frame({ObjectStateMsg(10, KIND_BULLET, CVector(300, 110, 1))}), Heard{Sound::Bullet});
    EXPECT_EQ(Frame({ObjectStateMsg(10, KIND_BULLET, CVector(310, 110, 1))}), Heard{}) << "a known bullet";
    EXPECT_EQ(Frame({ObjectStateMsg(11, KIND_MISSILE), ObjectStateMsg(12, KIND_POWERUP)}),
              Heard{Sound::MissileLaunch})
        << "a powerup appearing is silent";
    EXPECT_EQ(Frame({ShipState(kOtherId, STATUS_SHIELDS, 92)}), Heard{Sound::ShieldHit});
    EXPECT_EQ(Frame({ShipState(kOtherId, 0, 84)}), Heard{Sound::HullHit});
    EXPECT_EQ(Frame({ShipState(kOtherId, 0, 83)}), Heard{}) << "the steady costs are no hit";
    EXPECT_EQ(Frame({ShipState(kOtherId, STATUS_CLOAKED, 83)}), Heard{Sound::CloakOn});
    EXPECT_EQ(Frame({ShipState(kOtherId, 0, 83, 2)}), Heard{Sound::CloakOff});
    EXPECT_EQ(Frame({ShipState(kOtherId, 0, 78, 1)}), Heard{Sound::Repulsor}) << "a repulse's cost is no hit";
    EXPECT_EQ(
        Frame({Msg(&CMessage::SetText, "Ace: hi"), Msg(&CMessage::SetText, "Bob has joined the game."),
               Msg(&CMessage::SetText, "Me has joined the game."), Msg(&CMessage::SetText, "Ace killed Me")}),
        (Heard{Sound::ChatLine, Sound::PlayerJoined}))
        << "chat and another's join; our own join and other lines are silent";
    EXPECT_EQ(Frame({Msg(&CMessage::SetShipDied, kOtherId), Msg(&CMessage::SetShipDied, kOtherId)}),
              Heard{Sound::ShipExplosion})
        << "a ship dies once";
}

TEST_F(SoundTest, APickupNeedsAShipTouchingThePowerup)
{
    Frame({ObjectStateMsg(20, KIND_POWERUP, CVector(300, 110, 1)),
           ObjectStateMsg(21, KIND_POWERUP, CVector(900, 900, 1))});
    EXPECT_EQ(Frame({Msg(&CMessage::SetObjectGone, 20)}), Heard{Sound::PowerupPickup});
    EXPECT_EQ(Frame({Msg(&CMessage::SetObjectGone, 21)}), Heard{}) << "a powerup that timed out";
}

TEST_F(SoundTest, ABigBatchStartsAtMostTheCappedCopiesNearestFirst)
{
    std::vector<CMessage> flood;
    for (ObjectId id = 100; id < 700; ++id)
        flood.push_back(ObjectStateMsg(id, KIND_BULLET, CVector(100 + (id % 50) * 10, 100, 1)));
    Frame(flood);
    ASSERT_EQ(output->started.size(), static_cast<size_t>(CSoundPlayer::kMaxCopiesPerFrame));
    for (const auto& start : output->started)
        EXPECT_GT(start.mix.gain, 0.95f * 0.7f) << "the nearest bullets are the ones heard";
}

TEST(SoundPlacement, FallsWithWrappedDistanceAndPansTheShortWayRound)
{
    const SoundListener listener{CVector(10, 500, 1), 2048, 1024, 600};
    auto place = [&](double x, double y) {
        return PlaceCue({Sound::Bullet, CVector(x, y, 1), false}, listener);
    };
    EXPECT_FLOAT_EQ(place(10, 500).gain, 1);
    EXPECT_LT(place(2000, 500).pan, -0.05f) << "58 units to the left, across the seam";
    EXPECT_GT(place(60, 500).pan, 0.05f);
    EXPECT_GT(place(2000, 500).gain, place(300, 500).gain);
    EXPECT_FLOAT_EQ(place(10 + 900, 500).pan, 1) << "a screen's width away is all on one side";
    EXPECT_GT(place(10, 500 + 1000).gain, 0.7f) << "1000 units down is 24 up, the short way";
    EXPECT_EQ(place(10 + 950, 500).gain, 0) << "past one and a half screens is silent";
    EXPECT_EQ(place(10, 500 + 512).pan, 0) << "straight below is centred";
    platform::SoundMix centred = PlaceCue({Sound::ShipExplosion, CVector(900, 0, 1), true}, listener);
    EXPECT_EQ(centred.gain, 1);
    EXPECT_EQ(centred.pan, 0);
}

TEST(SoundChannels, LoopsKeepTheirChannelsAndTheLeastImportantSoundGivesWay)
{
    auto owned = std::make_unique<RecordingOutput>(4); // two for the loops, two to share
    RecordingOutput& output = *owned;
    CSoundPlayer player;
    player.Attach(std::move(owned));
    const SoundListener listener{CVector(0, 0, 1), 4096, 4096, 1000};
    auto cue = [](Sound sound, double x) { return SoundCue{sound, CVector(x, 0, 1), false}; };
    player.SetLoop(Sound::Thrust, true);
    player.PlayCues({cue(Sound::Bullet, 0), cue(Sound::Bullet, 900)}, listener);
    player.PlayCues({cue(Sound::Bullet, 1200), cue(Sound::ShipExplosion, 400)}, listener);
    std::vector<std::pair<int, int>> starts;
    for (const auto& start : output.started)
        starts.emplace_back(start.channel, start.effect);
    EXPECT_EQ(starts, (std::vector<std::pair<int, int>>{{0, int(Sound::Thrust)},
                                                        {2, int(Sound::Bullet)},
                                                        {3, int(Sound::Bullet)},
                                                        {3, int(Sound::ShipExplosion)}}))
        << "the far bullet gives way to the explosion; the farther new bullet is dropped";

    player.SetVolume(0);
    EXPECT_FALSE(output.IsPlaying(0)) << "volume 0 stops the loop";
    player.SetVolume(10);
    player.SetMuted(true);
    player.PlayCentred(Sound::MenuMove);
    player.SetLoop(Sound::FuelFlow, true);
    EXPECT_EQ(output.started.size(), 4u) << "nothing starts while muted";
}

TEST(SoundSettings, VolumeIsKeptAndBroughtIntoRange)
{
    TempDir config;
    ScopedEnv home("XDG_CONFIG_HOME", config.Path().c_str());
    ClientSettings settings;
    EXPECT_EQ(settings.soundVolume, 7);
    for (auto [saved, loaded] : {std::pair{3, 3}, {0, 0}, {42, 10}, {-1, 0}})
    {
        settings.soundVolume = saved;
        SaveSettings(settings);
        ClientSettings read;
        LoadSettings(read);
        EXPECT_EQ(read.soundVolume, loaded) << saved;
    }
}
} // namespace
