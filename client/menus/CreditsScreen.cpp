#include "client/menus/CreditsScreen.h"

#include <array>

namespace
{
// Loaded with the ship pictures although nothing here draws them, so the
// pictures are in the cache before a game needs them.
constexpr std::array<const char*, 8> kIconTextures = {
    "pup_cloak.tga",  "pup_fuel.tga", "pup_mine.tga",   "pup_missile.tga",
    "pup_plasma.tga", "pup_tank.tga", "pup_triple.tga", "FuelBlockIcon.tga",
};

// A line `drop` units below the top of the screen; headings are green.
struct CreditLine
{
    float drop;
    const char* text;
    bool heading;
};

constexpr std::array<CreditLine, 26> kCredits = {{
    {60, "Quorvex!", true},
    {100, "Created By", true},
    {120, "The Quorvex team", false},
    {160, "Additional Programming", true},
    {180, "The Quorvex team", false},
    {220, "Special Thanks To", true},
    {240, "Everyone who plays Quorvex", false},
    {260, "Everyone who hosts a server", false},
    {280, "Everyone who reports a bug", false},
    {320, "Level Design", true},
    {340, "Caves: the Quorvex team", false},
    {360, "Fear: the Quorvex team", false},
    {380, "HCPlayground: the Quorvex team", false},
    {420, "Testers", true},
    {440, "The Quorvex team", false},
    {460, "The automated test suite", false},
    {480, "Everyone who flew the early builds", false},
    {500, "Everyone who sent a screenshot", false},
    {540, "Hardcore Linear Algebra Guru", true},
    {560, "The Quorvex team", false},
    {600, "Tessaloon Game Production Faculty and Staff", true},
    {620, "The Tessaloon faculty", false},
    {640, "The Tessaloon staff", false},
    {660, "The Tessaloon game production students", false},
    {700, "Sound Effects", true},
    {720, "Made by the game's own sound generator", false},
}};
} // namespace

bool CCreditsScreen::LoadTextures()
{
    bool ships = AddTexturesByName(kShipTextures);
    bool icons = AddTexturesByName(kIconTextures);
    return ships && icons;
}

void CCreditsScreen::DrawContents(float hh)
{
    for (const CreditLine& line : kCredits)
        DrawCentred(hh - line.drop, line.heading ? kMenuGreen : kMenuWhite, line.text);
}
