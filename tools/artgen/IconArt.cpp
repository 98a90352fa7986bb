// The eight powerup pictures: an octagonal badge (the powerup's outline, a
// regular octagon of radius 16 with a corner straight up) in the powerup's
// own colour, holding a pictogram of what it gives.
#include "tools/artgen/Artwork.h"

#include <cmath>
#include <numbers>

namespace
{
constexpr int kSize = 32;
constexpr float kCentre = 16.0f;

CMask Octagon(float radius)
{
    std::vector<Point> points;
    for (int k = 0; k < 8; ++k)
    {
        float a = float(k) * std::numbers::pi_v<float> / 4.0f;
        points.push_back({kCentre + radius * std::sin(a), kCentre - radius * std::cos(a)});
    }
    return CMask::Polygon(kSize, kSize, points);
}

Picture Badge(const char* name, Colour rim)
{
    Picture p{name, CCanvas(kSize, kSize), ScreenMapping::World};
    p.canvas.ShadeBody(Octagon(15.6f), {26, 30, 48, 235}, rim);
    CMask inner = Octagon(14.2f);
    inner -= Octagon(13.2f);
    p.canvas.Fill(inner, WithAlpha(Scale(rim, 0.55f), 200));
    return p;
}

CMask Disc(float x, float y, float r)
{
    return CMask::Ellipse(kSize, kSize, {x, y}, r, r);
}

void ThickLine(CCanvas& c, Point a, Point b, Colour colour)
{
    c.Line(a, b, colour);
    c.Line({a.x + 1, a.y}, {b.x + 1, b.y}, colour);
}

Picture Triple()
{
    Picture p = Badge("pup_triple.tga", {250, 210, 60, 255});
    Point base{16, 24};
    for (Point tip : {Point{9, 11}, Point{16, 8}, Point{23, 11}})
    {
        p.canvas.Line(base, tip, {255, 230, 120, 150});
        p.canvas.ShadeBody(Disc(tip.x + 0.5f, tip.y + 0.5f, 2.2f), {255, 236, 110, 255}, {200, 120, 20, 255});
    }
    p.canvas.Fill(Disc(16.5f, 24.5f, 1.6f), {255, 250, 220, 255});
    return p;
}

// A missile flying to the top right.
Picture Missile()
{
    Picture p = Badge("pup_missile.tga", {240, 84, 64, 255});
    CCanvas& c = p.canvas;
    for (int i = 0; i < 3; ++i)
        c.Line({8.0f + i, 26.0f - i}, {8.0f + i, 26.0f - i},
               Mix(Colour{255, 220, 120, 255}, {255, 80, 20, 120}, i / 2.0f));
    CMask fins = CMask::Polygon(kSize, kSize, {{8, 19}, {13, 19}, {13, 24}});
    c.ShadeBody(fins, {210, 64, 52, 255}, {110, 28, 24, 255});
    CMask body = CMask::Polygon(kSize, kSize, {{10, 20}, {21, 9}, {24, 8}, {23, 11}, {12, 22}});
    c.ShadeBody(body, {228, 230, 238, 255}, {80, 86, 104, 255});
    CMask nose = CMask::Polygon(kSize, kSize, {{19, 10}, {21, 9}, {24, 8}, {23, 11}, {22, 13}});
    nose &= body;
    c.Fill(nose, {236, 64, 52, 255});
    return p;
}

void SpikedBall(CCanvas& c, Colour body, Colour light)
{
    for (int k = 0; k < 8; ++k)
    {
        float a = float(k) * std::numbers::pi_v<float> / 4.0f;
        ThickLine(c, {15.5f + 5 * std::cos(a), 15.5f + 5 * std::sin(a)},
                  {15.5f + 8.5f * std::cos(a), 15.5f + 8.5f * std::sin(a)}, {170, 176, 188, 255});
    }
    c.ShadeBody(Disc(16, 16, 5.8f), body, {30, 32, 40, 255});
    c.Fill(Disc(16, 16, 1.9f), light);
    c.Set(15, 15, {255, 230, 220, 255});
}

Picture Mine()
{
    Picture p = Badge("pup_mine.tga", {255, 146, 40, 255});
    SpikedBall(p.canvas, {96, 100, 116, 255}, {255, 56, 40, 255});
    return p;
}

// A glowing plasma orb with sparks.
Picture Plasma()
{
    Picture p = Badge("pup_plasma.tga", {226, 92, 255, 255});
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
        {
            float d = std::hypot(x + 0.5f - kCentre, y + 0.5f - kCentre) / 8.5f;
            if (d >= 1.0f)
                continue;
            Colour c = d < 0.35f ? Mix(Colour{255, 255, 255, 255}, {255, 150, 255, 255}, d / 0.35f)
                                 : Mix(Colour{255, 150, 255, 255}, {150, 40, 230, 40}, (d - 0.35f) / 0.65f);
            p.canvas.Blend(x, y, c);
        }
    for (Point s : {Point{7, 9}, Point{25, 12}, Point{9, 24}, Point{23, 25}})
    {
        p.canvas.Set(int(s.x), int(s.y), {255, 210, 255, 255});
        p.canvas.Set(int(s.x) + 1, int(s.y), {210, 120, 255, 180});
    }
    return p;
}

// A fuel can with a white plus: a bigger tank.
Picture Tank()
{
    Picture p = Badge("pup_tank.tga", {84, 170, 255, 255});
    CCanvas& c = p.canvas;
    CMask handle = CMask::Polygon(kSize, kSize, {{11, 6}, {19, 6}, {19, 9}, {11, 9}});
    handle -= CMask::Polygon(kSize, kSize, {{13, 7}, {17, 7}, {17, 8}, {13, 8}});
    c.Fill(handle, {150, 40, 30, 255});
    CMask can = CMask::Polygon(kSize, kSize, {{9, 10}, {20, 10}, {23, 13}, {23, 26}, {9, 26}});
    c.ShadeBody(can, {214, 52, 40, 255}, {100, 20, 18, 255});
    CMask cap = CMask::Polygon(kSize, kSize, {{20, 7}, {23, 7}, {23, 11}, {20, 11}});
    c.ShadeBody(cap, {200, 200, 210, 255}, {80, 80, 90, 255});
    CMask plus = CMask::Polygon(kSize, kSize, {{15, 13}, {17, 13}, {17, 23}, {15, 23}});
    plus |= CMask::Polygon(kSize, kSize, {{11, 17}, {21, 17}, {21, 19}, {11, 19}});
    c.Fill(plus, {255, 255, 255, 255});
    return p;
}

// A drop of fuel.
Picture Fuel()
{
    Picture p = Badge("pup_fuel.tga", {92, 232, 110, 255});
    CMask drop = Disc(16, 19.5f, 6.0f);
    drop |= CMask::Polygon(kSize, kSize, {{16, 5}, {21.4f, 17}, {10.6f, 17}});
    p.canvas.ShadeBody(drop, {120, 226, 70, 255}, {30, 96, 30, 255});
    CMask shine = CMask::Ellipse(kSize, kSize, {13.5f, 18.5f}, 1.3f, 2.6f);
    p.canvas.Fill(shine, {230, 255, 210, 255});
    return p;
}

// An eye struck through: unseen.
Picture Cloak()
{
    Picture p = Badge("pup_cloak.tga", {168, 132, 255, 255});
    CCanvas& c = p.canvas;
    CMask eye = CMask::Where(kSize, kSize,
                             [](float x, float y)
                             {
                                 float dx = (x - kCentre) / 10.0f;
                                 return std::fabs(y - kCentre) <= 6.0f * (1.0f - dx * dx);
                             });
    c.ShadeBody(eye, {236, 236, 250, 255}, {90, 70, 160, 255});
    c.ShadeBody(Disc(16, 16, 3.8f), {120, 90, 230, 255}, {60, 40, 130, 255});
    c.Fill(Disc(16, 16, 1.6f), {20, 16, 40, 255});
    c.Set(14, 14, {240, 240, 255, 255});
    for (int i = 0; i < 3; ++i)
        c.Line({8.0f + i, 24.0f}, {23.0f + i, 8.0f},
               i == 1 ? Colour{255, 90, 90, 255} : Colour{40, 10, 20, 255});
    return p;
}

// A pulse: a core and two rings broken at the diagonals.
Picture Repulse()
{
    Picture p = Badge("pup_repulse.tga", {80, 230, 230, 255});
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
        {
            float dx = x + 0.5f - kCentre, dy = y + 0.5f - kCentre;
            float d = std::hypot(dx, dy);
            bool gap = std::fabs(std::fabs(dx) - std::fabs(dy)) < 2.0f;
            if (!gap && std::fabs(d - 10.0f) < 0.8f)
                p.canvas.Set(x, y, {120, 240, 240, 200});
            else if (!gap && std::fabs(d - 6.5f) < 0.8f)
                p.canvas.Set(x, y, {190, 255, 255, 255});
        }
    p.canvas.ShadeBody(Disc(16, 16, 2.9f), {210, 255, 255, 255}, {40, 140, 150, 255});
    return p;
}
} // namespace

std::vector<Picture> MakeIcons()
{
    return {Triple(), Missile(), Mine(), Plasma(), Tank(), Fuel(), Cloak(), Repulse()};
}
