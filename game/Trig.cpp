#include "game/Trig.h"

#include <array>
#include <cmath>

namespace trig
{
namespace
{
struct Tables
{
    std::array<float, 360> sine;
    std::array<float, 360> cosine;
    Tables()
    {
        for (int degree = 0; degree < 360; ++degree)
        {
            double radians = degree * M_PI / 180.0;
            sine[degree] = static_cast<float>(std::sin(radians));
            cosine[degree] = static_cast<float>(std::cos(radians));
        }
    }
};

const Tables& GetTables()
{
    static const Tables tables;
    return tables;
}

int Index(float angle)
{
    int index = static_cast<int>(angle);
    if (index < 0 || index > 359)
        index = static_cast<int>(WrapAngle360(angle));
    return index < 0 || index > 359 ? 0 : index;
}

// Larger angles are reduced with fmod before the game's own loops run.
constexpr float kLoopLimit = 3600.0f;
} // namespace

float Sin(float angle)
{
    return GetTables().sine[Index(angle)];
}

float Cos(float angle)
{
    return GetTables().cosine[Index(angle)];
}

CVector Rotate(const CVector& point, float angle)
{
    float s = Sin(angle), c = Cos(angle);
    return CVector(point.GetX() * c - point.GetY() * s, point.GetX() * s + point.GetY() * c, point.GetZ());
}

CVector Heading(float angle)
{
    return CVector(-Sin(angle), Cos(angle), 0.0);
}

float NormalizeAngle(float angle)
{
    if (!std::isfinite(angle))
        return 0.0f;
    if (std::fabs(angle) > kLoopLimit)
        angle = std::fmod(angle, 360.0f);
    while (angle < 0.0f)
        angle += 360.0f;
    while (angle > 359.0f)
        angle -= 360.0f;
    return angle;
}

float WrapAngle360(float angle)
{
    if (!std::isfinite(angle))
        return 0.0f;
    if (std::fabs(angle) > kLoopLimit)
        angle = std::fmod(angle, 360.0f);
    while (angle >= 360.0f)
        angle -= 360.0f;
    while (angle < 0.0f)
        angle += 360.0f;
    return angle >= 360.0f ? 0.0f : angle; // a tiny negative angle can round up to 360
}

} // namespace trig
