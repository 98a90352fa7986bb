// The client's frame time on the real OpenGL backend: a game frame at
// 1024 x 768 (the Caves map, 4 ships and 600 objects in view, the side panel,
// the HUD and the console) against a frame that only clears and swaps, as a
// ratio. Run it under an X server, on Mesa's software renderer for figures
// comparable between machines:
//
//   xvfb-run -a -s "-screen 0 1024x768x24" env LIBGL_ALWAYS_SOFTWARE=1
//       build-rel/tests/bench/client_frame_bench --frames 300
#include "client/ClientState.h"
#include "client/GLDisplay.h"
#include "client/game/GameFrame.h"
#include "client/game/GameView.h"
#include "client/game/SidePanel.h"
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

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

namespace
{
constexpr int kWidth = 1024, kHeight = 768;
constexpr int kOtherShips = 3, kObjects = 600;
const std::string kMapPath = std::string(QUORVEX_SOURCE_DIR) + "/data/Maps/Caves.smp";

CShip* AddShip(CGameWorld& world, const CVector& at, int type, const char* name)
{
    auto* ship = new CShip;
    ship->SetShipType(type);
    ship->SetName(name);
    ship->ForceRespawn(static_cast<float>(at.GetX()), static_cast<float>(at.GetY()));
    ship->SetReportedPosition(ship->GetPosition());
    world.AddPlayer(ship);
    return ship;
}

// Objects of three kinds scattered over the visible area around `centre`.
void AddObjects(CGameWorld& world, const CVector& centre)
{
    for (int i = 0; i < kObjects; ++i)
    {
        CGameObject* object = nullptr;
        if (i % 3 == 0)
        {
            auto* powerup = new CPowerup;
            powerup->SetType(i % CPowerup::kTypes);
            object = powerup;
        }
        else
            object = i % 3 == 1 ? static_cast<CGameObject*>(new CShrapnel) : new CBullet;
        float x = static_cast<float>(centre.GetX()) + static_cast<float>(platform::Rand() % 800) - 400;
        float y = static_cast<float>(centre.GetY()) + static_cast<float>(platform::Rand() % 600) - 300;
        object->ForceRespawn(x, y);
        object->SetReportedPosition(object->GetPosition());
        world.AddObject(object);
    }
}

std::unique_ptr<CGameWorld> MakeWorld()
{
    auto world = std::make_unique<CGameWorld>();
    auto* map = new CMap;
    if (!map->LoadFromFile(kMapPath))
    {
        std::fprintf(stderr, "client_frame_bench: cannot load %s\n", kMapPath.c_str());
        std::exit(1);
    }
    world->AttachMap(map);
    CVector centre = world->NextSpawnPoint();
    AddShip(*world, centre, 0, "Local")->SetLocal(true);
    const char* names[kOtherShips] = {"Ace", "Bravo", "Charlie"};
    for (int i = 0; i < kOtherShips; ++i)
        AddShip(*world, centre + CVector(60.0 * (i + 1), 40.0 * i, 0), i + 1, names[i]);
    AddObjects(*world, centre);
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

int ParseFrames(int argc, char** argv)
{
    int frames = 200;
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc)
            frames = std::atoi(argv[++i]);
        else
        {
            std::printf("Usage: client_frame_bench [--frames N]  (under an X server, e.g. xvfb-run)\n");
            std::exit(std::strcmp(argv[i], "--help") == 0 ? 0 : 2);
        }
    }
    return frames > 0 ? frames : 1;
}
} // namespace

int main(int argc, char** argv)
{
    int frames = ParseFrames(argc, argv);
    std::string error;
    if (!platform::InitVideo(error))
        return std::fprintf(stderr, "client_frame_bench: no display (%s); run under xvfb-run\n",
                            error.c_str()),
               1;
    CGLBackend backend;
    SetRenderBackend(&backend);
    CGLDisplay& display = CGLDisplay::Get();
    display.SetWindowed(true);
    display.ChangeMode(kWidth, kHeight, 32, 60);
    platform::WindowSettings settings{"client_frame_bench", kWidth, kHeight, false, {}, false};
    std::unique_ptr<platform::CWindow> window = platform::CWindow::Create(settings, error);
    if (!window)
        return std::fprintf(stderr, "client_frame_bench: %s\n", error.c_str()), 1;
    GetGraphics().SetDisplay(&display);
    GetGraphics().Attach(window.get());
    GetGraphics().Resize(kWidth, kHeight);
    g_windowWidth = kWidth;
    g_windowHeight = kHeight;

    std::unique_ptr<CGameWorld> world = MakeWorld();
    CGameView view;
    view.SetWorld(world.get());
    CSidePanel panel;
    HudFigures hud{60, 12};
    double empty = TimeFrames(frames,
                              []
                              {
                                  GetGraphics().BeginFrame();
                                  GetGraphics().EndFrame();
                              });
    double game = TimeFrames(frames, [&] { DrawGameFrame(view, panel, true, 0, hud); });
    // Where the time goes: the world alone, and the map alone.
    double worldOnly = TimeFrames(frames,
                                  [&]
                                  {
                                      GetGraphics().BeginFrame();
                                      view.DrawWorld();
                                      GetGraphics().EndFrame();
                                  });
    double mapOnly = TimeFrames(frames,
                                [&]
                                {
                                    GetGraphics().BeginFrame();
                                    world->GetMap()->Draw(view.GetCameraX(), view.GetCameraY());
                                    GetGraphics().EndFrame();
                                });
    std::printf("clear and swap: %.3f ms per frame\ngame frame (4 ships, %d objects): %.3f ms per frame\n"
                "  of which the world: %.3f ms, the map alone: %.3f ms (each with its clear and swap)\n"
                "ratio: %.2f\n",
                empty, kObjects, game, worldOnly, mapOnly, game / empty);
    GetGraphics().SetDisplay(nullptr);
    window.reset();
    platform::ShutdownVideo();
    SetRenderBackend(nullptr);
    return 0;
}
