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
//
// Wall-clock figures swing several times over while other programs use the
// machine; --cpu-time counts the process's CPU time instead and has Mesa's
// software renderer draw on the calling thread (LP_NUM_THREADS=0), so the
// figures hold on a busy machine too. --size WxH draws in a window of that
// size (the Xvfb screen must be at least as large), and --shot FILE saves the
// fight's frame, read back from the window, as a binary PPM for a pixel for
// pixel comparison between builds (ImageMagick: compare -metric AE A B diff).
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

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

namespace
{
int kWidth = 1024, kHeight = 768;
bool gCpuTime = false;
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

// Now in milliseconds: the process's CPU time with --cpu-time, else the wall clock.
double NowMs()
{
    if (!gCpuTime)
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Milliseconds per frame over `frames` frames of `draw`.
double TimeFrames(int frames, const std::function<void()>& draw)
{
    draw(); // the first frame loads the textures
    const double start = NowMs();
    for (int i = 0; i < frames; ++i)
        draw();
    return (NowMs() - start) / frames;
}

// Saves the frame just drawn (the back buffer) as a binary PPM, top row first.
bool SaveShot(const std::string& path)
{
    std::vector<unsigned char> rgb(static_cast<size_t>(kWidth) * kHeight * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    std::fprintf(file, "P6\n%d %d\n255\n", kWidth, kHeight);
    const size_t row = static_cast<size_t>(kWidth) * 3;
    for (int y = kHeight - 1; y >= 0; --y)
        std::fwrite(rgb.data() + row * static_cast<size_t>(y), 1, row, file);
    return std::fclose(file) == 0;
}

// The client's display, which can save the next frame before showing it:
// after the swap the back buffer's contents are undefined.
class CShotDisplay : public CGLDisplay
{
public:
    void SaveNextFrame(const std::string& path) { m_shotPath = path; }
    bool Saved() const { return m_saved; }
    void Swap() override
    {
        if (!m_shotPath.empty())
            m_saved = SaveShot(m_shotPath);
        m_shotPath.clear();
        CGLDisplay::Swap();
    }

private:
    std::string m_shotPath;
    bool m_saved = false;
};

bool ReadSize(const std::string& text)
{
    return std::sscanf(text.c_str(), "%dx%d", &kWidth, &kHeight) == 2 && kWidth >= 64 && kHeight >= 64 &&
           kWidth <= 8192 && kHeight <= 8192;
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
    std::string shot;
    const cmdline::Option table[] = {cmdline::NumberOption<int>("--frames", frames, 1, 1000000),
                                     cmdline::Flag("--cpu-time", [] { gCpuTime = true; }),
                                     cmdline::ValueOption("--size", ReadSize),
                                     cmdline::ValueOption("--shot",
                                                          [&](const std::string& path)
                                                          {
                                                              shot = path;
                                                              return !path.empty();
                                                          }),
                                     cmdline::StopOption("--help")};
    bench::ReadOptions(table, argc, argv,
                       "[--frames N] [--cpu-time] [--size WxH] [--shot FILE.ppm]  (under an X server, e.g. "
                       "xvfb-run)");
    if (gCpuTime)
        setenv("LP_NUM_THREADS", "0", 1);
    setenv("SDL_AUDIODRIVER", "disk", 0);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 0);
    std::string error;
    if (!platform::InitVideo(error))
        return std::fprintf(stderr, "client_frame_bench: no display (%s); run under xvfb-run\n",
                            error.c_str()),
               1;
    CGLBackend backend;
    SetRenderBackend(&backend);
    CShotDisplay display;
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
    if (!shot.empty())
    {
        display.SaveNextFrame(shot);
        drawFrame();
        if (!display.Saved())
            return std::fprintf(stderr, "client_frame_bench: cannot write %s\n", shot.c_str()), 1;
    }
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
