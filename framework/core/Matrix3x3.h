#pragma once
#include "framework/core/Point.h"

namespace Quib {

// A 2-D affine or projective transform acting on column vectors (x, y, 1):
// x' = m[0][0] x + m[0][1] y + m[0][2], and so on; a translation sits in
// m[0][2] and m[1][2]. "Pre" operations apply after the current transform
// (M := A x M). Angles are in radians.
class Matrix3x3 {
public:
    float m[3][3];

    // Identity.
    Matrix3x3();

    static Matrix3x3 Product(const Matrix3x3& a, const Matrix3x3& b);
    static Matrix3x3 Translation(float tx, float ty);
    static Matrix3x3 Scaling(float sx, float sy);

    void PreTranslate(float tx, float ty);
    void PreScale(float sx, float sy);
    // With y pointing down the screen, a positive angle turns
    // counter-clockwise: (1, 0) goes to (cos a, -sin a).
    void PreRotate(float angle);
    // M := M x n.
    void MultiplyInPlace(const Matrix3x3& n);
    // M := M x R(a) transposed: the same rotation as PreRotate for callers
    // that transform row vectors with TransformPoint3x3.
    void PostRotate(float angle);
    void Copy(const Matrix3x3& source);

    bool operator==(const Matrix3x3& other) const;
};

// p := (p.x, p.y, 1) x M, divided by the resulting w. When w is 0 (or not a
// number) p is left as it was and the result is false.
bool TransformPoint3x3(const Matrix3x3& matrix, TPoint<float>& p);

} // namespace Quib
