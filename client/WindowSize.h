// The window's drawable size in pixels. Every screen lays itself out for it:
// one unit per pixel, the origin at the centre, y upwards.
#pragma once

struct WindowSize
{
    int width = 1024;
    int height = 768;
};
