// CVector is the vector of every position, velocity and acceleration in the
// game world. It holds three doubles and a cached length. The game uses x and
// y: positions carry z = 1 and velocities z = 0, so that the difference of two
// positions and the dot product of such a difference with a velocity see only
// x and y.
//
// The cached length is refreshed by Length and Normalize only; construction
// and the setters leave it alone, so a caller that needs the length asks
// Length.
#pragma once

class CVector
{
public:
    CVector() = default;
    CVector(double x, double y, double z);
    CVector(const CVector&) = default;
    CVector& operator=(const CVector&) = default;
    virtual ~CVector() = default;

    void Set(double x, double y, double z);
    void SetX(double x) { m_x = x; }
    void SetY(double y) { m_y = y; }
    void SetZ(double z) { m_z = z; }
    double GetX() const { return m_x; }
    double GetY() const { return m_y; }
    double GetZ() const { return m_z; }

    // Recomputes, stores and returns the length.
    double Length();
    // Scales the vector to length 1; a zero vector stays (0, 0, 0).
    void Normalize();

    CVector operator+(const CVector& other) const;
    CVector operator-(const CVector& other) const;
    CVector operator*(double scale) const;
    // Division by 0 gives (0, 0, 0) rather than infinities.
    CVector operator/(double divisor) const;
    double Dot(const CVector& other) const;

private:
    double m_x = 0.0;
    double m_y = 0.0;
    double m_z = 0.0;
    double m_length = 0.0;
};
