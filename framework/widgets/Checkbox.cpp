#include "framework/widgets/Checkbox.h"

#include "framework/graphics/Graphics.h"
#include "framework/widgets/CheckboxListener.h"

namespace Quib {

Checkbox::Checkbox(CheckboxListener* checkboxListener) : listener(checkboxListener)
{
    handCursorOnHover = true;
}

void Checkbox::SetChecked(bool isChecked, bool notify)
{
    checked = isChecked;
    if (notify && listener)
        listener->CheckboxChecked(id, checked);
    Invalidate();
}

bool Checkbox::IsChecked() const
{
    return checked;
}

void Checkbox::Draw(Graphics& g)
{
    if (checkedRect.width == 0 && checkedImage && uncheckedImage) {
        g.DrawImageAt(checked ? checkedImage : uncheckedImage, 0, 0);
        return;
    }
    if (checkedRect.width != 0 && uncheckedImage) {
        g.DrawImagePart(uncheckedImage, 0, 0, checked ? checkedRect : uncheckedRect);
        return;
    }
    // Images given but not enough of them for either look: nothing.
    if (checkedImage || uncheckedImage)
        return;

    g.color = outlineColor;
    g.FillRectangle(0, 0, width, height);
    g.color = innerColor;
    g.FillRectangle(1, 1, width - 2, height - 2);
    if (checked) {
        g.color = checkColor;
        g.DrawLineSegment(1, 1, width - 2, height - 2);
        g.DrawLineSegment(width - 1, 1, 1, height - 2);
    }
}

void Checkbox::OnMouseDownButton(int /*px*/, int /*py*/, int /*button*/, int /*count*/)
{
    checked = !checked;
    if (listener)
        listener->CheckboxChecked(id, checked);
    Invalidate();
}

} // namespace Quib
