#include "framework/app/MarkerListBox.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/SysFont.h"
#include "framework/widgets/ScrollbarWidget.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/WindowMessages.h"

#include <algorithm>

namespace Quib {

namespace {
enum { kVerticalBarId = 1, kHorizontalBarId = 2 };
} // namespace

MarkerListBox::MarkerListBox()
    : verticalBar(std::make_unique<ScrollbarWidget>(this)), horizontalBar(std::make_unique<ScrollbarWidget>(this))
{
    takesFocus = true;
    verticalBar->id = kVerticalBarId;
    horizontalBar->id = kHorizontalBarId;
    horizontalBar->SetHorizontal(true);
    verticalBar->SetInvisibleWhenUnused(true);
    horizontalBar->SetInvisibleWhenUnused(true);
    AttachChild(verticalBar.get());
    AttachChild(horizontalBar.get());
}

MarkerListBox::~MarkerListBox()
{
    DetachChild(verticalBar.get());
    DetachChild(horizontalBar.get());
}

Font& MarkerListBox::GetFont()
{
    if (!font)
        font = std::make_unique<SysFont>("Tahoma", 8, 0);
    return *font;
}

int MarkerListBox::LineHeight()
{
    return std::max(1, GetFont().Height());
}

int MarkerListBox::VisibleLines()
{
    return std::max(1, (height - kBarThickness) / LineHeight());
}

void MarkerListBox::AddLine(const std::u16string& text, int64_t data)
{
    const int w = GetFont().WidthOfText(std::u16string_view(text), 1.0f, 1.0f, 0.0f);
    lines.push_back({text, data, w});
    extent = std::max(extent, w + 4);
    UpdateBars();
    Invalidate();
}

void MarkerListBox::UpdateBars()
{
    verticalBar->SetMaxValue(double(lines.size()));
    verticalBar->SetPageSize(double(VisibleLines()));
    horizontalBar->SetMaxValue(double(extent));
    horizontalBar->SetPageSize(double(std::max(1, width - kBarThickness)));
}

void MarkerListBox::SetBounds(int newX, int newY, int newWidth, int newHeight)
{
    Widget::SetBounds(newX, newY, newWidth, newHeight);
    verticalBar->ResizeScrollbar(newWidth - kBarThickness, 0, kBarThickness,
                                 std::max(0, newHeight - kBarThickness));
    horizontalBar->ResizeScrollbar(0, newHeight - kBarThickness, std::max(0, newWidth - kBarThickness),
                                   kBarThickness);
    UpdateBars();
}

int MarkerListBox::LineAt(int px, int py) const
{
    if (px < 0 || py < 0 || px >= width - kBarThickness || py >= height - kBarThickness)
        return -1;
    const int lineHeight = std::max(1, font ? font->Height() : 1);
    const int64_t index = int64_t(topLine) + py / lineHeight;
    return index < int64_t(lines.size()) ? int(index) : -1;
}

void MarkerListBox::Draw(Graphics& g)
{
    g.color = Color(255, 255, 255);
    g.FillRectangle(0, 0, width, height);
    g.color = Color(128, 128, 128);
    g.OutlineRectangle(0, 0, width, height);
    Font& f = GetFont();
    g.font = &f;
    const int lineHeight = LineHeight();
    const int visible = VisibleLines();
    g.SaveState();
    g.NarrowClip(1, 1, std::max(0, width - kBarThickness - 1), std::max(0, height - kBarThickness - 1));
    for (int i = 0; i <= visible; ++i) {
        const int64_t index = int64_t(topLine) + i;
        if (index >= int64_t(lines.size()))
            break;
        const int y = i * lineHeight;
        if (index == selected) {
            g.color = Color(0, 84, 166);
            g.FillRectangle(0, y, width - kBarThickness, lineHeight);
            g.color = Color(255, 255, 255);
        } else {
            g.color = Color(0, 0, 0);
        }
        g.DrawText(lines[size_t(index)].text, 2 - scrollX, y + f.Ascent());
    }
    g.RestoreState();
}

bool MarkerListBox::TakesFocus()
{
    return true;
}

void MarkerListBox::OnMouseDownButton(int px, int py, int button, int count)
{
    if (manager)
        manager->SetFocusWidget(this);
    if (button != 0)
        return;
    const int index = LineAt(px, py);
    if (index < 0)
        return;
    if (selected != index) {
        selected = index;
        Invalidate();
    }
    if (count == 2 && onDoubleClick)
        onDoubleClick(index);
}

void MarkerListBox::OnMouseWheel(int delta)
{
    verticalBar->SetValue(verticalBar->value - double(delta / WHEEL_DELTA) * 3.0);
}

void MarkerListBox::OnKeyDown(int key)
{
    if (key == VK_UP || key == VK_DOWN) {
        const int count = int(lines.size());
        if (count == 0)
            return;
        selected = std::clamp(selected + (key == VK_UP ? -1 : 1), 0, count - 1);
        if (selected < topLine)
            verticalBar->SetValue(selected);
        else if (selected >= topLine + VisibleLines())
            verticalBar->SetValue(selected - VisibleLines() + 1);
        Invalidate();
        return;
    }
    if (onKey)
        onKey(key);
}

void MarkerListBox::OnScroll(int id, double value)
{
    if (id == kVerticalBarId)
        topLine = std::max(0, int(value));
    else
        scrollX = std::max(0, int(value));
    Invalidate();
}

} // namespace Quib
