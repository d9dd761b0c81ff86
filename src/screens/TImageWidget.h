#pragma once
#include "framework/widgets/Widget.h"

namespace Quib {

class Image;

// One picture, hit only on its opaque pixels; always the picture's size.
class TImageWidget : public Widget {
public:
    explicit TImageWidget(Image* picture);

    // Takes the position; the size is the picture's (0 by 0 without one).
    void SetBounds(int newX, int newY, int newWidth, int newHeight) override;
    void SetBoundsRect(const Rect& r) override;
    void Draw(Graphics& g) override;
    bool AcceptsPoint(int px, int py) override;

    Image* image = nullptr; // not owned
};

} // namespace Quib
