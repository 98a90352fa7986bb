// Drawing helpers of the artwork generator: an RGBA canvas, pixel masks made
// from polygons and circles, and the shading that gives the game's pictures
// their look (a darker outline ring, a light rim towards the top left of the
// screen, a shadow rim towards the bottom right).
//
// Coordinates are canvas pixels, x to the right and y down as the picture is
// seen on screen; the centre of pixel (x, y) is (x + 0.5, y + 0.5).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

struct Colour
{
    uint8_t r = 0, g = 0, b = 0, a = 0;
};

struct Point
{
    float x = 0, y = 0;
};

// Colour arithmetic: scaled brightness (alpha kept), linear mix, and a
// colour with another alpha.
Colour Scale(Colour c, float factor);
Colour Mix(Colour a, Colour b, float t);
Colour WithAlpha(Colour c, uint8_t alpha);

class CMask
{
public:
    CMask(int width, int height) : m_width(width), m_height(height), m_bits(size_t(width) * height, 0) {}

    // Pixels whose centre lies inside the (convex or concave) polygon.
    static CMask Polygon(int width, int height, const std::vector<Point>& points);
    // Pixels whose centre lies within `radius` of the centre (an ellipse when
    // the radii differ).
    static CMask Ellipse(int width, int height, Point centre, float rx, float ry);
    // Pixels for which the test holds at their centre.
    static CMask Where(int width, int height, const std::function<bool(float, float)>& inside);

    bool Get(int x, int y) const;
    void Set(int x, int y, bool on);
    int Width() const { return m_width; }
    int Height() const { return m_height; }

    CMask& operator|=(const CMask& other);
    CMask& operator&=(const CMask& other);
    // Removes the pixels of `other`.
    CMask& operator-=(const CMask& other);
    // The pixels whose four neighbours are all set.
    CMask Eroded() const;
    // The set pixels with an unset neighbour (the one-pixel edge ring).
    CMask Edge() const;
    int Count() const;

private:
    int m_width;
    int m_height;
    std::vector<uint8_t> m_bits;
};

class CCanvas
{
public:
    CCanvas(int width, int height) : m_width(width), m_height(height), m_pixels(size_t(width) * height) {}

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    Colour Get(int x, int y) const;
    void Set(int x, int y, Colour c);
    // Paints `c` over the pixel with its alpha ("over" compositing).
    void Blend(int x, int y, Colour c);
    // Paints every pixel of the mask with `c`.
    void Fill(const CMask& mask, Colour c);
    // A solid body: outline ring in `outline`, inside `base` lit from the top
    // left (a lighter rim) and shaded at the bottom right (a darker rim).
    // `tone`, when given, scales the base colour per pixel (for curvature).
    void ShadeBody(const CMask& mask, Colour base, Colour outline,
                   const std::function<float(int, int)>& tone = nullptr);
    // A one-pixel line between two points (Bresenham over pixel centres).
    void Line(Point from, Point to, Colour c);
    // Copies `source` with its top left corner at (x, y), scaled up by
    // `zoom`, blending over what is there.
    void Paste(const CCanvas& source, int x, int y, int zoom = 1);
    const std::vector<Colour>& Pixels() const { return m_pixels; }
    // The canvas shrunk by a whole factor, each pixel the mean of its block
    // with colour weighted by alpha, so transparent pixels lend the edges no
    // colour (as a desktop shrinks a window icon).
    CCanvas Shrunk(int factor) const;

private:
    int m_width;
    int m_height;
    std::vector<Colour> m_pixels;
};
