#include "ai/Gunnery.h"

#include <algorithm>
#include <cmath>

namespace gunnery
{
namespace
{
constexpr double kDegreesPerRadian = 180.0 / 3.14159265358979323846;

double Dot(const CVector& a, const CVector& b)
{
    return a.GetX() * b.GetX() + a.GetY() * b.GetY();
}
} // namespace

double PlanarLength(const CVector& v)
{
    return std::sqrt(v.GetX() * v.GetX() + v.GetY() * v.GetY());
}

float HeadingAngle(const CVector& direction)
{
    double degrees = std::atan2(-direction.GetX(), direction.GetY()) * kDegreesPerRadian;
    return static_cast<float>(degrees < 0 ? degrees + 360.0 : degrees);
}

float TurnNeeded(float from, float to)
{
    float turn = std::fmod(to - from, 360.0f);
    if (turn > 180.0f)
        turn -= 360.0f;
    else if (turn <= -180.0f)
        turn += 360.0f;
    return turn;
}

// |offset + v t| = s t, solved for the smallest t > 0.
bool InterceptTime(const CVector& offset, const CVector& relativeVelocity, double shotSpeed, double& time)
{
    double a = Dot(relativeVelocity, relativeVelocity) - shotSpeed * shotSpeed;
    double b = 2 * Dot(offset, relativeVelocity);
    double c = Dot(offset, offset);
    if (std::fabs(a) < 1e-9)
    {
        if (b >= 0)
            return false;
        time = -c / b;
        return true;
    }
    double discriminant = b * b - 4 * a * c;
    if (discriminant < 0)
        return false;
    double root = std::sqrt(discriminant);
    double early = (-b - root) / (2 * a), late = (-b + root) / (2 * a);
    double first = std::min(early, late), second = std::max(early, late);
    time = first > 0 ? first : second;
    return time > 0;
}

double ClosestApproach(const CVector& offset, const CVector& relativeVelocity, double horizon)
{
    double speedSquared = Dot(relativeVelocity, relativeVelocity);
    double t = speedSquared > 0 ? -Dot(offset, relativeVelocity) / speedSquared : 0;
    t = std::clamp(t, 0.0, horizon);
    double x = offset.GetX() + relativeVelocity.GetX() * t, y = offset.GetY() + relativeVelocity.GetY() * t;
    return std::sqrt(x * x + y * y);
}

// speed * turnSeconds + speed^2 / (2 accel) = distance, for speed.
double StoppingSpeed(double distance, double accel, double turnSeconds)
{
    if (distance <= 0 || accel <= 0)
        return 0;
    double b = turnSeconds;
    return accel * (-b + std::sqrt(b * b + 2 * distance / accel));
}

} // namespace gunnery
