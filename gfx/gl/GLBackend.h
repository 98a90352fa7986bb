// The OpenGL 1.1 render backend of the client: array draws and texture
// uploads on the context that is current when it is called. Only the client
// links it (target quorvex_gfx_gl); the dedicated server never does.
//
// A software renderer pays for every draw call and every state change, and
// the game draws hundreds of small pictures a frame. So the backend keeps the
// drawing state it last gave OpenGL and the state the caller asks for, and
// gives OpenGL the asked-for state only when something is drawn: a picture
// bound and unbound again between two draws costs nothing. It gathers
// consecutive triangles (or quads) drawn with the same state into one draw,
// sent when the state changes or at Flush. The picture on screen is the
// same: the draws keep their order.
//
// The game fills front faces and outlines back faces. Outlining needs
// Mesa's slow per-primitive path for every polygon drawn, even when all of
// them face front; so a gathered draw whose every polygon plainly faces
// front goes out with back faces filled too, which gives the same pixels.
#pragma once

#include "gfx/RenderBackend.h"

#include <unordered_set>
#include <vector>

class CGLBackend : public CRenderBackend
{
public:
    // Texture parameters: GL_CLAMP wrapping, GL_NEAREST filters, unpack
    // alignment 1 with no row length or skips, internal format GL_RGBA8, no
    // mipmaps, GL_MODULATE environment. The error, if any, is the one
    // glGetError reports right after glTexImage2D.
    TextureUpload UploadTexture(int32_t width, int32_t height, const uint8_t* rgba) override;
    void DeleteTexture(uint32_t name) override;
    void BindTexture(uint32_t name) override;
    // glGetError, without sending the gathered draws first.
    uint32_t GetError() override;
    // gluErrorString's text.
    std::string ErrorText(uint32_t error) override;

    void SetColour(const RenderColour& colour) override;
    void SetTexturing(bool enabled) override;
    void SetPolygonMode(PolygonFill front, PolygonFill back) override;
    void LoadIdentity() override;
    // Also forgets the drawing state it knew: a new context starts afresh.
    void SetFixedState() override;
    void SetBlending(bool enabled) override;
    void SetViewport(int32_t x, int32_t y, int32_t width, int32_t height) override;
    void SetLineScale(float pixelsPerUnit) override;
    void SetOrthoProjection(double left, double right, double bottom, double top, double nearZ,
                            double farZ) override;
    void Clear(const RenderColour& colour) override;
    void SetClip(const PixelBox* box) override;

    void DrawQuads(const RenderVertex* vertices, size_t count) override;
    void DrawTriangles(const RenderVertex* vertices, size_t count) override;
    void DrawLines(const RenderVertex* vertices, size_t count, uint16_t stipple) override;
    void DrawLineLoop(const RenderVertex* vertices, size_t count) override;
    // Sends the gathered draws.
    void Flush() override;

private:
    // The drawing state primitives are drawn with.
    struct DrawState
    {
        RenderColour colour;
        uint32_t texture = 0;
        bool texturing = false;
        PolygonFill front = PolygonFill::Fill;
        PolygonFill back = PolygonFill::Fill;
        // Blending as OpenGL has it: off for opaque colour, untextured or
        // with a texture every texel of which is opaque, where it would give
        // the source colour anyway and a software renderer would still read
        // and mix every pixel underneath.
        bool blending = false;
        bool operator==(const DrawState&) const = default;
    };

    void Gather(unsigned mode, const RenderVertex* vertices, size_t count);
    // Gives OpenGL the wanted state, sending the gathered draws first if it
    // differs from what they were gathered with.
    void ApplyState();
    void EnableBlend(bool enabled);
    void ApplyLineWidth();
    // Sets OpenGL's back-face fill unless it already has it.
    void SetBackFill(PolygonFill fill);
    // True when every gathered polygon faces front under the projection.
    bool PendingAllFaceFront() const;

    // As last given to OpenGL (unknown until the fixed state is set) ...
    DrawState m_known;
    bool m_knownValid = false;
    // ... and as the caller last asked for it.
    DrawState m_wanted;
    bool m_identity = false;
    // Blending as the caller set it.
    bool m_blendingOn = false;
    // Pixels a line is wide (and the stipple's repeat factor).
    int m_lineWidth = 1;
    // OpenGL's back-face fill: the wanted one, or Fill for a draw all of
    // whose polygons face front.
    PolygonFill m_backInGL = PolygonFill::Line;
    // The sign a front face's area has in the caller's coordinates: +1 or
    // -1 under a projection set here, 0 (unknown, no shortcut) otherwise.
    int m_frontSign = 0;
    unsigned m_pendingMode = 0;
    std::vector<RenderVertex> m_pending;
    // The textures with no texel less than opaque (the minimap's picture).
    std::unordered_set<uint32_t> m_opaque;
};
