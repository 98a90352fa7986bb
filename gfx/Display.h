// The screen as CGraphics sees it: a window with an OpenGL context, a 2-D
// projection and a buffer swap. The client's display (CGLDisplay) implements
// it on the platform's window; the dedicated server has none, and CGraphics
// then skips every frame operation. Keeping the interface here lets CGraphics
// bracket frames without the graphics library depending on the client.
#pragma once

namespace platform
{
class CWindow;
}

class CDisplay
{
public:
    virtual ~CDisplay() = default;

    // Takes the window's drawing surface and makes the rendering context.
    virtual void AttachWindow(platform::CWindow* window) = 0;
    // Makes (again) the rendering context with the fixed drawing state; false
    // when it could not be made or made current (the user was told).
    virtual bool CreateContext() = 0;
    virtual void MakeCurrent() = 0;
    virtual void ReleaseCurrent() = 0;
    virtual void Swap() = 0;
    // The 2-D projection: origin at the centre, y upwards, `width` x
    // `height` drawing units across the viewport. False when the graphics
    // library reported an error (the user was told).
    virtual bool SetProjection(float width, float height) = 0;
    // Puts the display mode back as it was before the program changed it.
    virtual bool RestoreMode() = 0;
};
