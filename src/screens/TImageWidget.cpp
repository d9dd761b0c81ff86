#include "src/screens/TImageWidget.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "src/screens/TGameButton.h"

namespace Quib {

TImageWidget::TImageWidget(Image* picture) : image(picture)
{
    SetBounds(0, 0, 0, 0);
}

void TImageWidget::SetBounds(int newX, int newY, int, int)
{
    Widget::SetBounds(newX, newY, image ? image->width : 0, image ? image->height : 0);
}

void TImageWidget::SetBoundsRect(const Rect& r)
{
    SetBounds(r.x, r.y, r.width, r.height);
}

void TImageWidget::Draw(Graphics& g)
{
    if (image)
        g.DrawImageAt(image, 0, 0);
}

bool TImageWidget::AcceptsPoint(int px, int py)
{
    if (px < 0 || py < 0 || px >= width || py >= height)
        return false;
    return PictureOpaqueAt(image, px, py);
}

} // namespace Quib
