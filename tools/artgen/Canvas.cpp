#include "tools/artgen/Canvas.h"

#include <algorithm>
#include <cmath>

namespace
{
uint8_t Clamp(float value)
{
    return uint8_t(std::clamp(std::lround(value), 0L, 255L));
}
} // namespace

Colour Scale(Colour c, float factor)
{
    return {Clamp(c.r * factor), Clamp(c.g * factor), Clamp(c.b * factor), c.a};
}

Colour Mix(Colour a, Colour b, float t)
{
    auto lerp = [t](uint8_t x, uint8_t y) { return Clamp(x + (y - x) * t); };
    return {lerp(a.r, b.r), lerp(a.g, b.g), lerp(a.b, b.b), lerp(a.a, b.a)};
}

Colour WithAlpha(Colour c, uint8_t alpha)
{
    return {c.r, c.g, c.b, alpha};
}

CMask CMask::Where(int width, int height, const std::function<bool(float, float)>& inside)
{
    CMask mask(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            mask.Set(x, y, inside(x + 0.5f, y + 0.5f));
    return mask;
}

CMask CMask::Polygon(int width, int height, const std::vector<Point>& points)
{
    return Where(width, height,
                 [&points](float px, float py)
                 {
                     bool inside = false;
                     for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++)
                     {
                         const Point& a = points[i];
                         const Point& b = points[j];
                         if ((a.y > py) != (b.y > py) && px < (b.x - a.x) * (py - a.y) / (b.y - a.y) + a.x)
                             inside = !inside;
                     }
                     return inside;
                 });
}

CMask CMask::Ellipse(int width, int height, Point centre, float rx, float ry)
{
    return Where(width, height,
                 [=](float px, float py)
                 {
                     float dx = (px - centre.x) / rx, dy = (py - centre.y) / ry;
                     return dx * dx + dy * dy <= 1.0f;
                 });
}

bool CMask::Get(int x, int y) const
{
    return x >= 0 && y >= 0 && x < m_width && y < m_height && m_bits[size_t(y) * m_width + x] != 0;
}

void CMask::Set(int x, int y, bool on)
{
    if (x >= 0 && y >= 0 && x < m_width && y < m_height)
        m_bits[size_t(y) * m_width + x] = on ? 1 : 0;
}

CMask& CMask::operator|=(const CMask& other)
{
    for (size_t i = 0; i < m_bits.size(); ++i)
        m_bits[i] |= other.m_bits[i];
    return *this;
}

CMask& CMask::operator&=(const CMask& other)
{
    for (size_t i = 0; i < m_bits.size(); ++i)
        m_bits[i] &= other.m_bits[i];
    return *this;
}

CMask& CMask::operator-=(const CMask& other)
{
    for (size_t i = 0; i < m_bits.size(); ++i)
        m_bits[i] = m_bits[i] && !other.m_bits[i];
    return *this;
}

CMask CMask::Eroded() const
{
    CMask result(m_width, m_height);
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            result.Set(x, y, Get(x, y) && Get(x - 1, y) && Get(x + 1, y) && Get(x, y - 1) && Get(x, y + 1));
    return result;
}

CMask CMask::Edge() const
{
    CMask edge = *this;
    edge -= Eroded();
    return edge;
}

int CMask::Count() const
{
    return int(std::count(m_bits.begin(), m_bits.end(), 1));
}

Colour CCanvas::Get(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return {};
    return m_pixels[size_t(y) * m_width + x];
}

void CCanvas::Set(int x, int y, Colour c)
{
    if (x >= 0 && y >= 0 && x < m_width && y < m_height)
        m_pixels[size_t(y) * m_width + x] = c;
}

void CCanvas::Blend(int x, int y, Colour c)
{
    Colour under = Get(x, y);
    float sa = c.a / 255.0f, da = under.a / 255.0f;
    float outA = sa + da * (1 - sa);
    if (outA <= 0)
        return;
    auto channel = [&](uint8_t s, uint8_t d) { return Clamp((s * sa + d * da * (1 - sa)) / outA); };
    Set(x, y, {channel(c.r, under.r), channel(c.g, under.g), channel(c.b, under.b), Clamp(outA * 255)});
}

void CCanvas::Fill(const CMask& mask, Colour c)
{
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            if (mask.Get(x, y))
                Blend(x, y, c);
}

void CCanvas::ShadeBody(const CMask& mask, Colour base, Colour outline,
                        const std::function<float(int, int)>& tone)
{
    CMask inner = mask.Eroded();
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
        {
            if (!mask.Get(x, y))
                continue;
            if (!inner.Get(x, y))
            {
                Set(x, y, outline);
                continue;
            }
            float light = 1.0f;
            if (!inner.Get(x - 1, y) || !inner.Get(x, y - 1))
                light = 1.35f;
            else if (!inner.Get(x + 1, y) || !inner.Get(x, y + 1))
                light = 0.72f;
            Set(x, y, Scale(base, light * (tone ? tone(x, y) : 1.0f)));
        }
}

void CCanvas::Line(Point from, Point to, Colour c)
{
    int x0 = int(std::floor(from.x)), y0 = int(std::floor(from.y));
    int x1 = int(std::floor(to.x)), y1 = int(std::floor(to.y));
    int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int error = dx + dy;
    while (true)
    {
        Blend(x0, y0, c);
        if (x0 == x1 && y0 == y1)
            break;
        int twice = 2 * error;
        if (twice >= dy)
        {
            error += dy;
            x0 += sx;
        }
        if (twice <= dx)
        {
            error += dx;
            y0 += sy;
        }
    }
}

void CCanvas::Paste(const CCanvas& source, int x, int y, int zoom)
{
    for (int sy = 0; sy < source.Height() * zoom; ++sy)
        for (int sx = 0; sx < source.Width() * zoom; ++sx)
            Blend(x + sx, y + sy, source.Get(sx / zoom, sy / zoom));
}

CCanvas CCanvas::Shrunk(int factor) const
{
    CCanvas result(m_width / factor, m_height / factor);
    for (int y = 0; y < result.Height(); ++y)
        for (int x = 0; x < result.Width(); ++x)
        {
            float r = 0, g = 0, b = 0, a = 0;
            for (int dy = 0; dy < factor; ++dy)
                for (int dx = 0; dx < factor; ++dx)
                {
                    Colour c = Get(x * factor + dx, y * factor + dy);
                    r += c.r * c.a;
                    g += c.g * c.a;
                    b += c.b * c.a;
                    a += c.a;
                }
            if (a > 0)
                result.Set(x, y,
                           {Clamp(r / a), Clamp(g / a), Clamp(b / a), Clamp(a / float(factor * factor))});
        }
    return result;
}
