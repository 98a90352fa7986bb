#include "game/Vector.h"

#include <cmath>

// The cached length is only ever read after Length or Normalize refresh it,
// so construction leaves it alone: vectors are made by the thousand per tick.
CVector::CVector(double x, double y, double z) : m_x(x), m_y(y), m_z(z) {}

void CVector::Set(double x, double y, double z)
{
    m_x = x;
    m_y = y;
    m_z = z;
}

double CVector::Length()
{
    m_length = std::sqrt(m_x * m_x + m_y * m_y + m_z * m_z);
    return m_length;
}

void CVector::Normalize()
{
    if (Length() == 0.0)
    {
        Set(0.0, 0.0, 0.0);
        return;
    }
    m_x /= m_length;
    m_y /= m_length;
    m_z /= m_length;
    Length();
}

CVector CVector::operator+(const CVector& other) const
{
    return CVector(m_x + other.m_x, m_y + other.m_y, m_z + other.m_z);
}

CVector CVector::operator-(const CVector& other) const
{
    return CVector(m_x - other.m_x, m_y - other.m_y, m_z - other.m_z);
}

CVector CVector::operator*(double scale) const
{
    return CVector(m_x * scale, m_y * scale, m_z * scale);
}

CVector CVector::operator/(double divisor) const
{
    if (divisor == 0.0)
        return CVector();
    return CVector(m_x / divisor, m_y / divisor, m_z / divisor);
}

double CVector::Dot(const CVector& other) const
{
    return m_x * other.m_x + m_y * other.m_y + m_z * other.m_z;
}
