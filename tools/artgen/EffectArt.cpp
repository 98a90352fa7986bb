// Shield and cloak overlays (drawn over a ship's 32 x 32 quad) and the
// projectiles: missile, mine, plasma mine and the two shrapnel pieces. Each
// projectile's body follows its collision outline in object space.
#include "tools/artgen/Artwork.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr int kSize = 32;
constexpr float kCentre = 16.0f;

float DistanceFromCentre(int x, int y)
{
    return std::hypot(x + 0.5f - kCentre, y + 0.5f - kCentre);
}

// A bubble: faint inside, a bright rim, a highlight arc at the top left.
Picture Shield()
{
    Picture p{"shield.tga", CCanvas(kSize, kSize), ScreenMapping::World};
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
        {
            float d = DistanceFromCentre(x, y);
            if (d > 15.6f)
                continue;
            float rim = std::clamp((d - 11.0f) / 4.6f, 0.0f, 1.0f);
            uint8_t alpha = uint8_t(36 + 190 * rim * rim);
            Colour c = Mix(Colour{40, 120, 255, alpha}, Colour{150, 235, 255, alpha}, rim);
            float angle = std::atan2(y + 0.5f - kCentre, x + 0.5f - kCentre);
            bool highlight = d > 12.0f && d < 14.6f && angle < -1.9f && angle > -2.9f;
            p.canvas.Set(x, y, highlight ? Colour{235, 255, 255, 240} : c);
        }
    return p;
}

// A dithered violet haze with a few sparkles: the ship shows through it.
Picture Cloak()
{
    Picture p{"cloak.tga", CCanvas(kSize, kSize), ScreenMapping::World};
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
        {
            float d = DistanceFromCentre(x, y);
            if (d > 15.0f)
                continue;
            float fade = 1.0f - std::clamp((d - 10.0f) / 5.0f, 0.0f, 1.0f);
            bool dot = (x + y) % 2 == 0;
            uint8_t alpha = uint8_t((dot ? 150 : 70) * fade);
            p.canvas.Set(x, y, dot ? Colour{70, 40, 120, alpha} : Colour{130, 110, 190, alpha});
        }
    for (Point s : {Point{9, 10}, Point{22, 8}, Point{24, 21}, Point{11, 23}, Point{16, 15}})
    {
        p.canvas.Set(int(s.x), int(s.y), {240, 225, 255, 230});
        for (Point n : {Point{-1, 0}, Point{1, 0}, Point{0, -1}, Point{0, 1}})
            p.canvas.Set(int(s.x + n.x), int(s.y + n.y), {200, 170, 255, 150});
    }
    return p;
}

// Nose (+y) red, white body, fins at the tail, and the exhaust flame behind.
Picture Missile()
{
    Picture p{"missile.tga", CCanvas(kSize, kSize), ScreenMapping::World};
    CCanvas& c = p.canvas;
    CMask fins =
        CMask::Polygon(kSize, kSize, FromObject({{-3, -6}, {3, -6}, {3, -4}, {1, -2}, {-1, -2}, {-3, -4}}));
    c.ShadeBody(fins, {200, 60, 50, 255}, {90, 24, 24, 255});
    CMask body =
        CMask::Polygon(kSize, kSize, FromObject({{-2, -5}, {2, -5}, {2, 3}, {0, 6}, {-1, 6}, {-2, 3}}));
    c.ShadeBody(body, {225, 228, 235, 255}, {80, 86, 100, 255});
    CMask nose = CMask::Polygon(kSize, kSize, FromObject({{-2, 2}, {2, 2}, {0, 6}, {-1, 6}}));
    nose &= body.Eroded();
    c.Fill(nose, {230, 60, 50, 255});
    for (int y = 0; y < 4; ++y)
    {
        Point f = FromObject(-0.5f, -6.0f - y);
        Colour flame = Mix(Colour{255, 240, 160, 255}, Colour{255, 90, 20, 90}, y / 3.0f);
        c.Blend(int(f.x), int(f.y), flame);
        if (y < 2)
            c.Blend(int(f.x) + 1, int(f.y), Scale(flame, 0.85f));
    }
    return p;
}

// A flat armoured pod with spikes at the ends and a light in the middle;
// `core` colours the light and `glow` (when its alpha is not 0) surrounds
// the mine with a halo.
Picture Mine(const char* name, Colour core, Colour glow)
{
    Picture p{name, CCanvas(kSize, kSize), ScreenMapping::World};
    CCanvas& c = p.canvas;
    if (glow.a > 0)
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x)
            {
                float dx = (x + 0.5f - kCentre) / 11.0f, dy = (y + 0.5f - kCentre) / 9.0f;
                float d = std::sqrt(dx * dx + dy * dy);
                if (d < 1.0f)
                    c.Set(x, y, WithAlpha(glow, uint8_t(glow.a * (1.0f - d))));
            }
    CMask spikes =
        CMask::Polygon(kSize, kSize, FromObject({{-8, -0.6f}, {-5, -1.6f}, {-5, 1.6f}, {-8, 0.6f}}));
    spikes |= CMask::Polygon(kSize, kSize, FromObject({{8, -0.6f}, {5, -1.6f}, {5, 1.6f}, {8, 0.6f}}));
    spikes |= CMask::Polygon(kSize, kSize, FromObject({{-1, -5}, {1, -5}, {1.5f, -2}, {-1.5f, -2}}));
    spikes |= CMask::Polygon(kSize, kSize, FromObject({{-1, 5}, {1, 5}, {1.5f, 2}, {-1.5f, 2}}));
    c.ShadeBody(spikes, {150, 156, 168, 255}, {50, 54, 64, 255});
    CMask body = CMask::Ellipse(kSize, kSize, {kCentre, kCentre}, 6.2f, 3.8f);
    c.ShadeBody(body, {92, 98, 112, 255}, {34, 36, 46, 255});
    CMask light = CMask::Ellipse(kSize, kSize, {kCentre, kCentre}, 1.8f, 1.3f);
    c.Fill(light, core);
    c.Set(15, 15, Mix(core, Colour{255, 255, 255, 255}, 0.6f));
    return p;
}

// A jagged piece of hot metal shaped like its outline polygon.
Picture Shrapnel(const char* name, const std::vector<Point>& outline)
{
    Picture p{name, CCanvas(kSize, kSize), ScreenMapping::World};
    CMask piece = CMask::Polygon(kSize, kSize, FromObject(outline));
    p.canvas.ShadeBody(piece, {150, 140, 132, 255}, {255, 140, 40, 255});
    CMask hot = piece.Eroded();
    hot -= hot.Eroded();
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            if (hot.Get(x, y) && (x + 2 * y) % 3 == 0)
                p.canvas.Set(x, y, {255, 210, 120, 255});
    return p;
}
} // namespace

std::vector<Picture> MakeEffects()
{
    std::vector<Picture> pictures;
    pictures.push_back(Shield());
    pictures.push_back(Cloak());
    pictures.push_back(Missile());
    pictures.push_back(Mine("mine.tga", {255, 50, 40, 255}, {}));
    pictures.push_back(Mine("plasmamine.tga", {255, 140, 255, 255}, {210, 70, 255, 210}));
    pictures.push_back(Shrapnel("shrapnel1.tga", {{3, 0}, {-5, 4}, {0, -5}}));
    pictures.push_back(Shrapnel("shrapnel2.tga", {{2, 2}, {-3, 2}, {-3, -3}, {3, -5}}));
    return pictures;
}
