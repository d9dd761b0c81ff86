#include "src/game/editor/BorderProp.h"

#include "framework/graphics/Graphics.h"

namespace Quib {

BorderProp::BorderProp(PropertyBase* child, const Color& frame, const Color& fill) : frameColor(frame), fillColor(fill)
{
    leftMargin = 4;
    topMargin = 2;
    rightMargin = 4;
    bottomMargin = 2;
    mouseVisible = false;
    AddProperty(child);
}

void BorderProp::Draw(Graphics& g)
{
    if (fillColor.alpha != 0) {
        g.color = fillColor;
        g.FillRectangle(0, 0, width, height);
    }
    if (frameColor.alpha != 0) {
        g.color = frameColor;
        g.OutlineRectangle(0, 0, width - 1, height - 1);
    }
}

} // namespace Quib
