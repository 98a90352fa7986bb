// The thin interface between the game's drawing code and the graphics
// library. Every OpenGL call of the game lives behind it, so the same
// drawing code runs in three places:
//   - the client, with the OpenGL 1.1 backend (gfx/gl, quorvex_gfx_gl);
//   - the dedicated server, with the null backend: it never draws, and the
//     server program needs no display, SDL or libGL at run time;
//   - tests, with CRecordingBackend, which lists what a frame drew.
// It offers what the game's 2-D drawing needs and nothing more: texture
// upload, bind, colour, a few state switches, and quads, triangles and lines.
// Until SetRenderBackend names another, the null backend is in use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct RenderVertex
{
    float x = 0, y = 0, z = 0;
    float u = 0, v = 0;
};

struct RenderColour
{
    float r = 1, g = 1, b = 1, a = 1;
    bool operator==(const RenderColour&) const = default;
};

enum class PolygonFill
{
    Fill,
    Line,
};

// A box of the window's pixels, from its lower left corner.
struct PixelBox
{
    int32_t x = 0, y = 0, width = 0, height = 0;
    bool operator==(const PixelBox&) const = default;
};

// A finished texture upload: the texture's name (0: none was made) and the
// error the graphics library reported for it (0: none).
struct TextureUpload
{
    uint32_t name = 0;
    uint32_t error = 0;
};

class CRenderBackend
{
public:
    virtual ~CRenderBackend() = default;

    // Makes a texture from `width` x `height` RGBA bytes, first row at t = 0:
    // clamped at the edges, nearest filtering, no mipmaps, modulated by the
    // current colour when drawn.
    virtual TextureUpload UploadTexture(int32_t width, int32_t height, const uint8_t* rgba) = 0;
    virtual void DeleteTexture(uint32_t name) = 0;
    // Binds a texture for drawing; 0 unbinds.
    virtual void BindTexture(uint32_t name) = 0;
    // The pending error, cleared by reading it (0: none).
    virtual uint32_t GetError() = 0;
    // The library's text for an error code.
    virtual std::string ErrorText(uint32_t error) = 0;

    virtual void SetColour(const RenderColour& colour) = 0;
    virtual void SetTexturing(bool enabled) = 0;
    virtual void SetPolygonMode(PolygonFill front, PolygonFill back) = 0;
    // Resets the model-view transform.
    virtual void LoadIdentity() = 0;

    // Frame set-up, used by the client's display only.
    // The state every frame relies on: front faces filled, back faces as
    // lines, vertex and texture-coordinate arrays on.
    virtual void SetFixedState() = 0;
    // Alpha blending (source alpha, one minus source alpha) on or off.
    virtual void SetBlending(bool enabled) = 0;
    virtual void SetViewport(int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    // Lines, points and line stipples are drawn this many pixels a unit
    // (rounded, at least one), so they keep their weight in a scaled view.
    virtual void SetLineScale(float pixelsPerUnit) = 0;
    // An orthographic projection of the box left..right, bottom..top,
    // nearZ..farZ, with the model-view transform reset afterwards.
    virtual void SetOrthoProjection(double left, double right, double bottom, double top, double nearZ,
                                    double farZ) = 0;
    // Clears the colour buffer to `colour` and the depth buffer.
    virtual void Clear(const RenderColour& colour) = 0;
    // Draws from now on only inside `box` of the window's pixels; nullptr
    // draws everywhere again.
    virtual void SetClip(const PixelBox* box) = 0;

    // `count` vertices: groups of four (quads) or three (triangles).
    virtual void DrawQuads(const RenderVertex* vertices, size_t count) = 0;
    virtual void DrawTriangles(const RenderVertex* vertices, size_t count) = 0;
    // Pairs of vertices; a stipple pattern of 0 draws solid lines.
    virtual void DrawLines(const RenderVertex* vertices, size_t count, uint16_t stipple = 0) = 0;
    // A closed outline through `count` vertices.
    virtual void DrawLineLoop(const RenderVertex* vertices, size_t count) = 0;
    // Sends whatever draws the backend has gathered (before a frame is shown
    // or its pixels read).
    virtual void Flush() {}
};

// The backend in use (the null backend until another is set).
CRenderBackend& GetRenderBackend();
// Puts `backend` in use; nullptr goes back to the null backend. The caller
// keeps ownership and must keep it alive while it is in use.
void SetRenderBackend(CRenderBackend* backend);

// Draws nothing and makes no textures: the dedicated server's backend.
class CNullBackend : public CRenderBackend
{
public:
    TextureUpload UploadTexture(int32_t, int32_t, const uint8_t*) override { return {}; }
    void DeleteTexture(uint32_t) override {}
    void BindTexture(uint32_t) override {}
    uint32_t GetError() override { return 0; }
    std::string ErrorText(uint32_t error) override { return "error " + std::to_string(error); }
    void SetColour(const RenderColour&) override {}
    void SetTexturing(bool) override {}
    void SetPolygonMode(PolygonFill, PolygonFill) override {}
    void LoadIdentity() override {}
    void SetFixedState() override {}
    void SetBlending(bool) override {}
    void SetViewport(int32_t, int32_t, int32_t, int32_t) override {}
    void SetLineScale(float) override {}
    void SetOrthoProjection(double, double, double, double, double, double) override {}
    void Clear(const RenderColour&) override {}
    void SetClip(const PixelBox*) override {}
    void DrawQuads(const RenderVertex*, size_t) override {}
    void DrawTriangles(const RenderVertex*, size_t) override {}
    void DrawLines(const RenderVertex*, size_t, uint16_t) override {}
    void DrawLineLoop(const RenderVertex*, size_t) override {}
};
