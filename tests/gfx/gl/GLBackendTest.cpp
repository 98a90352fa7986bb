// The OpenGL backend on a real context: Mesa's software renderer in a hidden
// SDL window on the X server that xvfb-run starts for this test. Checks the
// upload's parameters and pixels, the error text, that a drawn quad shows
// the texture with the first row at t = 0, modulated by the colour, that a
// picture with see-through texels still blends, the clip, and that back
// faces are outlined while front faces fill.
#include "gfx/gl/GLBackend.h"

#include <GL/gl.h>
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>
#include <vector>

namespace
{
constexpr int kWindow = 64;

class GLBackendTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (SDL_Init(SDL_INIT_VIDEO) != 0)
            GTEST_FAIL() << "no display: run under xvfb-run (" << SDL_GetError() << ")";
        m_window = SDL_CreateWindow("gl test", 0, 0, kWindow, kWindow, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        ASSERT_NE(m_window, nullptr) << SDL_GetError();
        m_context = SDL_GL_CreateContext(m_window);
        ASSERT_NE(m_context, nullptr) << SDL_GetError();
        glViewport(0, 0, kWindow, kWindow);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, kWindow, 0, kWindow, -100, 100);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        m_backend.SetFixedState();
    }

    void TearDown() override
    {
        if (m_context)
            SDL_GL_DeleteContext(m_context);
        if (m_window)
            SDL_DestroyWindow(m_window);
        SDL_Quit();
    }

    std::array<uint8_t, 4> PixelAt(int x, int y)
    {
        m_backend.Flush();
        std::array<uint8_t, 4> pixel{};
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel.data());
        return pixel;
    }

    CGLBackend m_backend;
    SDL_Window* m_window = nullptr;
    SDL_GLContext m_context = nullptr;
};

GLint TextureParameter(GLenum name)
{
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

// Rows of a 3 x 2 picture: red, green, blue over half-transparent white, black, grey.
const std::vector<uint8_t> kPicture = {255, 0,   0,   255, 0, 255, 0, 255, 0,   0,   255, 255,
                                       255, 255, 255, 128, 0, 0,   0, 255, 128, 128, 128, 255};
} // namespace

TEST_F(GLBackendTest, UploadKeepsPixelsAndSetsTheParametersOrReportsItsError)
{
    TextureUpload upload = m_backend.UploadTexture(3, 2, kPicture.data());
    ASSERT_NE(upload.name, 0u);
    EXPECT_EQ(upload.error, 0u);
    glBindTexture(GL_TEXTURE_2D, upload.name);
    const std::pair<GLenum, GLint> parameters[] = {{GL_TEXTURE_WRAP_S, GL_CLAMP},
                                                   {GL_TEXTURE_WRAP_T, GL_CLAMP},
                                                   {GL_TEXTURE_MIN_FILTER, GL_NEAREST},
                                                   {GL_TEXTURE_MAG_FILTER, GL_NEAREST}};
    for (auto [name, value] : parameters)
        EXPECT_EQ(TextureParameter(name), value) << name;
    GLint format = 0, width = 0, alignment = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(std::tuple(format, width, alignment), std::tuple(GL_RGBA8, 3, 1));
    GLfloat mode = 0;
    glGetTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(GLint(mode), GL_MODULATE);
    std::vector<uint8_t> back(kPicture.size());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, back.data());
    EXPECT_EQ(back, kPicture);
    m_backend.DeleteTexture(upload.name);
    EXPECT_EQ(m_backend.GetError(), 0u);

    TextureUpload refused = m_backend.UploadTexture(-1, 2, kPicture.data());
    EXPECT_EQ(refused.error, uint32_t(GL_INVALID_VALUE));
    EXPECT_EQ(m_backend.ErrorText(refused.error), "invalid value");
    EXPECT_EQ(m_backend.GetError(), 0u) << "the upload took its error";
}

TEST_F(GLBackendTest, QuadShowsTheFirstRowAtTZeroModulatedByTheColour)
{
    TextureUpload upload = m_backend.UploadTexture(3, 2, kPicture.data());
    m_backend.SetTexturing(true);
    m_backend.BindTexture(upload.name);
    m_backend.SetColour({1, 0.5f, 1, 1});
    m_backend.SetPolygonMode(PolygonFill::Fill, PolygonFill::Line);
    RenderVertex quad[4] = {{0, 0, 0, 0, 0}, {48, 0, 0, 1, 0}, {48, 32, 0, 1, 1}, {0, 32, 0, 0, 1}};
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    m_backend.DrawQuads(quad, 4);
    glFinish();
    EXPECT_EQ(PixelAt(8, 8), (std::array<uint8_t, 4>{255, 0, 0, 255}));
    EXPECT_EQ(PixelAt(24, 8), (std::array<uint8_t, 4>{0, 128, 0, 255}));
    EXPECT_EQ(PixelAt(40, 24)[0], 128);
    EXPECT_EQ(PixelAt(24, 24)[1], 0);
    EXPECT_EQ(PixelAt(56, 56), (std::array<uint8_t, 4>{0, 0, 0, 255}));
    EXPECT_EQ(m_backend.GetError(), 0u);
}

// Blending is left off only for pictures with no see-through texel; the
// clip keeps drawing inside its box until it is taken away.
TEST_F(GLBackendTest, SeeThroughTexelsBlendAndTheClipKeepsDrawingInItsBox)
{
    m_backend.SetBlending(true);
    m_backend.SetTexturing(true);
    m_backend.BindTexture(m_backend.UploadTexture(3, 2, kPicture.data()).name);
    RenderVertex quad[4] = {{0, 0, 0, 0, 0}, {48, 0, 0, 1, 0}, {48, 64, 0, 1, 1}, {0, 64, 0, 0, 1}};
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    const PixelBox left{0, 0, 24, kWindow};
    m_backend.SetClip(&left);
    m_backend.DrawQuads(quad, 4);
    EXPECT_EQ(PixelAt(8, 40)[0], 128) << "half-transparent white over black";
    EXPECT_EQ(PixelAt(40, 8), (std::array<uint8_t, 4>{0, 0, 0, 255})) << "outside the clip";
    m_backend.SetClip(nullptr);
    m_backend.DrawQuads(quad, 4);
    EXPECT_EQ(PixelAt(40, 8), (std::array<uint8_t, 4>{0, 0, 255, 255}));
    EXPECT_EQ(m_backend.GetError(), 0u);
}

// Front faces fill and back faces show their outline, whether a draw holds
// only front faces (sent with back faces filled, for speed) or mixes both,
// and under a mirroring projection too.
TEST_F(GLBackendTest, BackFacesStayOutlinedBesideFrontFaces)
{
    // In window pixels: a counter-clockwise (front) and a clockwise (back)
    // triangle, their edges through pixel centres.
    const std::array<RenderVertex, 3> front = {
        {{4.5f, 4.5f, 0, 0, 0}, {28.5f, 4.5f, 0, 0, 0}, {4.5f, 28.5f, 0, 0, 0}}};
    const std::array<RenderVertex, 3> back = {
        {{36.5f, 4.5f, 0, 0, 0}, {36.5f, 28.5f, 0, 0, 0}, {60.5f, 4.5f, 0, 0, 0}}};
    const std::array<uint8_t, 4> white{255, 255, 255, 255}, black{0, 0, 0, 255};
    for (bool mirrored : {false, true})
    {
        // Mirrored, the same window triangle is given mirrored: it turns the
        // other way where the caller gives it.
        auto placed = [&](std::array<RenderVertex, 3> t)
        {
            if (mirrored)
                for (RenderVertex& v : t)
                    v.x = kWindow - v.x;
            return t;
        };
        m_backend.SetOrthoProjection(mirrored ? kWindow : 0, mirrored ? 0 : kWindow, 0, kWindow, -100, 100);
        for (const auto [withFront, withBack] : {std::pair(true, false), {true, true}, {false, true}})
        {
            glClearColor(0, 0, 0, 1);
            glClear(GL_COLOR_BUFFER_BIT);
            m_backend.SetPolygonMode(PolygonFill::Fill, PolygonFill::Line);
            if (withFront)
                m_backend.DrawTriangles(placed(front).data(), 3);
            if (withBack)
                m_backend.DrawTriangles(placed(back).data(), 3);
            const std::string drawn = std::string(mirrored ? "mirrored, " : "") +
                                      (withFront ? "front " : "") + (withBack ? "back" : "");
            EXPECT_EQ(PixelAt(10, 10), withFront ? white : black) << "filled: " << drawn;
            EXPECT_EQ(PixelAt(42, 10), black) << "inside the outline: " << drawn;
            EXPECT_EQ(PixelAt(36, 10), withBack ? white : black) << "the outline: " << drawn;
        }
    }
    EXPECT_EQ(m_backend.GetError(), 0u);
}
