// Turrets (alive and dead, four facings) and the fuel block with its icon.
// A turret's mount sits on the cell edge behind it and its barrel points the
// way it faces; "up" is towards the top of the screen. The four facings are
// drawn from one design in a local frame (forward, sideways), so the light
// still falls from the top left of the screen on every one of them.
#include "tools/artgen/Artwork.h"

#include <cmath>

namespace
{
constexpr int kSize = 32;

struct Frame
{
    Point forward;
    Point side;
    // Local (sideways a, forward b) to canvas pixels.
    Point At(float a, float b) const
    {
        return {16.0f + a * side.x + b * forward.x, 16.0f + a * side.y + b * forward.y};
    }
    CMask Polygon(const std::vector<Point>& local) const
    {
        std::vector<Point> points;
        for (const Point& p : local)
            points.push_back(At(p.x, p.y));
        return CMask::Polygon(kSize, kSize, points);
    }
};

struct Facing
{
    const char* name;
    Frame frame;
};

const Facing kFacings[] = {
    {"up", {{0, -1}, {1, 0}}},
    {"right", {{1, 0}, {0, 1}}},
    {"down", {{0, 1}, {-1, 0}}},
    {"left", {{-1, 0}, {0, -1}}},
};

// Scorch marks of a destroyed turret: a fixed scatter, so files stay stable.
bool Scorched(int x, int y)
{
    return ((x * 7 + y * 13) ^ (x * y)) % 5 == 0;
}

Picture Turret(const Facing& facing, bool alive)
{
    std::string name = std::string("turret_") + (alive ? "ok_" : "dead_") + facing.name + ".tga";
    Picture p{name, CCanvas(kSize, kSize), ScreenMapping::World};
    CCanvas& c = p.canvas;
    const Frame& f = facing.frame;
    CMask mount = f.Polygon({{-15, -16}, {15, -16}, {7, -5}, {-7, -5}});
    c.ShadeBody(mount, alive ? Colour{84, 92, 110, 255} : Colour{58, 54, 52, 255}, {30, 32, 40, 255});
    CMask barrel = alive ? f.Polygon({{-1.6f, 0}, {1.6f, 0}, {1.6f, 12}, {-1.6f, 12}})
                         : f.Polygon({{-1.6f, 0}, {1.6f, 0}, {1.6f, 4}, {0.5f, 6}, {-1.6f, 5}});
    c.ShadeBody(barrel, alive ? Colour{176, 184, 198, 255} : Colour{70, 64, 60, 255}, {36, 38, 48, 255});
    CMask dome = CMask::Ellipse(kSize, kSize, f.At(0, -3), 6.0f, 6.0f);
    c.ShadeBody(dome, alive ? Colour{140, 150, 172, 255} : Colour{84, 74, 68, 255}, {36, 38, 48, 255});
    if (alive)
    {
        Point light = f.At(0, -3);
        c.Fill(CMask::Ellipse(kSize, kSize, light, 1.9f, 1.9f), {255, 60, 50, 255});
        c.Set(int(light.x) - 1, int(light.y) - 1, {255, 200, 190, 255});
        return p;
    }
    CMask burnt = dome;
    burnt |= mount;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            if (burnt.Get(x, y) && Scorched(x, y))
                c.Set(x, y, {24, 22, 22, 255});
    Point ember = f.At(1, -3);
    c.Set(int(ember.x), int(ember.y), {255, 130, 40, 255});
    c.Set(int(ember.x) - 2, int(ember.y) + 1, {200, 80, 30, 255});
    return p;
}

// A fuel depot: a bevelled steel frame, hazard stripes, and a glass tank of
// glowing fuel, drawn into the square of `size` pixels at (x0, y0).
void FuelDepot(CCanvas& c, int x0, int y0, int size)
{
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
        {
            int edge = std::min(std::min(x, y), std::min(size - 1 - x, size - 1 - y));
            Colour steel{100, 108, 126, 255};
            if (edge < 3)
                steel = (x < size - 1 - y) ? Scale(steel, x <= y ? 1.25f : 1.35f) : Scale(steel, 0.62f);
            else
                steel = {30, 36, 46, 255};
            if (edge == 0)
                steel = {40, 44, 56, 255};
            bool band = edge >= 3 && (y - 3 < 3 || size - 4 - y < 3);
            if (band)
                steel = ((x + y) / 3) % 2 == 0 ? Colour{240, 196, 40, 255} : Colour{34, 30, 28, 255};
            c.Set(x0 + x, y0 + y, steel);
        }
    for (Point r : {Point{1.5f, 1.5f}, Point{size - 2.5f, 1.5f}, Point{1.5f, size - 2.5f},
                    Point{size - 2.5f, size - 2.5f}})
        c.Set(x0 + int(r.x), y0 + int(r.y), {200, 206, 220, 255});
    int left = x0 + size / 3, right = x0 + size - 1 - size / 3, top = y0 + 7, bottom = y0 + size - 8;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
        {
            bool rim = x == left || x == right || y == top || y == bottom;
            float level = float(y - top) / float(bottom - top);
            Colour fuel = Mix(Colour{190, 255, 120, 255}, Colour{40, 170, 50, 255}, level);
            Colour glass{60, 80, 90, 255};
            Colour pixel = rim ? Colour{170, 200, 210, 255} : (level > 0.25f ? fuel : glass);
            c.Set(x, y, pixel);
        }
    c.Set(left + 2, top + (bottom - top) / 2, {235, 255, 220, 255});
    c.Set(left + 3, bottom - 3, {235, 255, 220, 255});
    c.Set(right - 2, top + (bottom - top) * 2 / 3, {235, 255, 220, 255});
    for (int y = top + 1; y < bottom; ++y)
        c.Set(left + 1, y, Scale(c.Get(left + 1, y), 1.3f));
}

Picture FuelBlock()
{
    Picture p{"FuelBlock.tga", CCanvas(kSize, kSize), ScreenMapping::World};
    FuelDepot(p.canvas, 0, 0, kSize);
    return p;
}

// The depot a little smaller, in a green glow: what refuels a ship.
Picture FuelBlockIcon()
{
    Picture p{"FuelBlockIcon.tga", CCanvas(kSize, kSize), ScreenMapping::World};
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
        {
            float d = std::max(std::fabs(x + 0.5f - 16.0f), std::fabs(y + 0.5f - 16.0f));
            if (d > 12.5f && d < 16.0f)
                p.canvas.Set(x, y, {90, 255, 110, uint8_t(150 * (16.0f - d) / 3.5f)});
        }
    FuelDepot(p.canvas, 3, 3, 26);
    return p;
}
} // namespace

std::vector<Picture> MakeStructures()
{
    std::vector<Picture> pictures;
    for (const Facing& facing : kFacings)
    {
        pictures.push_back(Turret(facing, true));
        pictures.push_back(Turret(facing, false));
    }
    pictures.push_back(FuelBlock());
    pictures.push_back(FuelBlockIcon());
    return pictures;
}
