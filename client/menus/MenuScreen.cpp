#include "client/menus/MenuScreen.h"

#include "gfx/Graphics.h"
#include "gfx/Texture.h"

ScreenId CMenuScreen::Frame(const KeyActions&)
{
    if (m_keepNetworkSlice)
        m_context.RunSessionSlice();
    SetSize(static_cast<float>(m_context.viewSize.width), static_cast<float>(m_context.viewSize.height));
    Draw(0, 0);
    return Id();
}

void CMenuScreen::Rest()
{
    if (m_keepNetworkSlice)
        m_context.RunSessionSlice();
}

bool CMenuScreen::Draw(int32_t, int32_t)
{
    GetGraphics().BeginFrame();
    CRenderBackend& backend = GetRenderBackend();
    backend.SetPolygonMode(PolygonFill::Fill, PolygonFill::Line);
    backend.SetTexturing(true);
    LoadTextures();
    DrawContents(m_height / 2);
    GetGraphics().EndFrame();
    return true;
}

void CMenuScreen::DrawLine(float x, float y, const RenderColour& colour, std::string_view text)
{
    GetRenderBackend().SetColour(colour);
    DrawText(GetGraphics(), x, y, "%.*s", static_cast<int>(text.size()), text.data());
}

void CMenuScreen::DrawCentred(float y, const RenderColour& colour, std::string_view text)
{
    DrawLine(-5.0f * static_cast<float>(text.size()), y, colour, text);
}

void CMenuScreen::DrawPicture(size_t index, float x, float y, float size) const
{
    const CTexture* texture = GetTexture(index);
    uint32_t name = texture ? texture->GetGLName() : 0;
    CRenderBackend& backend = GetRenderBackend();
    backend.LoadIdentity();
    backend.SetColour(kMenuWhite);
    // A picture that did not load is drawn as a plain white square.
    if (name == 0)
        backend.SetTexturing(false);
    else
        backend.BindTexture(name);
    float half = size / 2;
    // The first row of a picture belongs at the top of the screen, as the
    // game objects draw them: v = 0 on the upper edge.
    const RenderVertex quad[4] = {{x - half, y - half, 0, 0, 1},
                                  {x + half, y - half, 0, 1, 1},
                                  {x + half, y + half, 0, 1, 0},
                                  {x - half, y + half, 0, 0, 0}};
    backend.DrawQuads(quad, 4);
    if (name == 0)
        backend.SetTexturing(true);
    else
        backend.BindTexture(0);
}
