// How the client's pictures fit the window. Every screen is laid out in view
// units, not pixels: the view is always 768 units high, so every player sees
// the same height of the world whatever the window's size, and its width
// follows the window's shape between 5:4 (the squarest full-screen mode the
// game offers) and 16:9. A wider window gets dark bars at the sides, a
// narrower one at the top and bottom, rather than a view that shows one
// player more of the world than another. The origin is at the centre, y
// upwards.
#pragma once

#include "gfx/Graphics.h"

struct ViewSize
{
    int width = 1024;
    int height = 768;
};

constexpr int kViewHeight = 768;

struct ViewLayout
{
    ViewSize units;
    // Where the view lies in the window's drawable, in pixels.
    Viewport pixels;
    float pixelsPerUnit = 1;
};

// The layout for a drawable of this many pixels (each at least 1).
ViewLayout LayoutForWindow(int pixelWidth, int pixelHeight);

// The window's drawable is now this size: the screens' view size and the
// renderer's viewport and projection follow it. Sizes of 0 or less are
// ignored, as a minimised window reports them.
void FitViewToWindow(ViewSize& view, int pixelWidth, int pixelHeight);
