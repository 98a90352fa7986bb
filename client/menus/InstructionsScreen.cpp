#include "client/menus/InstructionsScreen.h"

#include "client/menus/KeyLabels.h"
#include "gfx/RenderBackend.h"

#include <array>
#include <string>
#include <vector>

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

// A key's line `drop` units below the top of its column: the player's keys
// for a bindable action, or the fixed key of one that is not bindable.
struct KeyLine
{
    float drop;
    KeyAction action;
    const char* fixedKey;
    const char* text;
};

constexpr std::array<KeyLine, 11> kShipKeys = {{
    {140, KEY_TURN_LEFT, nullptr, "Turn Left"},
    {160, KEY_THRUST, nullptr, "Thrust"},
    {180, KEY_TURN_RIGHT, nullptr, "Turn Right"},
    {220, KEY_SHIELDS, nullptr, "Shields"},
    {240, KEY_FUEL_UP, nullptr, "Fuel Up"},
    {260, KEY_CLOAK, nullptr, "Activate Cloaking Device"},
    {300, KEY_FIRE_BULLET, nullptr, "Fire Bullets"},
    {320, KEY_FIRE_MISSILE, nullptr, "Fire Missiles"},
    {340, KEY_FIRE_MINE, nullptr, "Fire Mines"},
    {360, KEY_FIRE_PLASMA, nullptr, "Fire Plasma Mines"},
    {380, KEY_FIRE_REPULSOR, nullptr, "Fire Repulsor"},
}};

constexpr std::array<KeyLine, 4> kOtherKeys = {{
    {440, KEY_QUIT, "F9", "Quick Exit"},
    {460, KEY_TOGGLE_NAMES, nullptr, "Toggle Player Names"},
    {480, KEY_CHAT, nullptr, "Chat"},
    {500, KEY_MENU, "ESC", "(in-game) Main Menu"},
}};

constexpr KeyLine kSoundKey = {500, KEY_TOGGLE_MUTE, nullptr, "(in-game) Off and On"};

// The keys' column: the longest line ("Activate Cloaking Device" after its
// keys) still ends where the powerups begin on an 800-unit screen. The
// sound's line, in the right column, has the designed narrow one.
constexpr size_t kKeysRoom = 14;
constexpr size_t kSoundKeysRoom = 8;

// The player's first one or two keys for `action`, as many as fit in `room`.
std::string KeysOf(const CBindings& bindings, KeyAction action, size_t room)
{
    std::vector<InputId> keys = bindings.InputsOf(action);
    std::erase_if(keys, [](InputId input) { return !IsKeyInput(input); });
    if (keys.empty())
        return "(none)";
    const std::string two = JoinedInputNames(keys, 2);
    return two.size() <= room ? two : FittedText(JoinedInputNames(keys, 1), room);
}

std::string KeyLineText(const CBindings& bindings, const KeyLine& line, size_t room = kKeysRoom)
{
    std::string keys = line.fixedKey ? line.fixedKey : KeysOf(bindings, line.action, room);
    keys.resize(room + 1, ' ');
    return keys + line.text;
}

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
    DrawLine(rx + 20, hh - kSoundKey.drop, kMenuWhite,
             KeyLineText(m_context.input.Bindings(), kSoundKey, kSoundKeysRoom));
}

void CInstructionsScreen::DrawKeys(float lx, float hh) const
{
    const CBindings& bindings = m_context.input.Bindings();
    DrawLine(lx, hh - 120, kMenuGreen, "Controlling Your Ship");
    for (const KeyLine& line : kShipKeys)
        DrawLine(lx + 20, hh - line.drop, kMenuWhite, KeyLineText(bindings, line));
    DrawLine(lx, hh - 420, kMenuGreen, "Miscellaneous");
    for (const KeyLine& line : kOtherKeys)
        DrawLine(lx + 20, hh - line.drop, kMenuWhite, KeyLineText(bindings, line));
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
