// The client's frame time on the real OpenGL backend: a game frame at
// 1024 x 768 (the Caves map, 4 ships and 600 objects in view, the side panel,
// the HUD and the console) against a frame that only clears and swaps, as a
// ratio; and the fight's frame with its sounds (the messages of a fight
// watched for news, the cues placed and mixed on the audio device, the
// thrust loop) against the same frame silent. Run it under an X server, on
// Mesa's software renderer for figures comparable between machines (the
// sound goes to SDL's disk driver, into /dev/null, unless SDL_AUDIODRIVER
// says otherwise):
//
//   xvfb-run -a -s "-screen 0 1024x768x24" env LIBGL_ALWAYS_SOFTWARE=1
//       build-rel/tests/bench/client_frame_bench --frames 300
#include "client/GLDisplay.h"
#include "client/game/GameFrame.h"
#include "client/game/GameView.h"
#include "client/game/SidePanel.h"
#include "client/sound/GameSounds.h"
#include "client/sound/SoundDevice.h"
#include "client/sound/SoundPlayer.h"
#include "common/MessageLog.h"
#include "game/Map.h"
#include "game/Powerup.h"
#include "game/Projectiles.h"
#include "game/Ship.h"
#include "game/World.h"
#include "gfx/Graphics.h"
#include "gfx/gl/GLBackend.h"
#include "platform/Random.h"
#include "platform/sdl/Window.h"
#include "tests/bench/BenchSupport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

namespace
{
constexpr int kWidth = 1024, kHeight = 768;
constexpr int kOtherShips = 3, kObjects = 600;

// Puts `object` in play at `at`, where the client's copy also draws it.
template <typename Object> Object* Spawned(Object* object, const CVector& at)
{
    object->ForceRespawn(static_cast<float>(at.GetX()), static_cast<float>(at.GetY()));
    object->SetReportedPosition(object->GetPosition());
    return object;
}

CShip* AddShip(CGameWorld& world, const CVector& at, int type, const char* name)
{
    auto* ship = new CShip;
    ship->SetShipType(type);
    ship->SetName(name);
    world.AddPlayer(Spawned(ship, at));
    return ship;
}

CVector Scattered(const CVector& centre)
{
    return centre + CVector(platform::Rand() % 800 - 400, platform::Rand() % 600 - 300, 0);
}

void Place(CGameWorld& world, CGameObject* object, const CVector& at)
{
    world.AddObject(Spawned(object, at));
}

CGameObject* NewPowerup()
{
    auto* powerup = new CPowerup;
    powerup->SetType(platform::Rand() % CPowerup::kTypes);
    return powerup;
}

CGameObject* NewShrapnel()
{
    auto* piece = new CShrapnel;
    piece->SetShape(platform::Rand() % CShrapnel::kShapes);
    return piece;
}

// A fight's objects in the order the game makes them: a bullet from each of
// four ships every tenth of a second, now and then an explosion's eight
// pieces of shrapnel, and a powerup from time to time.
void AddFightObjects(CGameWorld& world, const CVector& centre)
{
    for (int tick = 0; static_cast<int>(world.GetObjectCount()) < kObjects; ++tick)
    {
        for (int ship = 0; ship < 4; ++ship)
            Place(world, new CBullet, Scattered(centre));
        if (tick % 10 == 9)
            for (int piece = 0; piece < 8; ++piece)
                Place(world, NewShrapnel(), Scattered(centre));
        if (tick % 25 == 24)
            Place(world, NewPowerup(), Scattered(centre));
    }
}

std::unique_ptr<CGameWorld> MakeWorld()
{
    auto world = std::make_unique<CGameWorld>();
    world->AttachMap(bench::LoadShippedMap());
    CVector centre = world->NextSpawnPoint();
    AddShip(*world, centre, 0, "Local")->SetLocal(true);
    const char* names[kOtherShips] = {"Ace", "Bravo", "Charlie"};
    for (int i = 0; i < kOtherShips; ++i)
        AddShip(*world, centre + CVector(60.0 * (i + 1), 40.0 * i, 0), i + 1, names[i]);
    AddFightObjects(*world, centre);
    for (int i = 0; i < 5; ++i)
        CMessageLog::GetConsoleLog().Print("A console line of the kind a game prints, number %d", i);
    return world;
}

// Milliseconds per frame over `frames` frames of `draw`.
double TimeFrames(int frames, const std::function<void()>& draw)
{
    draw(); // the first frame loads the textures
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i)
        draw();
    std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / frames;
}

// What a frame of a fight brings: a state for every object, made once and
// seen again each frame (no news), ...
std::vector<CMessage> KnownStates(CGameWorld& world)
{
    std::vector<CMessage> messages;
    for (CGameObject& object : world.Objects())
    {
        messages.emplace_back();
        messages.back().SetObjectState(object.GetId(), object.GetKind(), object.GetPosition(), CVector(), 0,
                                       0);
    }
    return messages;
}

// ... and the news: a new bullet from each of four ships and, every tenth
// frame, a ship's death.
void WatchNews(IMessageWatcher& watcher, CGameWorld& world, int frame)
{
    CMessage message;
    for (int ship = 0; ship < 4; ++ship)
    {
        message.SetObjectState(static_cast<ObjectId>(100000 + frame * 4 + ship), KIND_BULLET,
                               Scattered(world.FirstPlayer()->GetPosition()), CVector(), 0, 0);
        watcher.BeforeApply(message, world);
    }
    if (frame % 10 == 9)
    {
        message.SetShipDied(world.FirstPlayer()->GetId() + 1);
        watcher.BeforeApply(message, world);
    }
}

// The fight's frame time with its sounds, against the same frame silent.
void TimeSound(int frames, CGameWorld& world, const std::function<void()>& drawFrame)
{
    CSoundPlayer player;
    player.Attach(OpenSoundDevice());
    CGameSounds sounds(player);
    KeyActions thrust{};
    thrust[KEY_THRUST] = 1;
    const std::vector<CMessage> states = KnownStates(world);
    // Alternating runs, the best of each kept: other work on the machine
    // slows single runs, never speeds them up.
    double best[2] = {1e9, 1e9};
    int frame = 0;
    for (int round = 0; round < 6; ++round)
    {
        const bool withSound = round % 2 == 1;
        double ms = TimeFrames(frames,
                               [&]
                               {
                                   if (withSound)
                                   {
                                       for (const CMessage& message : states)
                                           sounds.Watcher().BeforeApply(message, world);
                                       WatchNews(sounds.Watcher(), world, ++frame);
                                       sounds.Frame(&world, thrust, static_cast<float>(kWidth));
                                   }
                                   drawFrame();
                               });
        best[withSound] = std::min(best[withSound], ms);
    }
    std::printf("fight frame silent: %.3f ms, with sound: %.3f ms per frame (%+.1f %%)\n", best[0], best[1],
                (best[1] / best[0] - 1) * 100);
}
} // namespace

int main(int argc, char** argv)
{
    int frames = 200;
    const cmdline::Option table[] = {cmdline::NumberOption<int>("--frames", frames, 1, 1000000),
                                     cmdline::StopOption("--help")};
    bench::ReadOptions(table, argc, argv, "[--frames N]  (under an X server, e.g. xvfb-run)");
    setenv("SDL_AUDIODRIVER", "disk", 0);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 0);
    std::string error;
    if (!platform::InitVideo(error))
        return std::fprintf(stderr, "client_frame_bench: no display (%s); run under xvfb-run\n",
                            error.c_str()),
               1;
    CGLBackend backend;
    SetRenderBackend(&backend);
    CGLDisplay display;
    display.SetWindowed(true);
    display.ChangeMode(kWidth, kHeight, 32, 60);
    platform::WindowSettings settings;
    settings.title = "client_frame_bench";
    settings.width = kWidth;
    settings.height = kHeight;
    settings.fullscreen = false;
    settings.vsync = false;
    std::unique_ptr<platform::CWindow> window = platform::CWindow::Create(settings, error);
    if (!window)
        return std::fprintf(stderr, "client_frame_bench: %s\n", error.c_str()), 1;
    GetGraphics().SetDisplay(&display);
    GetGraphics().Attach(window.get());
    ViewSize size;
    FitViewToWindow(size, kWidth, kHeight);

    double empty = TimeFrames(frames,
                              []
                              {
                                  GetGraphics().BeginFrame();
                                  GetGraphics().EndFrame();
                              });
    std::printf("clear and swap: %.3f ms per frame\n", empty);
    std::unique_ptr<CGameWorld> world = MakeWorld();
    CGameView view;
    view.SetWorld(world.get());
    CSidePanel panel;
    HudFigures hud{60, 12};
    auto drawFrame = [&] { DrawGameFrame(size, view, panel, true, 0, hud); };
    double game = TimeFrames(frames, drawFrame);
    std::printf("game frame, 4 ships and %d objects as a fight makes them: %.3f ms per frame; ratio %.2f\n",
                kObjects, game, game / empty);
    TimeSound(frames, *world, drawFrame);
    GetGraphics().SetDisplay(nullptr);
    // The display lets go of the window's context before the window goes.
    display.ReleaseCurrent();
    display.AttachWindow(nullptr);
    window.reset();
    platform::ShutdownVideo();
    SetRenderBackend(nullptr);
    return 0;
}
