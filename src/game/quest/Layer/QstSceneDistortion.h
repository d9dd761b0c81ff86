#pragma once
#include "framework/core/Point.h"
#include "framework/core/Rect.h"

#include <cstdint>

namespace Quib {

class Graphics;
class Image;
struct Rect;

// The scene's rippling mesh: image, animation and sea layers of a scene
// that asks for it draw through it. The scene advances its time.
class QstSceneDistortion {
public:
    // The screen area that ripples (the application's size).
    QstSceneDistortion(int32_t screenWidth, int32_t screenHeight);

    void Advance(float seconds) { time += seconds; }
    // A screen point moved by the waves; f scales the amplitude, o offsets
    // the time. Points on the screen's edges keep that coordinate.
    TPoint<float> Distort(float x, float y, float f = 1.0f, float o = 0.0f) const;
    // Draws the whole image stretched over the rectangle (Graphics
    // coordinates) as a 5 x 5 mesh of distorted cells, packed ARGB colour.
    void DrawImage(Graphics& g, Image* image, uint32_t color, const Rect& dest) const;

    static constexpr int kCells = 5;

    float time = 0.0f;
    int32_t width = 1024;
    int32_t height = 768;
    int32_t columns = 10;
    int32_t rows = 10;
    float speed = 1.0f;
    float amplitude = 2.0f;
    // Screen area drawn over by opaque pixels later in the frame: cells
    // wholly inside it are left out. Set around a field's drawing.
    Rect hidden;
};

} // namespace Quib
