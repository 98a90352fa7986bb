// The window icon: a silver swept-wing fighter in the Trekship's colours,
// nose up and engines burning, on a dark round badge ringed in the green of
// the menus. Desktops show it anywhere from 64 x 64 down to 16 x 16, so it
// keeps to bold shapes: a thick ring (still a pixel wide at 16 x 16), a
// large light ship against a dark field, and no detail that only makes sense
// up close. The badge's round edges are smoothed (a window icon sits on any
// background); the ship keeps the crisp pixel look of the game's pictures.
//
// The desktop wants the same icon at other sizes too. It is designed on a
// 64-unit grid and drawn at any multiple of it: shapes scale, and every
// pixel-wide detail of the 64 x 64 picture (outline bands, lit rims, stripes,
// stars) becomes as many pixels as the scale, so the larger icons look like
// the 64 x 64 one seen closer. Sizes below 64 are drawn at a larger multiple
// and averaged down, which keeps the bold shapes that were designed to
// survive shrinking.
#include "tools/artgen/Artwork.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr int kIconSize = 64; // the design grid, and the window icon's size
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

// An icon being drawn: its canvas and how many pixels one design unit takes.
struct IconCanvas
{
    CCanvas& canvas;
    float scale;

    int Size() const { return canvas.Width(); }
    // A width of `units` design pixels in pixels of this icon (at least one).
    int Pixels(float units) const { return std::max(1, int(std::lround(units * scale))); }
    CMask Polygon(const std::vector<Point>& points) const { return CMask::Polygon(Size(), Size(), points); }
    CMask Ellipse(Point centre, float radius) const
    {
        return CMask::Ellipse(Size(), Size(), centre, radius * scale, radius * scale);
    }
};

CMask ErodedTimes(CMask mask, int times)
{
    for (int i = 0; i < times; ++i)
        mask = mask.Eroded();
    return mask;
}

// Ship space (x right, y towards the nose) to icon pixels, nose up.
Point ShipToIcon(const IconCanvas& icon, float x, float y)
{
    return {(kCentre + x * kShipScale) * icon.scale, (kCentre - (y - kShipLift) * kShipScale) * icon.scale};
}

std::vector<Point> ShipToIcon(const IconCanvas& icon, const std::vector<Point>& points)
{
    std::vector<Point> result;
    for (const Point& p : points)
        result.push_back(ShipToIcon(icon, p.x, p.y));
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
void PaintBadge(const IconCanvas& icon)
{
    for (int y = 0; y < icon.Size(); ++y)
        for (int x = 0; x < icon.Size(); ++x)
        {
            float r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < kSubsamples; ++sy)
                for (int sx = 0; sx < kSubsamples; ++sx)
                {
                    Colour c = BadgeAt((x + (sx + 0.5f) / kSubsamples) / icon.scale,
                                       (y + (sy + 0.5f) / kSubsamples) / icon.scale);
                    float weight = c.a / 255.0f;
                    r += c.r * weight;
                    g += c.g * weight;
                    b += c.b * weight;
                    a += weight;
                }
            if (a > 0)
                icon.canvas.Set(x, y,
                                {uint8_t(std::lround(r / a)), uint8_t(std::lround(g / a)),
                                 uint8_t(std::lround(b / a)),
                                 uint8_t(std::lround(255.0f * a / (kSubsamples * kSubsamples)))});
        }
}

// A few faint stars in the dark field, clear of the ship: one design pixel
// each, a round dot when scaled up.
void PaintStars(const IconCanvas& icon)
{
    for (Point star : {Point{15, 22}, Point{47, 17}, Point{16, 44}, Point{47, 42}, Point{40, 12}})
    {
        Point centre{(std::floor(star.x) + 0.5f) * icon.scale, (std::floor(star.y) + 0.5f) * icon.scale};
        icon.canvas.Fill(icon.Ellipse(centre, 0.5f), {200, 220, 255, 150});
    }
}

// Thrust below each engine: a tapering cyan flame with a white core.
void PaintFlame(const IconCanvas& icon, float x)
{
    CMask flame = icon.Polygon(ShipToIcon(icon, {{x - 1.5f, -7.5f}, {x + 1.5f, -7.5f}, {x, -13.5f}}));
    icon.canvas.Fill(flame, WithAlpha(kEngine, 220));
    CMask core = icon.Polygon(ShipToIcon(icon, {{x - 0.7f, -7.5f}, {x + 0.7f, -7.5f}, {x, -11.5f}}));
    icon.canvas.Fill(core, {235, 255, 255, 255});
}

// CCanvas::ShadeBody with every band `width` pixels wide: the mask's edge in
// `outline`, then a lit rim towards the top left and a shaded rim towards the
// bottom right, the rest `base` scaled by `tone`.
void ShadeHull(const IconCanvas& icon, const CMask& mask, Colour base, Colour outline, int width,
               const std::function<float(int, int)>& tone)
{
    CMask inner = ErodedTimes(mask, width);
    auto rim = [&](int x, int y, int dx, int dy)
    {
        for (int k = 1; k <= width; ++k)
            if (!inner.Get(x + dx * k, y) || !inner.Get(x, y + dy * k))
                return true;
        return false;
    };
    for (int y = 0; y < icon.Size(); ++y)
        for (int x = 0; x < icon.Size(); ++x)
        {
            if (!mask.Get(x, y))
                continue;
            if (!inner.Get(x, y))
            {
                icon.canvas.Set(x, y, outline);
                continue;
            }
            float light = rim(x, y, -1, -1) ? 1.35f : (rim(x, y, 1, 1) ? 0.72f : 1.0f);
            icon.canvas.Set(x, y, Scale(base, light * tone(x, y)));
        }
}

// A line two design pixels wide painted inside the hull only.
void PaintStripe(const IconCanvas& icon, const CMask& interior, Point from, Point to, Colour colour)
{
    CCanvas layer(icon.Size(), icon.Size());
    Point a = ShipToIcon(icon, from.x, from.y), b = ShipToIcon(icon, to.x, to.y);
    for (int k = 0; k < icon.Pixels(2.0f); ++k)
        layer.Line({a.x + k, a.y}, {b.x + k, b.y}, colour);
    for (int y = 0; y < icon.Size(); ++y)
        for (int x = 0; x < icon.Size(); ++x)
            if (interior.Get(x, y) && layer.Get(x, y).a > 0)
                icon.canvas.Blend(x, y, layer.Get(x, y));
}

void PaintCockpit(const IconCanvas& icon, const CMask& interior)
{
    Point centre = ShipToIcon(icon, 0.0f, 2.0f);
    CMask glass = icon.Ellipse(centre, 3.8f);
    glass &= interior;
    icon.canvas.Fill(glass, {22, 40, 80, 255});
    CMask inner = ErodedTimes(glass, icon.Pixels(1.0f));
    icon.canvas.Fill(inner, {44, 96, 170, 255});
    CMask shine = icon.Ellipse({centre.x - 1.2f * icon.scale, centre.y - 1.2f * icon.scale}, 1.4f);
    shine &= inner;
    icon.canvas.Fill(shine, {190, 235, 255, 255});
}

void PaintShip(const IconCanvas& icon)
{
    CMask silhouette = icon.Polygon(ShipToIcon(icon, kFighter));
    // A two-pixel dark border keeps the silver hull apart from the field
    // when the icon is shrunk.
    icon.canvas.Fill(silhouette, kHullOutline);
    int band = icon.Pixels(1.0f);
    CMask hull = ErodedTimes(silhouette, band);
    float halfWidth = 10.0f * kShipScale * icon.scale;
    float centre = kCentre * icon.scale;
    ShadeHull(icon, hull, kHull, kHullOutline, band,
              [&](int x, int)
              {
                  // Rounder look: brighter along the axis than on the wings.
                  float d = std::fabs(x + 0.5f - centre) / halfWidth;
                  return 1.1f - 0.3f * std::min(d, 1.0f);
              });
    CMask interior = ErodedTimes(hull, band);
    PaintStripe(icon, interior, {-8.5f, -6}, {-1.5f, 4}, kAccent);
    PaintStripe(icon, interior, {8, -6}, {1, 4}, kAccent);
    PaintCockpit(icon, interior);
}

// The icon drawn `factor` times the design size.
CCanvas DrawIcon(int factor)
{
    CCanvas canvas(kIconSize * factor, kIconSize * factor);
    IconCanvas icon{canvas, float(factor)};
    PaintBadge(icon);
    PaintStars(icon);
    PaintFlame(icon, -3.0f);
    PaintFlame(icon, 3.0f);
    PaintShip(icon);
    return canvas;
}

} // namespace

Picture MakeWindowIcon()
{
    return {kWindowIconName, DrawIcon(1), ScreenMapping::World};
}

CCanvas MakeDesktopIcon(int size)
{
    if (size % kIconSize == 0)
        return DrawIcon(size / kIconSize);
    // The smallest multiple of the design size that `size` divides.
    int factor = 1;
    while ((kIconSize * factor) % size != 0)
        ++factor;
    return DrawIcon(factor).Shrunk(kIconSize * factor / size);
}
