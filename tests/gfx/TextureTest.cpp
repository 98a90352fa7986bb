// The texture cache: one texture per name, the reader chosen by the name's
// extension, what is uploaded, and how failures are kept and reported.
#include "gfx/TextureAtlas.h"
#include "tests/gfx/GfxFixture.h"

#include <optional>

namespace
{
// A 2 x 2 Targa file stored bottom row first: blue-green-red bytes.
Bytes SmallTarga()
{
    return Targa({.width = 2, .height = 2, .descriptor = 0x00}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
}

Bytes SmallBitmap()
{
    return Bitmap({.width = 4, .height = 1}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
}

using TextureCache = GfxTest;
} // namespace

// One texture per name, uploaded once as RGBA with the top row first.
TEST_F(TextureCache, SameNameGivesTheSameTextureUploadedOnceAsRgbaTopRowFirst)
{
    WriteGraphic("mine.tga", SmallTarga());
    CTexture* first = GetGraphics().GetTexture("mine.tga");
    EXPECT_EQ(GetGraphics().GetTexture("mine.tga"), first);
    EXPECT_EQ(GetGraphics().GetTextureManager().GetCount(), 1);
    EXPECT_EQ(first->GetName(), "mine.tga");
    ASSERT_EQ(m_backend.Uploads().size(), 1u);
    const CRecordingBackend::Upload& upload = m_backend.Uploads()[0];
    EXPECT_EQ(first->GetGLName(), upload.name);
    EXPECT_EQ(std::pair(upload.width, upload.height), std::pair(2, 2));
    EXPECT_EQ(upload.rgba, (Bytes{9, 8, 7, 255, 12, 11, 10, 255, 3, 2, 1, 255, 6, 5, 4, 255}));
}

TEST_F(TextureCache, CapitalisedExtensionGoesToTheBitmapReader)
{
    WriteGraphic("mine.tga", SmallTarga());
    WriteGraphic("pic.TGA", SmallBitmap());
    // The file is found whatever the case, but "TGA" is not "tga": the
    // bitmap reader gets the Targa file and fails, and the bitmap named
    // like a Targa file loads.
    CTexture* capital = GetGraphics().GetTexture("MINE.TGA");
    EXPECT_NE(capital, GetGraphics().GetTexture("mine.tga"));
    EXPECT_EQ(capital->GetGLName(), 0u);
    CTexture* bitmap = GetGraphics().GetTexture("pic.TGA");
    EXPECT_NE(bitmap->GetGLName(), 0u);
    ASSERT_EQ(m_backend.Uploads().size(), 2u);
    EXPECT_EQ(m_backend.Uploads()[1].rgba,
              (Bytes{3, 2, 1, 255, 6, 5, 4, 255, 9, 8, 7, 255, 12, 11, 10, 255}));
}

// A file that is missing or will not convert leaves a texture without a name
// in the cache; an upload the backend refuses is reported as one line on
// standard error. Neither is tried again.
TEST_F(TextureCache, FailedLoadsAndUploadsStayCachedAndEmpty)
{
    WriteGraphic(
        "paletted.bmp",
        Bitmap({.width = 2, .height = 1, .bits = 8, .coloursUsed = 2, .palette = RampPalette(2)}, {0, 1}));
    CTexture* missing = GetGraphics().GetTexture("missing.tga");
    CTexture* paletted = GetGraphics().GetTexture("paletted.bmp");
    EXPECT_EQ(missing->GetGLName(), 0u);
    EXPECT_EQ(paletted->GetGLName(), 0u);
    EXPECT_EQ(GetGraphics().GetTexture("missing.tga"), missing);
    EXPECT_TRUE(m_backend.Uploads().empty());

    WriteGraphic("mine.tga", SmallTarga());
    m_backend.FailNextUpload(1281);
    testing::internal::CaptureStderr();
    CTexture* refused = GetGraphics().GetTexture("mine.tga");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "OpenGL Error (CTexture): recorded error 1281\n");
    EXPECT_EQ(GetGraphics().GetTexture("mine.tga"), refused);
    EXPECT_EQ(m_backend.Uploads().size(), 1u);
    EXPECT_EQ(GetGraphics().GetTextureManager().GetCount(), 3);
}

TEST_F(TextureCache, NamesWithAFolderPartLoadEveryTime)
{
    WriteData("Maps/Caves.bmp", SmallBitmap());
    CTexture* first = GetGraphics().GetTexture("..\\Maps\\Caves.bmp");
    CTexture* second = GetGraphics().GetTexture("..\\Maps\\Caves.bmp");
    EXPECT_NE(first, second);
    EXPECT_EQ(first->GetName(), "Caves.bmp");
    EXPECT_NE(first->GetGLName(), 0u);
    EXPECT_EQ(m_backend.Uploads().size(), 2u);
}

TEST_F(TextureCache, BindingGoesToTheBackendAndClearingDeletesUploadedTextures)
{
    WriteGraphic("mine.tga", SmallTarga());
    CTexture* texture = GetGraphics().GetTexture("mine.tga");
    uint32_t name = texture->GetGLName();
    texture->Bind();
    CTexture::Unbind();
    EXPECT_EQ(m_backend.Binds(), (std::vector<uint32_t>{name, 0}));
    GetGraphics().GetTexture("missing.tga");
    GetGraphics().GetTextureManager().Clear();
    EXPECT_EQ(m_backend.Deleted(), (std::vector<uint32_t>{name}));
    EXPECT_EQ(GetGraphics().GetTextureManager().GetCount(), 0);
}

TEST(RenderBackend, NullBackendIsTheDefault)
{
    SetRenderBackend(nullptr);
    CRenderBackend& backend = GetRenderBackend();
    EXPECT_NE(dynamic_cast<CNullBackend*>(&backend), nullptr);
    uint8_t pixel[4] = {};
    EXPECT_EQ(backend.UploadTexture(1, 1, pixel).name, 0u);
    EXPECT_EQ(backend.GetError(), 0u);
}

// Pictures too large for the page, and any once the page is full, keep their
// own textures and are drawn from them whole.
TEST(TextureAtlas, PicturesThatDoNotFitAreDrawnFromTheirOwnTexture)
{
    CTextureAtlas atlas;
    const std::vector<uint8_t> pixels(size_t(CTextureAtlas::kMaxPicture + 1) * 4, 0x7F);
    EXPECT_FALSE(atlas.Place(CTextureAtlas::kMaxPicture + 1, 1, pixels.data()));
    EXPECT_FALSE(atlas.Place(1, CTextureAtlas::kMaxPicture + 1, pixels.data()));
    int placed = 0;
    std::optional<TextureRegion> last;
    while (auto region = atlas.Place(CTextureAtlas::kMaxPicture, 1, pixels.data()))
    {
        EXPECT_TRUE(!last || region->v0 > last->v0 || region->u0 >= last->u1) << "regions overlap";
        last = region;
        ++placed;
    }
    EXPECT_GT(placed, 100) << "rows of wide pictures share a shelf";
    int small = 0;
    while (small < 100000 && atlas.Place(1, 1, pixels.data()))
        ++small;
    EXPECT_LT(small, 100000) << "a full page takes nothing more";

    CTexture own;
    EXPECT_EQ(own.Source().region.u1, 1.0f);
    EXPECT_EQ(own.Source().name, own.GetGLName());
}
