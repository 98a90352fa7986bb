// Whole-degree sine and cosine tables. Every rotation in the game uses them,
// indexed by the angle truncated toward zero, so server and client turn
// things identically. Angle 0 points along +y; the heading of angle a is
// (-sin a, cos a).
#pragma once

#include "game/Vector.h"

namespace trig
{

// Sine and cosine of the whole degree trunc(angle); the angle must already lie
// in (-1, 360), as normalised angles do.
float Sin(float angle);
float Cos(float angle);

// (x cos a - y sin a, x sin a + y cos a), z kept.
CVector Rotate(const CVector& point, float angle);
// (-sin a, cos a, 0).
CVector Heading(float angle);

// Brings an angle into the game's range: add 360 while below 0, then subtract
// 360 while above 359 (so 359.5 becomes -0.5). Values that are not finite
// become 0, and huge ones are reduced first so the loops stay short.
float NormalizeAngle(float angle);

// Brings an angle into [0, 360) by whole turns.
float WrapAngle360(float angle);

} // namespace trig
