// The geometry a pilot aims and dodges with: headings as the game measures
// them (angle 0 along +y, the heading of angle a being (-sin a, cos a)),
// where a shot meets a moving target, and how close a moving thing comes.
#pragma once

#include "game/Vector.h"

namespace gunnery
{

// The length of a vector's x and y (z ignored); unlike CVector::Length it
// leaves the vector alone.
double PlanarLength(const CVector& v);

// The game angle whose heading points along `direction`, in [0, 360).
float HeadingAngle(const CVector& direction);
// How far to turn from `from` to face `to`, in (-180, 180]: positive means
// the angle must grow (the right-turn key).
float TurnNeeded(float from, float to);

// The time at which a shot leaving the shooter at `shotSpeed` (relative to
// the shooter) meets a target at `offset` moving at `relativeVelocity`
// relative to the shooter; false when the shot can never catch it.
bool InterceptTime(const CVector& offset, const CVector& relativeVelocity, double shotSpeed, double& time);

// The least distance within `horizon` seconds between two things `offset`
// apart whose offset changes at `relativeVelocity`.
double ClosestApproach(const CVector& offset, const CVector& relativeVelocity, double horizon);

// The highest speed from which a ship can still stop within `distance`: it
// may first have to turn about (`turnSeconds`) before braking at `accel`.
double StoppingSpeed(double distance, double accel, double turnSeconds);

} // namespace gunnery
