#include "gfx/gl/GLBackend.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

namespace
{
GLenum ToGL(PolygonFill fill)
{
    return fill == PolygonFill::Fill ? GL_FILL : GL_LINE;
}

// Client-side vertex arrays straight from the caller's vertices: the
// display's fixed state keeps both arrays enabled, and one array draw costs a
// software renderer far less than the same vertices sent one by one.
void Emit(GLenum mode, const RenderVertex* vertices, size_t count)
{
    if (count == 0)
        return;
    glVertexPointer(3, GL_FLOAT, sizeof(RenderVertex), &vertices[0].x);
    glTexCoordPointer(2, GL_FLOAT, sizeof(RenderVertex), &vertices[0].u);
    glDrawArrays(mode, 0, static_cast<GLsizei>(count));
}

// Whether the triangle a, b, c turns counter-clockwise (clockwise for a
// negative sign) plainly: its area far enough from zero that the
// projection's rounding cannot turn it over.
bool PlainlyCounterClockwise(const RenderVertex& a, const RenderVertex& b, const RenderVertex& c, float sign)
{
    const float ex = b.x - a.x, ey = b.y - a.y, fx = c.x - a.x, fy = c.y - a.y;
    const float area = sign * (ex * fy - fx * ey);
    const float e = std::fabs(ex) + std::fabs(ey), f = std::fabs(fx) + std::fabs(fy);
    const float magnitude = std::max(
        {std::fabs(a.x), std::fabs(a.y), std::fabs(b.x), std::fabs(b.y), std::fabs(c.x), std::fabs(c.y)});
    return area > 1e-3f * e * f + 1e-5f * magnitude * (e + f);
}

// A quad faces front for any split into triangles when each of its corners'
// triangles does (it is then strictly convex and counter-clockwise).
bool QuadFacesFront(const RenderVertex* q, float sign)
{
    return PlainlyCounterClockwise(q[0], q[1], q[2], sign) &&
           PlainlyCounterClockwise(q[1], q[2], q[3], sign) &&
           PlainlyCounterClockwise(q[2], q[3], q[0], sign) && PlainlyCounterClockwise(q[3], q[0], q[1], sign);
}

bool AllOpaque(int32_t width, int32_t height, const uint8_t* rgba)
{
    if (!rgba || width <= 0 || height <= 0)
        return false;
    const size_t texels = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < texels; ++i)
        if (rgba[i * 4 + 3] != 255)
            return false;
    return true;
}
} // namespace

TextureUpload CGLBackend::UploadTexture(int32_t width, int32_t height, const uint8_t* rgba)
{
    Flush();
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    m_known.texture = name;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    GLenum error = glGetError();
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    if (AllOpaque(width, height, rgba))
        m_opaque.insert(name);
    else
        m_opaque.erase(name);
    return {name, error};
}

void CGLBackend::DeleteTexture(uint32_t name)
{
    Flush();
    if (m_known.texture == name)
        m_known.texture = 0; // deleting a bound texture unbinds it
    m_opaque.erase(name);
    GLuint texture = name;
    glDeleteTextures(1, &texture);
}

void CGLBackend::BindTexture(uint32_t name)
{
    m_wanted.texture = name;
}

uint32_t CGLBackend::GetError()
{
    // No flush: every object asks after loading its pictures, each frame, and
    // a flush here would split the frame's one batch into one per object. An
    // error of a gathered draw shows at the first read after it was sent.
    return glGetError();
}

std::string CGLBackend::ErrorText(uint32_t error)
{
    const GLubyte* text = gluErrorString(error);
    return text ? reinterpret_cast<const char*>(text) : "unknown error " + std::to_string(error);
}

void CGLBackend::SetColour(const RenderColour& colour)
{
    m_wanted.colour = colour;
}

void CGLBackend::SetTexturing(bool enabled)
{
    m_wanted.texturing = enabled;
}

void CGLBackend::SetPolygonMode(PolygonFill front, PolygonFill back)
{
    m_wanted.front = front;
    m_wanted.back = back;
}

void CGLBackend::ApplyState()
{
    const bool opaqueTexels = !m_wanted.texturing || m_opaque.count(m_wanted.texture) != 0;
    m_wanted.blending = m_blendingOn && (!opaqueTexels || m_wanted.colour.a < 1);
    if (m_knownValid && m_known == m_wanted)
        return;
    Flush();
    const bool all = !m_knownValid;
    if (all || m_known.colour != m_wanted.colour)
        glColor4f(m_wanted.colour.r, m_wanted.colour.g, m_wanted.colour.b, m_wanted.colour.a);
    if (all || m_known.texture != m_wanted.texture)
        glBindTexture(GL_TEXTURE_2D, m_wanted.texture);
    if (all || m_known.texturing != m_wanted.texturing)
    {
        if (m_wanted.texturing)
            glEnable(GL_TEXTURE_2D);
        else
            glDisable(GL_TEXTURE_2D);
    }
    if (all || m_known.front != m_wanted.front)
        glPolygonMode(GL_FRONT, ToGL(m_wanted.front));
    if (all)
    {
        glPolygonMode(GL_BACK, ToGL(m_wanted.back));
        m_backInGL = m_wanted.back;
    }
    if (all || m_known.blending != m_wanted.blending)
        EnableBlend(m_wanted.blending);
    m_known = m_wanted;
    m_knownValid = true;
}

void CGLBackend::LoadIdentity()
{
    // Nothing but this and the projection ever sets the model-view matrix.
    if (m_knownValid && m_identity)
        return;
    Flush();
    glLoadIdentity();
    m_identity = true;
}

void CGLBackend::SetFixedState()
{
    Flush();
    glPolygonMode(GL_FRONT, GL_FILL);
    glPolygonMode(GL_BACK, GL_LINE);
    m_backInGL = PolygonFill::Line;
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    // A context's state from here on is known: its defaults and the above.
    glColor4f(1, 1, 1, 1);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_SCISSOR_TEST);
    glAlphaFunc(GL_GREATER, 0.0f);
    glLoadIdentity();
    ApplyLineWidth();
    // A new context blends nothing until SetBlending says so.
    m_blendingOn = false;
    m_known = DrawState{{1, 1, 1, 1}, 0, false, PolygonFill::Fill, PolygonFill::Line, false};
    m_wanted = m_known;
    m_knownValid = true;
    m_identity = true;
    // The new context's projection is not one set through SetOrthoProjection.
    m_frontSign = 0;
}

void CGLBackend::SetBlending(bool enabled)
{
    Flush();
    m_blendingOn = enabled;
    m_known.blending = enabled;
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    EnableBlend(enabled);
}

// Blending a fragment of alpha 0 leaves the pixel as it was, so while
// blending such fragments are dropped before the blend: the same picture,
// without reading and writing back the pixels under the see-through parts of
// every picture (most of a shard of shrapnel, of a glyph's cell).
void CGLBackend::EnableBlend(bool enabled)
{
    if (enabled)
    {
        glEnable(GL_BLEND);
        glEnable(GL_ALPHA_TEST);
    }
    else
    {
        glDisable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
    }
}

void CGLBackend::SetViewport(int32_t x, int32_t y, int32_t width, int32_t height)
{
    Flush();
    glViewport(x, y, width, height);
}

void CGLBackend::SetLineScale(float pixelsPerUnit)
{
    Flush();
    m_lineWidth = std::max(1, static_cast<int>(std::lround(pixelsPerUnit)));
    ApplyLineWidth();
}

void CGLBackend::ApplyLineWidth()
{
    glLineWidth(static_cast<GLfloat>(m_lineWidth));
    glPointSize(static_cast<GLfloat>(m_lineWidth));
}

void CGLBackend::SetOrthoProjection(double left, double right, double bottom, double top, double nearZ,
                                    double farZ)
{
    Flush();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(left, right, bottom, top, nearZ, farZ);
    const double orientation = (right - left) * (top - bottom);
    m_frontSign = orientation > 0 ? 1 : orientation < 0 ? -1 : 0;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    m_identity = true;
}

void CGLBackend::Clear(const RenderColour& colour)
{
    Flush();
    glClearColor(colour.r, colour.g, colour.b, colour.a);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void CGLBackend::SetClip(const PixelBox* box)
{
    Flush();
    if (!box)
    {
        glDisable(GL_SCISSOR_TEST);
        return;
    }
    glScissor(box->x, box->y, std::max(box->width, 0), std::max(box->height, 0));
    glEnable(GL_SCISSOR_TEST);
}

void CGLBackend::DrawQuads(const RenderVertex* vertices, size_t count)
{
    Gather(GL_QUADS, vertices, count - count % 4);
}

void CGLBackend::DrawTriangles(const RenderVertex* vertices, size_t count)
{
    Gather(GL_TRIANGLES, vertices, count - count % 3);
}

void CGLBackend::Gather(unsigned mode, const RenderVertex* vertices, size_t count)
{
    if (count == 0)
        return;
    ApplyState();
    if (mode != m_pendingMode)
        Flush();
    m_pendingMode = mode;
    m_pending.insert(m_pending.end(), vertices, vertices + count);
}

void CGLBackend::Flush()
{
    if (!m_pending.empty())
    {
        const bool outlinedBacks = m_known.front == PolygonFill::Fill && m_known.back == PolygonFill::Line;
        SetBackFill(outlinedBacks && PendingAllFaceFront() ? PolygonFill::Fill : m_known.back);
        Emit(m_pendingMode, m_pending.data(), m_pending.size());
    }
    m_pending.clear();
    m_pendingMode = 0;
}

void CGLBackend::SetBackFill(PolygonFill fill)
{
    if (fill == m_backInGL)
        return;
    glPolygonMode(GL_BACK, ToGL(fill));
    m_backInGL = fill;
}

bool CGLBackend::PendingAllFaceFront() const
{
    if (m_frontSign == 0)
        return false;
    const float sign = static_cast<float>(m_frontSign);
    const size_t corners = m_pendingMode == GL_QUADS ? 4 : 3;
    for (size_t i = 0; i + corners <= m_pending.size(); i += corners)
    {
        const RenderVertex* p = &m_pending[i];
        if (corners == 4 ? !QuadFacesFront(p, sign) : !PlainlyCounterClockwise(p[0], p[1], p[2], sign))
            return false;
    }
    return true;
}

void CGLBackend::DrawLines(const RenderVertex* vertices, size_t count, uint16_t stipple)
{
    ApplyState();
    Flush();
    if (stipple != 0)
    {
        glEnable(GL_LINE_STIPPLE);
        glLineStipple(m_lineWidth, stipple);
    }
    Emit(GL_LINES, vertices, count);
    if (stipple != 0)
        glDisable(GL_LINE_STIPPLE);
}

void CGLBackend::DrawLineLoop(const RenderVertex* vertices, size_t count)
{
    ApplyState();
    Flush();
    Emit(GL_LINE_LOOP, vertices, count);
}
