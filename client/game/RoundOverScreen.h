// The score screen the client shows between rounds, instead of the game
// view, while the server reports the round as over: whether the local ship
// (the world's first player) won, and every player's score from the highest
// down. A tie for first place counts as a win for everyone in it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CGameWorld;

struct ScoreEntry
{
    std::string name;
    int score = 0;
    bool operator==(const ScoreEntry&) const = default;
};

// Names in the score list are cut to this many characters.
constexpr size_t kRoundOverNameLength = 14;

// The world's players, highest score first, equal scores in byte-wise
// ascending order of their (cut) names.
std::vector<ScoreEntry> BuildScoreList(CGameWorld& world);
// Draws the frame's body: "You Won!" in green or "You Lost" in red, then one
// line per player. The caller begins and ends the frame and draws the HUD
// and the console.
void DrawRoundOver(CGameWorld& world);
