#include "framework/core/Matrix3x3.h"

#include <cmath>

namespace Quib {

namespace {

// Sine and cosine in double precision from the float angle, stored as floats.
void SinCos(float angle, float& s, float& c)
{
    s = static_cast<float>(std::sin(static_cast<double>(angle)));
    c = static_cast<float>(std::cos(static_cast<double>(angle)));
}

Matrix3x3 Rotation(float s, float c)
{
    Matrix3x3 r;
    r.m[0][0] = c;
    r.m[0][1] = s;
    r.m[1][0] = -s;
    r.m[1][1] = c;
    return r;
}

} // namespace

Matrix3x3::Matrix3x3()
{
    for (auto& row : m)
        for (float& v : row)
            v = 0.0f;
    m[0][0] = m[1][1] = m[2][2] = 1.0f;
}

Matrix3x3 Matrix3x3::Product(const Matrix3x3& a, const Matrix3x3& b)
{
    Matrix3x3 out;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            float sum = 0.0f;
            for (int k = 0; k < 3; ++k)
                sum += a.m[r][k] * b.m[k][c];
            out.m[r][c] = sum;
        }
    return out;
}

Matrix3x3 Matrix3x3::Translation(float tx, float ty)
{
    Matrix3x3 t;
    t.m[0][2] = tx;
    t.m[1][2] = ty;
    return t;
}

Matrix3x3 Matrix3x3::Scaling(float sx, float sy)
{
    Matrix3x3 s;
    s.m[0][0] = sx;
    s.m[1][1] = sy;
    return s;
}

void Matrix3x3::PreTranslate(float tx, float ty)
{
    *this = Product(Translation(tx, ty), *this);
}

void Matrix3x3::PreScale(float sx, float sy)
{
    *this = Product(Scaling(sx, sy), *this);
}

void Matrix3x3::PreRotate(float angle)
{
    float s, c;
    SinCos(angle, s, c);
    *this = Product(Rotation(s, c), *this);
}

void Matrix3x3::MultiplyInPlace(const Matrix3x3& n)
{
    *this = Product(*this, n);
}

void Matrix3x3::PostRotate(float angle)
{
    float s, c;
    SinCos(angle, s, c);
    MultiplyInPlace(Rotation(-s, c));
}

void Matrix3x3::Copy(const Matrix3x3& source)
{
    *this = source;
}

bool Matrix3x3::operator==(const Matrix3x3& other) const
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            if (m[r][c] != other.m[r][c])
                return false;
    return true;
}

bool TransformPoint3x3(const Matrix3x3& matrix, TPoint<float>& p)
{
    const float v[3] = {p.x, p.y, 1.0f};
    float out[3];
    for (int c = 0; c < 3; ++c)
        out[c] = v[0] * matrix.m[0][c] + v[1] * matrix.m[1][c] + v[2] * matrix.m[2][c];
    if (out[2] == 0.0f || std::isnan(out[2]))
        return false;
    p.x = out[0] / out[2];
    p.y = out[1] / out[2];
    return true;
}

} // namespace Quib
