// The window icon: a silver swept-wing fighter in the Trekship's colours,
// nose up and engines burning, on a dark round badge ringed in the green of
// the menus. Desktops show it anywhere from 64 x 64 down to 16 x 16, so it
// keeps to bold shapes: a thick ring (still a pixel wide at 16 x 16), a
// large light ship against a dark field, and no detail that only makes sense
// up close. The badge's round edges are smoothed (a window icon sits on any
// background); the ship keeps the crisp pixel look of the game's pictures.
#include "tools/artgen/Artwork.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr int kIconSize = 64;
constexpr float kCentre = 32.0f;
constexpr float kBadgeRadius = 31.5f;
constexpr float kRingOuter = 30.0f;
constexpr float kRingInner = 24.5f;
constexpr float kRingEdge = 1.1f; // the dark lines either side of the ring
constexpr int kSubsamples = 4;    // per axis, for the badge's smooth edges

// The Trekship's colours (see ShipArt.cpp), shaded the same way.
constexpr Colour kHull{196, 202, 214, 255};
constexpr Colour kHullOutline{40, 46, 70, 255};
constexpr Colour kAccent{70, 120, 230, 255};
constexpr Colour kEngine{90, 220, 255, 255};
constexpr float kShipScale = 1.75f;
constexpr float kShipLift = -0.5f; // ship space y at the icon's centre, flames included

// Ship space (x right, y towards the nose) to icon pixels, nose up.
Point ShipToIcon(float x, float y)
{
    return {kCentre + x * kShipScale, kCentre - (y - kShipLift) * kShipScale};
}

std::vector<Point> ShipToIcon(const std::vector<Point>& points)
{
    std::vector<Point> result;
    for (const Point& p : points)
        result.push_back(ShipToIcon(p.x, p.y));
    return result;
}

// A swept-wing fighter, more pointed than any ship of the game so that its
// silhouette alone says "spaceship" at 16 x 16.
const std::vector<Point> kFighter{{0, 12},     {2.5f, 5},   {10, -5},  {10, -9},  {4, -6.5f}, {2, -9.5f},
                                  {-2, -9.5f}, {-4, -6.5f}, {-10, -9}, {-10, -5}, {-2.5f, 5}};

// Light falls from the top left, as on every other picture: t is 0 there
// and 1 at the bottom right.
float ShadeAcross(float x, float y)
{
    float along = ((x - kCentre) + (y - kCentre)) / (2.0f * kBadgeRadius);
    return std::clamp(0.5f + along, 0.0f, 1.0f);
}

// The badge's colour at a point (transparent outside it).
Colour BadgeAt(float x, float y)
{
    float r = std::hypot(x - kCentre, y - kCentre);
    float t = ShadeAcross(x, y);
    if (r > kBadgeRadius)
        return {};
    if (r > kRingOuter || (r < kRingInner + kRingEdge && r > kRingInner))
        return {8, 40, 18, 255};
    if (r >= kRingInner)
        return Mix({120, 255, 140, 255}, {14, 140, 48, 255}, t);
    return Mix({30, 42, 76, 255}, {8, 11, 24, 255}, t);
}

// Averages BadgeAt over each pixel, weighting colour by alpha, so the round
// edges blend into whatever lies behind the icon.
void PaintBadge(CCanvas& canvas)
{
    for (int y = 0; y < kIconSize; ++y)
        for (int x = 0; x < kIconSize; ++x)
        {
            float r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < kSubsamples; ++sy)
                for (int sx = 0; sx < kSubsamples; ++sx)
                {
                    Colour c = BadgeAt(x + (sx + 0.5f) / kSubsamples, y + (sy + 0.5f) / kSubsamples);
                    float weight = c.a / 255.0f;
                    r += c.r * weight;
                    g += c.g * weight;
                    b += c.b * weight;
                    a += weight;
                }
            if (a > 0)
                canvas.Set(x, y,
                           {uint8_t(std::lround(r / a)), uint8_t(std::lround(g / a)),
                            uint8_t(std::lround(b / a)),
                            uint8_t(std::lround(255.0f * a / (kSubsamples * kSubsamples)))});
        }
}

// A few faint stars in the dark field, clear of the ship.
void PaintStars(CCanvas& canvas)
{
    for (Point star : {Point{15, 22}, Point{47, 17}, Point{16, 44}, Point{47, 42}, Point{40, 12}})
        canvas.Blend(int(star.x), int(star.y), {200, 220, 255, 150});
}

// Thrust below each engine: a tapering cyan flame with a white core.
void PaintFlame(CCanvas& canvas, float x)
{
    CMask flame =
        CMask::Polygon(kIconSize, kIconSize, ShipToIcon({{x - 1.5f, -7.5f}, {x + 1.5f, -7.5f}, {x, -13.5f}}));
    canvas.Fill(flame, WithAlpha(kEngine, 220));
    CMask core =
        CMask::Polygon(kIconSize, kIconSize, ShipToIcon({{x - 0.7f, -7.5f}, {x + 0.7f, -7.5f}, {x, -11.5f}}));
    canvas.Fill(core, {235, 255, 255, 255});
}

// A two-pixel line painted inside the hull only.
void PaintStripe(CCanvas& canvas, const CMask& interior, Point from, Point to, Colour colour)
{
    CCanvas layer(kIconSize, kIconSize);
    Point a = ShipToIcon(from.x, from.y), b = ShipToIcon(to.x, to.y);
    layer.Line(a, b, colour);
    layer.Line({a.x + 1, a.y}, {b.x + 1, b.y}, colour);
    for (int y = 0; y < kIconSize; ++y)
        for (int x = 0; x < kIconSize; ++x)
            if (interior.Get(x, y) && layer.Get(x, y).a > 0)
                canvas.Blend(x, y, layer.Get(x, y));
}

void PaintCockpit(CCanvas& canvas, const CMask& interior)
{
    Point centre = ShipToIcon(0.0f, 2.0f);
    CMask glass = CMask::Ellipse(kIconSize, kIconSize, centre, 3.8f, 3.8f);
    glass &= interior;
    canvas.Fill(glass, {22, 40, 80, 255});
    CMask inner = glass.Eroded();
    canvas.Fill(inner, {44, 96, 170, 255});
    CMask shine = CMask::Ellipse(kIconSize, kIconSize, {centre.x - 1.2f, centre.y - 1.2f}, 1.4f, 1.4f);
    shine &= inner;
    canvas.Fill(shine, {190, 235, 255, 255});
}

void PaintShip(CCanvas& canvas)
{
    CMask silhouette = CMask::Polygon(kIconSize, kIconSize, ShipToIcon(kFighter));
    // A two-pixel dark border keeps the silver hull apart from the field
    // when the icon is shrunk.
    canvas.Fill(silhouette, kHullOutline);
    CMask hull = silhouette.Eroded();
    float halfWidth = 10.0f * kShipScale;
    canvas.ShadeBody(hull, kHull, kHullOutline,
                     [&](int x, int)
                     {
                         // Rounder look: brighter along the axis than on the wings.
                         float d = std::fabs(x + 0.5f - kCentre) / halfWidth;
                         return 1.1f - 0.3f * std::min(d, 1.0f);
                     });
    CMask interior = hull.Eroded();
    PaintStripe(canvas, interior, {-8.5f, -6}, {-1.5f, 4}, kAccent);
    PaintStripe(canvas, interior, {8, -6}, {1, 4}, kAccent);
    PaintCockpit(canvas, interior);
}

} // namespace

Picture MakeWindowIcon()
{
    Picture picture{kWindowIconName, CCanvas(kIconSize, kIconSize), ScreenMapping::World};
    PaintBadge(picture.canvas);
    PaintStars(picture.canvas);
    PaintFlame(picture.canvas, -3.0f);
    PaintFlame(picture.canvas, 3.0f);
    PaintShip(picture.canvas);
    return picture;
}
