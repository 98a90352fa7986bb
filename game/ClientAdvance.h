// The client's own advance of its copy of the world between server updates.
// The server is authoritative: this only moves ships and objects by their
// last known velocities (dead reckoning) while steering each one towards the
// position the server last reported for it, closing the gap the short way
// round the wrapping world. When reports come less often than frames (a
// server sending at a limited rate), each report is first carried forward
// along its velocity by its age and the gap is closed faster; reports that
// come before every frame are followed as they always were. It also brings
// turrets back once their respawn delay has passed, notes the fuel block a
// fuelling ship draws its line to, and deletes objects that went out of play.
#pragma once

#include <cstdint>

class CGameWorld;

// How far a report is carried forward along its velocity at most, so a
// stream that stopped is not extrapolated without end. The server leaves out
// reports of things flying as the client carries them for up to a second
// (its refresh time), so this reaches well beyond that.
constexpr int32_t kMaxReportCarryMs = 1500;

// Advances `world` by `dt` milliseconds (the previous frame's time). When the
// world's update flag is set (a ship was just put into play), everything
// jumps to its reported position instead, and the flag is cleared.
void AdvanceClientWorld(CGameWorld& world, int32_t dt);
