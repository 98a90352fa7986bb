// DrawText through the recording backend: one quad per character at the
// glyph grid's cells, the fallback cell, and the cut at 1023 characters.
#include "gfx/Text.h"
#include "tests/gfx/GfxFixture.h"

#include <string>

namespace
{
class DrawTextTest : public GfxTest
{
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        UseDataFolder(std::string(QUORVEX_SOURCE_DIR) + "/data");
    }

    // Row and column of the glyph cell a recorded quad shows.
    static GlyphCell CellOf(const CRecordingBackend::Quad& quad)
    {
        return {int(quad.vertices[0].v / kGlyphCellV + 0.5f), int(quad.vertices[0].u / kGlyphCellU + 0.5f)};
    }
};

// A glyph quad: 10 x 16 units from (x, y) at depth 5, showing the font's
// cell (row, column) of 10 x 16 pixels on its 512 x 128 picture.
void ExpectGlyph(const CRecordingBackend::Quad& quad, float x, float y, int row, int column)
{
    const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int i = 0; i < 4; ++i)
    {
        const RenderVertex& v = quad.vertices[i];
        EXPECT_FLOAT_EQ(v.x, x + 10 * corners[i][0]) << "corner " << i;
        EXPECT_FLOAT_EQ(v.y, y + 16 * corners[i][1]) << "corner " << i;
        EXPECT_FLOAT_EQ(v.z, 5.0f);
        EXPECT_FLOAT_EQ(v.u, (column + corners[i][0]) * 10.0f / 512.0f) << "corner " << i;
        EXPECT_FLOAT_EQ(v.v, (row + corners[i][1]) * 0.125f) << "corner " << i;
    }
}
} // namespace

// The quads are drawn with the font bound, in the colour and texturing state
// the caller set, which the text leaves as it found them.
TEST_F(DrawTextTest, AbOneDrawsThreeQuadsAcrossInTheCallersColour)
{
    m_backend.SetColour({0, 1, 0, 1});
    m_backend.SetTexturing(true);
    DrawText(GetGraphics(), 100.0f, 50.0f, "Ab1");
    const auto& quads = m_backend.Quads();
    ASSERT_EQ(quads.size(), 3u);
    uint32_t font = GetGraphics().GetTexture("Font2.tga")->GetGLName();
    ASSERT_NE(font, 0u) << "Font2.tga did not load";
    EXPECT_EQ(m_backend.Binds(), (std::vector<uint32_t>{font, 0}));
    const GlyphCell cells[] = {{1, 0}, {2, 1}, {0, 1}};
    for (size_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(quads[i].state.texture, font);
        EXPECT_EQ(quads[i].state.colour, (RenderColour{0, 1, 0, 1}));
        ExpectGlyph(quads[i], 100.0f + 10.0f * float(i), 50.0f, cells[i].row, cells[i].column);
    }
    EXPECT_TRUE(m_backend.CurrentState().texturing);
    EXPECT_EQ(m_backend.CurrentState().texture, 0u);
}

// Punctuation follows the digits in row 0; the space shares "?"'s cell, the
// brackets come after it, and every character the font lacks (controls,
// "~", "{", accented letters) shows the underscore's cell.
TEST_F(DrawTextTest, EveryCharacterHasItsCellAndUnknownOnesTheUnderscores)
{
    const std::string text = "9Zz_!.,\":+-=()@/' ?[]\t\n~{\xE9";
    const int columns[] = {9,  25, 25, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19,
                           20, 21, 22, 23, 25, 25, 26, 27, 10, 10, 10, 10, 10};
    static_assert(std::size(columns) == 26);
    DrawText(GetGraphics(), 0.0f, 0.0f, "%s", text.c_str());
    const auto& quads = m_backend.Quads();
    ASSERT_EQ(quads.size(), text.size());
    for (size_t i = 0; i < text.size(); ++i)
    {
        EXPECT_EQ(CellOf(quads[i]).row, i == 1 ? 1 : i == 2 ? 2 : 0) << i;
        EXPECT_EQ(CellOf(quads[i]).column, columns[i]) << i;
        EXPECT_FLOAT_EQ(quads[i].vertices[0].x, 10.0f * float(i));
    }
}

TEST_F(DrawTextTest, FormatsLikePrintfAndCutsAt1023Characters)
{
    DrawText(GetGraphics(), 0.0f, 0.0f, "%d:%s", 42, "x");
    ASSERT_EQ(m_backend.Quads().size(), 4u);
    EXPECT_EQ(CellOf(m_backend.Quads()[2]).column, 15);

    m_backend.ClearFrame();
    std::string longText(2000, 'W');
    DrawText(GetGraphics(), 0.0f, 0.0f, "%s", longText.c_str());
    ASSERT_EQ(m_backend.Quads().size(), 1023u);
    EXPECT_FLOAT_EQ(m_backend.Quads().back().vertices[0].x, 10220.0f);

    m_backend.ClearFrame();
    DrawText(GetGraphics(), 0.0f, 0.0f, "%s", "");
    EXPECT_TRUE(m_backend.Quads().empty());
}
