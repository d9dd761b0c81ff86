#pragma once
#include "framework/core/Matrix3x3.h"

namespace Quib {

// The transform of a drawn item. It keeps a cheap simple form (add the
// pre-translation, then rotate or scale about the origin, then add the
// post-translation) as long as the calls allow, and switches for good to
// the full matrix when they do not.
class DrawTransform {
public:
    Matrix3x3 matrix;        // valid when dirty is clear or matrixForm is set
    bool dirty = true;       // simple fields changed since matrix was built
    bool matrixForm = false; // the transform lives in matrix alone
    bool rotated = false;
    bool scaled = false;
    float preX = 0.0f;
    float preY = 0.0f;
    float postX = 0.0f;
    float postY = 0.0f;
    float scaleX = 1.0f;
    float scaleY = 1.0f;
    float angle = 0.0f;

    DrawTransform() = default;

    void Translate(float x, float y);
    void Scale(float sx, float sy);
    void Rotate(float a);
    // Brings matrix up to date from the simple fields.
    void ToMatrix();
    // Switches to the matrix form once.
    void EnsureMatrixForm();
};

} // namespace Quib
