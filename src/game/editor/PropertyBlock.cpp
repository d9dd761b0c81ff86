#include "src/game/editor/PropertyBlock.h"

#include "framework/graphics/Graphics.h"
#include "src/GameResources.h"

namespace Quib {

PropertyBlock::PropertyBlock(const std::u16string& blockTitle, bool isCollapsed, bool isIndented)
    : title(blockTitle), collapsed(isCollapsed), contentTopMargin(topMargin), font(FONT_DEFAULT),
      indented(isIndented)
{
}

void PropertyBlock::AddProperty(PropertyBase* child)
{
    PropertyBase::AddProperty(child);
    if (child && collapsed)
        child->SetVisible(false);
}

void PropertyBlock::LayoutAll(int newX, int newY, int newWidth)
{
    Graphics measure;
    measure.font = font;
    const int textHeight = measure.MeasureWrappedText(newWidth - headerRightPad - headerLeftPad, title, -1, nullptr);
    headerHeight = textHeight + headerBottomPad + headerTopPad;
    topMargin = headerHeight + contentTopMargin;
    PropertyBase::LayoutAll(newX, newY, newWidth);
}

void PropertyBlock::UpdateHeight()
{
    if (collapsed)
        height = headerHeight;
    else
        PropertyBase::UpdateHeight();
}

void PropertyBlock::GetIndent(int& left, int& right)
{
    if (indented) {
        left = 2;
        right = 2;
    }
}

void PropertyBlock::SetCollapsed(bool value)
{
    if (value == collapsed)
        return;
    collapsed = value;
    for (PropertyBase* child : properties)
        child->SetVisible(!value);
    UpdateHeight();
    NotifyResized();
}

void PropertyBlock::OnMouseDownButton(int, int, int, int)
{
    SetCollapsed(!collapsed);
}

bool PropertyBlock::AcceptsPoint(int, int py)
{
    return py < headerHeight;
}

void PropertyBlock::Draw(Graphics& g)
{
    g.font = font;
    g.color = Color(0xff888888u);
    g.FillRectangle(0, 0, width, headerHeight);
    g.OutlineRectangle(0, 0, width - 1, height - 1);
    g.color = Color(0, 0, 0, 255);
    g.DrawWrappedText(title, Rect(headerLeftPad, headerTopPad, width - headerRightPad - headerLeftPad, headerHeight),
                      -1, 0, nullptr);
    const int m = (headerHeight - 10) / 2;
    g.FillRectangle(5, m + 4, 10, 2);
    if (!collapsed)
        g.FillRectangle(9, m, 2, 10);
}

} // namespace Quib
