#include "client/game/RoundOverScreen.h"

#include "common/Lock.h"
#include "game/Ship.h"
#include "game/World.h"
#include "gfx/Graphics.h"
#include "gfx/RenderBackend.h"

#include <algorithm>

namespace
{
constexpr RenderColour kGreen{0, 1, 0, 1};
constexpr RenderColour kRed{1, 0, 0, 1};

// True when `entry` belongs before `other`: a higher score, or the same
// score and a name that sorts first byte by byte.
bool RanksBefore(const ScoreEntry& entry, const ScoreEntry& other)
{
    if (entry.score != other.score)
        return entry.score > other.score;
    // char_traits<char> compares characters as unsigned bytes.
    return entry.name.compare(other.name) < 0;
}

// Draws `text` centred on x = 0, 5 units left per character.
void DrawCentred(float y, const std::string& text)
{
    DrawText(GetGraphics(), -5.0f * static_cast<float>(text.size()), y, "%s", text.c_str());
}
} // namespace

std::vector<ScoreEntry> BuildScoreList(CGameWorld& world)
{
    CLockGuard guard(world.GetLock());
    std::vector<ScoreEntry> list;
    for (const CShip& ship : world.Players())
    {
        ScoreEntry entry{ship.GetName().substr(0, kRoundOverNameLength), ship.GetFrags()};
        // Before the first entry it outranks; equal entries keep their order.
        auto at = std::find_if(list.begin(), list.end(),
                               [&entry](const ScoreEntry& other) { return RanksBefore(entry, other); });
        list.insert(at, std::move(entry));
    }
    return list;
}

void DrawRoundOver(CGameWorld& world)
{
    const std::vector<ScoreEntry> scores = BuildScoreList(world);
    const CShip* local = world.FirstPlayer();
    const bool won = local && !scores.empty() && local->GetFrags() == scores.front().score;
    CRenderBackend& backend = GetRenderBackend();
    backend.SetTexturing(true);
    backend.SetColour(won ? kGreen : kRed);
    DrawCentred(100, won ? "You Won!" : "You Lost");
    float y = 80;
    for (const ScoreEntry& entry : scores)
    {
        y -= 16;
        DrawText(GetGraphics(), -100, y, "%-15s %4d", entry.name.c_str(), entry.score);
    }
}
