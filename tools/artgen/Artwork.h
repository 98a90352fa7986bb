// The artwork generator's pictures. Each picture is drawn as it is seen on
// screen (top row first) and carries how the game maps its loaded rows to
// the screen, which decides how its file stores them:
//
//  - World pictures (ships, projectiles, turrets, powerups, fuel block) are
//    drawn as 32 x 32 quads whose first loaded row lies at the top of the
//    screen, with object space x to the right and y downwards. So a ship's
//    picture shows ship space directly: pixel (x + 16, y + 16) holds the
//    point (x, y) of its collision outline, nose (+y) at the bottom. These
//    files store their rows bottom first (descriptor 0x08), which the reader
//    turns top row first.
//  - Text: the font's first loaded row lies at the bottom of each glyph on
//    screen. Its file stores rows top first (descriptor 0x28), which the
//    reader turns bottom row first.
//
// Either way an ordinary picture viewer shows the files as the game does.
#pragma once

#include "tools/artgen/Canvas.h"
#include "tools/artgen/TargaWriter.h"

#include <string>
#include <vector>

enum class ScreenMapping
{
    World,
    Text,
};

struct Picture
{
    std::string name;
    CCanvas canvas;
    ScreenMapping mapping = ScreenMapping::World;
};

TargaOrigin OriginFor(ScreenMapping mapping);

// The collision outline of each ship type, in ship space, by picture name.
struct ShipOutline
{
    const char* file;
    std::vector<std::vector<Point>> polygons;
};
const std::vector<ShipOutline>& ShipOutlines();

std::vector<Picture> MakeShips();
std::vector<Picture> MakeEffects();    // shield, cloak, missile, mines, shrapnel
std::vector<Picture> MakeIcons();      // the eight "pup_" pictures
std::vector<Picture> MakeStructures(); // turrets, fuel block and its icon
Picture MakeFont();
// The 64 x 64 window icon (rows top first as loaded, like world pictures).
Picture MakeWindowIcon();
inline constexpr const char* kWindowIconName = "QuorvexIcon.tga";
// The same icon at `size` x `size` for the desktop's menus and launchers
// (top row first; at 64 exactly the window icon).
CCanvas MakeDesktopIcon(int size);
// The sizes desktops look for under share/icons/hicolor/.
inline constexpr int kDesktopIconSizes[] = {16, 32, 48, 64, 128, 256};
std::vector<Picture> MakeAllPictures();

// Ship space (x right, y towards the nose) to canvas pixels of a 32 x 32 quad.
inline Point FromObject(float x, float y)
{
    return {x + 16.0f, y + 16.0f};
}
std::vector<Point> FromObject(const std::vector<Point>& points);
