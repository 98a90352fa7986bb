// The six ships. Each hull is the union of its collision outline polygons,
// filled pixel for pixel (a pixel belongs to the hull when its centre lies
// inside the outline), so the picture and the collision shape agree. Details
// (cockpit, stripes, engines) are painted inside the hull only.
#include "tools/artgen/Artwork.h"

#include "game/Ship.h"

#include <cmath>

// The game's own collision outlines, so that the pictures are drawn to the
// shapes the ships collide with.
const std::vector<ShipOutline>& ShipOutlines()
{
    static const std::vector<ShipOutline> outlines = [] {
        std::vector<ShipOutline> all;
        for (int32_t type = 0; type < CShip::kShipTypes; ++type)
        {
            CShip ship;
            ship.SetShipType(type);
            ShipOutline outline{CShip::TextureName(type), {}};
            for (const CollisionPolygon& polygon : ship.GetOutline())
            {
                std::vector<Point>& points = outline.polygons.emplace_back();
                for (const CollisionPolygon::Point& p : polygon.GetPoints())
                    points.push_back(Point{p.x, p.y});
            }
            all.push_back(std::move(outline));
        }
        return all;
    }();
    return outlines;
}

namespace
{
constexpr int kSize = 32;

struct ShipStyle
{
    Colour hull;
    Colour outline;
    Colour accent;
    Colour engine;
};

CMask HullOf(const std::vector<std::vector<Point>>& polygons)
{
    CMask hull(kSize, kSize);
    for (const std::vector<Point>& polygon : polygons)
        hull |= CMask::Polygon(kSize, kSize, FromObject(polygon));
    return hull;
}

// Rounder look: pixels near the ship's axis are brighter than its flanks.
float Curvature(int x, float axis, float halfWidth)
{
    float d = std::fabs(x + 0.5f - (axis + 16.0f)) / halfWidth;
    return 1.12f - 0.3f * std::min(d, 1.0f);
}

// Paints `c` on the pixels of `shape` that lie inside the hull's interior.
void Detail(CCanvas& canvas, const CMask& hull, CMask shape, Colour c)
{
    shape &= hull.Eroded();
    canvas.Fill(shape, c);
}

void Cockpit(CCanvas& canvas, const CMask& hull, float x, float y, float rx, float ry)
{
    CMask glass = CMask::Ellipse(kSize, kSize, FromObject(x, y), rx, ry);
    CMask rim = glass;
    rim -= glass.Eroded();
    Detail(canvas, hull, glass, {44, 96, 170, 255});
    Detail(canvas, hull, rim, {22, 40, 80, 255});
    CMask shine =
        CMask::Ellipse(kSize, kSize, FromObject(x - rx * 0.3f, y - ry * 0.3f), rx * 0.45f, ry * 0.45f);
    shine &= glass.Eroded();
    Detail(canvas, hull, shine, {190, 235, 255, 255});
}

// A glowing exhaust port: a bright pixel (on the hull's rear edge, where it
// shows) and a dimmer one towards the nose.
void Engine(CCanvas& canvas, const CMask& hull, float x, float y, Colour glow)
{
    Point p = FromObject(x, y);
    int px = int(p.x), py = int(p.y);
    if (hull.Get(px, py + 1))
        canvas.Set(px, py + 1, Scale(glow, 0.75f));
    if (hull.Get(px, py))
        canvas.Set(px, py, glow);
}

void Stripe(CCanvas& canvas, const CMask& hull, Point a, Point b, Colour c)
{
    CCanvas layer(kSize, kSize);
    layer.Line(FromObject(a.x, a.y), FromObject(b.x, b.y), c);
    CMask interior = hull.Eroded();
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            if (interior.Get(x, y) && layer.Get(x, y).a > 0)
                canvas.Blend(x, y, layer.Get(x, y));
}

Picture Ship(const char* name, const std::vector<std::vector<Point>>& outline, const ShipStyle& style,
             float halfWidth, float axis = 0.0f)
{
    Picture picture{name, CCanvas(kSize, kSize), ScreenMapping::World};
    CMask hull = HullOf(outline);
    picture.canvas.ShadeBody(hull, style.hull, style.outline,
                             [&](int x, int) { return Curvature(x, axis, halfWidth); });
    return picture;
}

const ShipStyle kTriStyle{{205, 52, 48, 255}, {96, 20, 26, 255}, {255, 226, 200, 255}, {255, 176, 64, 255}};
const ShipStyle kCurveStyle{
    {42, 170, 168, 255}, {14, 70, 78, 255}, {210, 250, 240, 255}, {255, 176, 64, 255}};
const ShipStyle kTrekStyle{{186, 192, 204, 255}, {62, 68, 90, 255}, {70, 120, 230, 255}, {90, 220, 255, 255}};
const ShipStyle kXStyle{{226, 172, 40, 255}, {104, 64, 14, 255}, {120, 72, 20, 255}, {255, 120, 48, 255}};
const ShipStyle kYStyle{{74, 180, 84, 255}, {22, 78, 36, 255}, {220, 255, 200, 255}, {255, 176, 64, 255}};
const ShipStyle kTwoStyle{
    {150, 84, 206, 255}, {64, 28, 100, 255}, {238, 210, 255, 255}, {255, 150, 220, 255}};

Picture Triship()
{
    const auto& outline = ShipOutlines()[0].polygons;
    Picture p = Ship("Triship.tga", outline, kTriStyle, 7.0f, -1.0f);
    CMask hull = HullOf(outline);
    Stripe(p.canvas, hull, {-1, -6}, {-1, 7}, WithAlpha(kTriStyle.accent, 150));
    Cockpit(p.canvas, hull, -1.0f, 3.0f, 1.6f, 2.6f);
    Engine(p.canvas, hull, -5.0f, -6.5f, kTriStyle.engine);
    Engine(p.canvas, hull, 3.0f, -6.5f, kTriStyle.engine);
    return p;
}

Picture Curveship()
{
    const auto& outline = ShipOutlines()[1].polygons;
    Picture p = Ship("Curveship.tga", outline, kCurveStyle, 10.0f);
    CMask hull = HullOf(outline);
    Stripe(p.canvas, hull, {-7, -6}, {-7, 3}, WithAlpha(kCurveStyle.accent, 170));
    Stripe(p.canvas, hull, {7, -6}, {7, 3}, WithAlpha(kCurveStyle.accent, 170));
    Cockpit(p.canvas, hull, 0.0f, 2.0f, 3.0f, 2.6f);
    for (float x : {-2.0f, 0.0f, 2.0f})
        Engine(p.canvas, hull, x, -10.5f, kCurveStyle.engine);
    return p;
}

Picture Trekship()
{
    const auto& outline = ShipOutlines()[2].polygons;
    Picture p = Ship("Trekship.tga", outline, kTrekStyle, 9.0f);
    CMask hull = HullOf(outline);
    Stripe(p.canvas, hull, {-8, -4}, {0, 8}, kTrekStyle.accent);
    Stripe(p.canvas, hull, {8, -4}, {0, 8}, kTrekStyle.accent);
    Cockpit(p.canvas, hull, 0.0f, 3.0f, 2.0f, 2.2f);
    Engine(p.canvas, hull, -3.0f, -9.5f, kTrekStyle.engine);
    Engine(p.canvas, hull, 2.0f, -9.5f, kTrekStyle.engine);
    return p;
}

Picture Xship()
{
    const auto& outline = ShipOutlines()[3].polygons;
    Picture p = Ship("Xship.tga", outline, kXStyle, 10.0f);
    CMask hull = HullOf(outline);
    // A raised fuselage between two wings, each wing with a dark gun slot.
    CMask fuselage =
        CMask::Polygon(kSize, kSize, FromObject({{-3, -8}, {3, -8}, {3, 6}, {0, 9}, {-1, 9}, {-3, 6}}));
    Detail(p.canvas, hull, fuselage, Scale(kXStyle.hull, 1.15f));
    Stripe(p.canvas, hull, {-3.5f, -7}, {-3.5f, 5}, kXStyle.accent);
    Stripe(p.canvas, hull, {3.5f, -7}, {3.5f, 5}, kXStyle.accent);
    for (float x : {-7.5f, 7.0f})
        Stripe(p.canvas, hull, {x, -5}, {x, 1}, {70, 40, 12, 255});
    Cockpit(p.canvas, hull, 0.0f, 4.0f, 2.0f, 2.6f);
    for (float x : {-7.0f, -6.0f, 5.0f, 6.0f})
        Engine(p.canvas, hull, x, -7.5f, kXStyle.engine);
    return p;
}

Picture Yship()
{
    const auto& outline = ShipOutlines()[4].polygons;
    Picture p = Ship("Yship.tga", outline, kYStyle, 10.0f);
    CMask hull = HullOf(outline);
    CMask pods = CMask::Polygon(kSize, kSize, FromObject({{-10, -7}, {-6, -7}, {-6, 7}, {-10, 7}}));
    pods |= CMask::Polygon(kSize, kSize, FromObject({{6, -7}, {10, -7}, {10, 7}, {6, 7}}));
    Detail(p.canvas, hull, pods, {50, 128, 60, 255});
    Stripe(p.canvas, hull, {0, -9}, {0, 1}, WithAlpha(kYStyle.accent, 170));
    Stripe(p.canvas, hull, {0, 1}, {-4, 5}, WithAlpha(kYStyle.accent, 170));
    Stripe(p.canvas, hull, {0, 1}, {4, 5}, WithAlpha(kYStyle.accent, 170));
    Cockpit(p.canvas, hull, 0.0f, -4.0f, 1.8f, 1.8f);
    Engine(p.canvas, hull, -8.0f, -6.5f, kYStyle.engine);
    Engine(p.canvas, hull, 7.0f, -6.5f, kYStyle.engine);
    Engine(p.canvas, hull, 0.0f, -10.5f, kYStyle.engine);
    return p;
}

Picture Twoship()
{
    const auto& outline = ShipOutlines()[5].polygons;
    Picture p = Ship("Twoship.tga", outline, kTwoStyle, 9.0f);
    CMask hull = HullOf(outline);
    // The front wing is drawn again on top, so the two stages read apart.
    CMask frontMask = HullOf({outline[1]});
    p.canvas.ShadeBody(frontMask, Scale(kTwoStyle.hull, 1.12f), kTwoStyle.outline,
                       [](int x, int) { return Curvature(x, 0.0f, 5.0f); });
    Cockpit(p.canvas, frontMask, 0.0f, 2.0f, 1.6f, 2.2f);
    Engine(p.canvas, hull, -6.0f, -5.5f, kTwoStyle.engine);
    Engine(p.canvas, hull, 5.0f, -5.5f, kTwoStyle.engine);
    return p;
}
} // namespace

std::vector<Point> FromObject(const std::vector<Point>& points)
{
    std::vector<Point> result;
    for (const Point& p : points)
        result.push_back(FromObject(p.x, p.y));
    return result;
}

std::vector<Picture> MakeShips()
{
    return {Triship(), Curveship(), Trekship(), Xship(), Yship(), Twoship()};
}
