// The side panel on the left of the game screen: a minimap of the map's
// overview picture centred on the local ship (the world's first player) with
// markers for the other visible players, the local ship's fuel gauge, every
// player's score, and the weapons and abilities the local ship holds. It
// reads the world it is given each frame and owns nothing of it; its
// textures belong to the texture cache.
#pragma once

#include "game/Drawable.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

class CGameWorld;
class CShip;

class CSidePanel : public CDrawable
{
public:
    static constexpr float kWidth = 200;

    // Texture indices, in loading order: the overview first, then the icons.
    enum TextureSlot : size_t
    {
        kOverviewSlot,
        kCloakSlot,
        kMissileSlot,
        kMineSlot,
        kPlasmaSlot,
        kTankSlot,
        kFuelSlot,
        kTripleSlot,
        kRepulseSlot,
    };

    void SetSize(float width, float height);
    float GetWidth() const { return m_width; }
    float GetHeight() const { return m_height; }
    // Copies the map's name; null clears it.
    void SetMapName(const char* name);
    const std::optional<std::string>& GetMapName() const { return m_mapName; }
    // The world to show (not owned; null shows none).
    void SetWorld(CGameWorld* world) { m_world = world; }
    CGameWorld* GetWorld() const { return m_world; }

    // The map's overview picture, then the icons. False without a map name
    // or with a graphics error pending after loading.
    bool LoadTextures() override;
    // Draws the whole panel with its centre at (x, y). Its inside is left as
    // the frame was cleared, black: whatever was drawn before must be kept
    // out of the panel (ClipLeftOf(ClipEdge(x)) while drawing it).
    bool Draw(int32_t x, int32_t y) override;
    // The view x right of which the world shows beside a panel centred at x:
    // the middle of the right border, so the clip's pixel edge falls under
    // the green strip however the view is scaled.
    float ClipEdge(int32_t x) const { return static_cast<float>(x) + m_width / 2 - m_border / 2; }
    // A white 32 x 32 icon of powerup `kind` centred on (x, y); nothing for
    // kinds without an icon (full fuel among them).
    void DrawIcon(int kind, float x, float y) const;
    bool HasTextures() const { return GetTextureCount() > 0; }

private:
    // The panel's centre and upper edge, which every part is placed from.
    struct Anchor
    {
        float x = 0, y = 0, top = 0;
    };

    // The border and the bar under the minimap.
    void DrawFrame(const Anchor& at) const;
    // The gauge and the bar under it.
    void DrawFuelGauge(const Anchor& at, const CShip* local) const;
    void DrawMinimap(const Anchor& at, const CShip* local) const;
    void DrawScores(const Anchor& at) const;
    // The local ship's marker, then one for every other player in sight.
    void DrawMarkers(const Anchor& at, const CShip* local) const;
    void DrawInventory(const Anchor& at, const CShip& local) const;
    // The local ship's position as a fraction of the world's size (0 without one).
    void WorldFraction(const CShip* local, double& fx, double& fy) const;

    float m_height = 600;
    float m_width = 800;
    float m_border = 2;
    std::optional<std::string> m_mapName;
    CGameWorld* m_world = nullptr;
};
