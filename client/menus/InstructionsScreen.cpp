#include "client/menus/InstructionsScreen.h"

#include "gfx/RenderBackend.h"

#include <array>

namespace
{
// Loaded after the ship pictures, so the first of these is texture 7.
constexpr std::array<const char*, 9> kIconTextures = {
    "pup_cloak.tga", "pup_fuel.tga",   "pup_mine.tga",    "pup_missile.tga",   "pup_plasma.tga",
    "pup_tank.tga",  "pup_triple.tga", "pup_repulse.tga", "FuelBlockIcon.tga",
};
enum IconTexture : size_t
{
    kCloakIcon = 7,
    kFuelIcon,
    kMineIcon,
    kMissileIcon,
    kPlasmaIcon,
    kTankIcon,
    kTripleIcon,
    kRepulseIcon,
    kFuelBlockIcon,
};

// A line of text `drop` units below the top of its column.
struct ColumnLine
{
    float drop;
    const char* text;
};

constexpr std::array<ColumnLine, 11> kShipKeys = {{
    {140, "J        Turn Left"},
    {160, "K        Thrust"},
    {180, "L        Turn Right"},
    {220, "D        Shields"},
    {240, "F        Fuel Up"},
    {260, "S        Activate Cloaking Device"},
    {300, "SPACE    Fire Bullets"},
    {320, "V        Fire Missiles"},
    {340, "C        Fire Mines"},
    {360, "E        Fire Plasma Mines"},
    {380, "R        Fire Repulsor"},
}};

constexpr std::array<ColumnLine, 4> kOtherKeys = {{
    {440, "F9       Quick Exit"},
    {460, "F11      Toggle Player Names"},
    {480, "'        Chat"},
    {500, "ESC      (in-game) Return to Main Menu"},
}};

struct PowerupLine
{
    float drop;
    const char* label;
    size_t icon;
};

constexpr std::array<PowerupLine, 8> kPowerups = {{
    {148, "Cloaking Device", kCloakIcon},
    {188, "Extra Fuel Tank", kTankIcon},
    {228, "Full Fuel", kFuelIcon},
    {268, "Triple Shot", kTripleIcon},
    {308, "Homing Missile", kMissileIcon},
    {348, "Mine", kMineIcon},
    {388, "Plasma Mine", kPlasmaIcon},
    {428, "Repulsor", kRepulseIcon},
}};

constexpr RenderColour kGaugeBlack{0, 0, 0, 1};
constexpr RenderColour kGaugeBlue{0, 0, 1, 1};

// An untextured rectangle between the two x and the two y.
void DrawRectangle(float left, float right, float bottom, float top, const RenderColour& colour)
{
    GetRenderBackend().SetColour(colour);
    const RenderVertex quad[4] = {
        {left, bottom, 0, 0, 0}, {right, bottom, 0, 0, 0}, {right, top, 0, 0, 0}, {left, top, 0, 0, 0}};
    GetRenderBackend().DrawQuads(quad, 4);
}
} // namespace

bool CInstructionsScreen::LoadTextures()
{
    bool ships = AddTexturesByName(kShipTextures);
    bool icons = AddTexturesByName(kIconTextures);
    return ships && icons;
}

void CInstructionsScreen::DrawContents(float hh)
{
    float lx = 20 - m_width / 2;
    // The right column starts the width of the longest key line plus 40
    // from the right edge.
    float rx = m_width / 2 - 370;
    DrawCentred(hh - 60, kMenuGreen, "Instructions");
    DrawKeys(lx, hh);
    DrawPowerups(rx, hh);
    DrawFuel(lx, hh);
    // The sound's key under the powerups, where the designed columns leave room.
    DrawLine(rx, hh - 480, kMenuGreen, "Sound");
    DrawLine(rx + 20, hh - 500, kMenuWhite, "M        (in-game) Off and On");
}

void CInstructionsScreen::DrawKeys(float lx, float hh)
{
    DrawLine(lx, hh - 120, kMenuGreen, "Controlling Your Ship");
    for (const ColumnLine& line : kShipKeys)
        DrawLine(lx + 20, hh - line.drop, kMenuWhite, line.text);
    DrawLine(lx, hh - 420, kMenuGreen, "Miscellaneous");
    for (const ColumnLine& line : kOtherKeys)
        DrawLine(lx + 20, hh - line.drop, kMenuWhite, line.text);
}

namespace
{
constexpr float kPowerupLabelOffset = 52;
} // namespace

void CInstructionsScreen::DrawPowerups(float rx, float hh) const
{
    DrawLine(rx, hh - 120, kMenuGreen, "Powerups");
    for (const PowerupLine& powerup : kPowerups)
    {
        float y = hh - powerup.drop;
        DrawPicture(powerup.icon, rx + 26, y + 8);
        // Beside its icon (rx + 10 .. rx + 42): a label on top of the icon
        // could be read by nobody.
        DrawLine(rx + kPowerupLabelOffset, y, kMenuWhite, powerup.label);
    }
}

void CInstructionsScreen::DrawFuel(float lx, float hh) const
{
    DrawLine(lx, hh - 540, kMenuGreen, "Fuel");
    // A sample gauge: white frame, black inside, the blue level most of the way.
    GetRenderBackend().SetTexturing(false);
    DrawRectangle(lx + 20, lx + 200, hh - 561, hh - 549, kMenuWhite);
    DrawRectangle(lx + 21, lx + 199, hh - 560, hh - 550, kGaugeBlack);
    DrawRectangle(lx + 21, lx + 170, hh - 560, hh - 550, kGaugeBlue);
    GetRenderBackend().SetTexturing(true);
    DrawLine(lx + 236, hh - 563, kMenuWhite, "Current Fuel Level");
    DrawPicture(kFuelBlockIcon, lx + 36, hh - 600);
    DrawLine(lx + 236, hh - 608, kMenuWhite, "Fuel Source");
}
