#include "gfx/gl/GLBackend.h"

#include <GL/gl.h>
#include <GL/glu.h>

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
} // namespace

TextureUpload CGLBackend::UploadTexture(int32_t width, int32_t height, const uint8_t* rgba)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
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
    return {name, error};
}

void CGLBackend::DeleteTexture(uint32_t name)
{
    GLuint texture = name;
    glDeleteTextures(1, &texture);
}

void CGLBackend::BindTexture(uint32_t name)
{
    glBindTexture(GL_TEXTURE_2D, name);
}

uint32_t CGLBackend::GetError()
{
    return glGetError();
}

std::string CGLBackend::ErrorText(uint32_t error)
{
    const GLubyte* text = gluErrorString(error);
    return text ? reinterpret_cast<const char*>(text) : "unknown error " + std::to_string(error);
}

void CGLBackend::SetColour(const RenderColour& colour)
{
    glColor4f(colour.r, colour.g, colour.b, colour.a);
}

void CGLBackend::SetTexturing(bool enabled)
{
    if (enabled)
        glEnable(GL_TEXTURE_2D);
    else
        glDisable(GL_TEXTURE_2D);
}

void CGLBackend::SetPolygonMode(PolygonFill front, PolygonFill back)
{
    glPolygonMode(GL_FRONT, ToGL(front));
    glPolygonMode(GL_BACK, ToGL(back));
}

void CGLBackend::LoadIdentity()
{
    glLoadIdentity();
}

void CGLBackend::SetFixedState()
{
    glPolygonMode(GL_FRONT, GL_FILL);
    glPolygonMode(GL_BACK, GL_LINE);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
}

void CGLBackend::SetBlending(bool enabled)
{
    if (!enabled)
    {
        glDisable(GL_BLEND);
        return;
    }
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void CGLBackend::SetViewport(int32_t x, int32_t y, int32_t width, int32_t height)
{
    glViewport(x, y, width, height);
}

void CGLBackend::SetOrthoProjection(double left, double right, double bottom, double top, double nearZ,
                                    double farZ)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(left, right, bottom, top, nearZ, farZ);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void CGLBackend::Clear(const RenderColour& colour)
{
    glClearColor(colour.r, colour.g, colour.b, colour.a);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void CGLBackend::DrawQuads(const RenderVertex* vertices, size_t count)
{
    Emit(GL_QUADS, vertices, count);
}

void CGLBackend::DrawTriangles(const RenderVertex* vertices, size_t count)
{
    Emit(GL_TRIANGLES, vertices, count);
}

void CGLBackend::DrawLines(const RenderVertex* vertices, size_t count, uint16_t stipple)
{
    if (stipple != 0)
    {
        glEnable(GL_LINE_STIPPLE);
        glLineStipple(1, stipple);
    }
    Emit(GL_LINES, vertices, count);
    if (stipple != 0)
        glDisable(GL_LINE_STIPPLE);
}

void CGLBackend::DrawLineLoop(const RenderVertex* vertices, size_t count)
{
    Emit(GL_LINE_LOOP, vertices, count);
}
