#include "framework/graphics/DrawTransform.h"

namespace Quib {

void DrawTransform::ToMatrix()
{
    if (!dirty)
        return;
    dirty = false;
    matrix = Matrix3x3();
    matrix.m[0][2] = preX;
    matrix.m[1][2] = preY;
    if (scaled) {
        // The simple form keeps no pre-translation while scaled.
        matrix.m[0][0] = scaleX;
        matrix.m[1][1] = scaleY;
    } else if (rotated) {
        matrix.PreRotate(angle);
    }
    if (postX != 0.0f || postY != 0.0f)
        matrix.PreTranslate(postX, postY);
}

void DrawTransform::EnsureMatrixForm()
{
    if (matrixForm)
        return;
    matrixForm = true;
    ToMatrix();
}

void DrawTransform::Translate(float x, float y)
{
    if (matrixForm) {
        matrix.PreTranslate(x, y);
        return;
    }
    dirty = true;
    if (rotated || scaled) {
        postX += x;
        postY += y;
    } else {
        preX += x;
        preY += y;
    }
}

void DrawTransform::Scale(float sx, float sy)
{
    if (matrixForm) {
        matrix.PreScale(sx, sy);
        return;
    }
    // Only a horizontal mirror of an unscaled image stays simple among the
    // negative scales.
    bool refused = rotated || preX != 0.0f || preY != 0.0f || (sx < 0.0f && scaleX * sx != -1.0f) ||
                   sy < 0.0f;
    if (refused) {
        EnsureMatrixForm();
        matrix.PreScale(sx, sy);
        return;
    }
    dirty = true;
    scaled = true;
    scaleX *= sx;
    scaleY *= sy;
}

void DrawTransform::Rotate(float a)
{
    if (matrixForm) {
        matrix.PreRotate(a);
        return;
    }
    if (scaled) {
        EnsureMatrixForm();
        matrix.PreRotate(a);
        return;
    }
    dirty = true;
    rotated = true;
    angle += a;
}

} // namespace Quib
