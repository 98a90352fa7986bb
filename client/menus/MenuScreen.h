// The common shape of the menu screens: a screen (client/Screen.h) that rests
// until input or a window event changes it, and a CDrawable drawn each frame
// with Draw(0, 0), laid out for the size SetSize gives (the window's size,
// one unit per pixel, origin at the centre, y upwards). Draw brackets the
// frame: begin, faces filled in front and drawn as lines behind, texturing
// on, the screen's textures, its contents, end.
#pragma once

#include "client/ClientContext.h"
#include "client/Screen.h"
#include "game/Drawable.h"
#include "gfx/RenderBackend.h"

#include <array>
#include <cstdint>
#include <string_view>

// Menu colours: headings and selected lines green, other text white.
constexpr RenderColour kMenuGreen{0, 1, 0, 1};
constexpr RenderColour kMenuWhite{1, 1, 1, 1};

class CMenuScreen : public CDrawable, public CScreen
{
public:
    // Screens that `keepNetworkSlice` give the session its share of each
    // frame, as the screens around the browser always did.
    CMenuScreen(ScreenId id, CClientContext& context, bool keepNetworkSlice = false)
        : CScreen(id), m_context(context), m_keepNetworkSlice(keepNetworkSlice)
    {
    }

    // Lays the screen out for the window's size (every frame, so a resized
    // window lays it out again) and draws it.
    ScreenId Frame(const KeyActions& actions) override;
    // A menu's picture changes only on input and window events.
    uint32_t RestMs() const override { return kRestUntilEvent; }
    void Rest() override;
    bool PlaysMenuSounds() const override { return true; }

    void SetSize(float width, float height)
    {
        m_width = width;
        m_height = height;
    }
    float GetWidth() const { return m_width; }
    float GetHeight() const { return m_height; }

    bool Draw(int32_t viewX, int32_t viewY) override;

protected:
    // The pictures of the screens that show ships: the six ship types'
    // pictures in the order the texture indices 0 to 5 use, then the shield.
    static constexpr std::array<const char*, 7> kShipTextures = {
        "Triship.tga", "Twoship.tga", "XShip.tga", "YShip.tga", "CurveShip.tga", "TrekShip.tga", "shield.tga",
    };
    static constexpr size_t kShieldTexture = 6;

    // Draws the screen's contents; `hh` is half the screen height.
    virtual void DrawContents(float hh) = 0;

    // Text in `colour` with its first glyph's corner at (x, y).
    static void DrawLine(float x, float y, const RenderColour& colour, std::string_view text);
    // Text centred on x = 0: x = -5 x the number of characters.
    static void DrawCentred(float y, const RenderColour& colour, std::string_view text);
    // A white `size` x `size` quad centred on (x, y) with texture `index`.
    void DrawPicture(size_t index, float x, float y, float size = 32) const;

    CClientContext& m_context;
    bool m_keepNetworkSlice;
    float m_height = 600;
    float m_width = 800;
    float m_border = 2;
};
