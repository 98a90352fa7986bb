// The game view: the camera on the local ship and the world drawn around
// it. Every object is drawn at whichever of its three horizontal and three
// vertical wrap positions lies on screen (or not at all), so the torus looks
// seamless; the map draws its own cells around the camera.
#pragma once

#include <cstdint>

class CGameObject;
class CGameWorld;

class CGameView
{
public:
    // The world to draw; null draws nothing.
    void SetWorld(CGameWorld* world) { m_world = world; }
    CGameWorld* GetWorld() const { return m_world; }
    // The visible area in pixels (the window's size).
    void SetViewSize(int32_t width, int32_t height);

    // The camera goes to the local ship (the world's first player),
    // truncated to whole units.
    void UpdateCamera();
    int32_t GetCameraX() const { return m_cameraX; }
    int32_t GetCameraY() const { return m_cameraY; }

    // Draws `object` at its on-screen wrap position; false when its centre
    // is off screen at all of them (nothing drawn).
    bool DrawObject(CGameObject& object);
    // The map, the local ship, every ship, every turret, every object.
    void DrawWorld();

private:
    // The view offset for one axis, or false when off screen.
    static bool WrapOffset(double offsetFromCamera, int32_t camera, int32_t worldSize, int32_t halfView,
                           int32_t& offset);

    CGameWorld* m_world = nullptr;
    int32_t m_cameraX = 0;
    int32_t m_cameraY = 0;
    int32_t m_halfWidth = 512;
    int32_t m_halfHeight = 384;
};
