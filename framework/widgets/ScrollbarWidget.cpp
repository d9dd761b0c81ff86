#include "framework/widgets/ScrollbarWidget.h"

#include "framework/graphics/Graphics.h"
#include "framework/widgets/ScrollListener.h"
#include "framework/widgets/ScrollbuttonWidget.h"

namespace Quib {

namespace {

enum : int { BUTTON_BACK = 0, BUTTON_FORWARD = 1 };
enum : int { HELD_NONE = 0, HELD_BEFORE = 1, HELD_AFTER = 2 };
enum : int { COLOR_TRACK = 0, COLOR_HELD = 1 };

// Frames before a held part or arrow starts repeating, and where the
// counter goes back to after each repeat.
constexpr int kRepeatDelay = 25;
constexpr int kPageRepeatRestart = 20;
constexpr int kArrowRepeatRestart = 24;

} // namespace

ScrollbarWidget::ScrollbarWidget(ScrollListener* scrollListener)
    : upButton(new ScrollbuttonWidget(BUTTON_BACK, this)), downButton(new ScrollbuttonWidget(BUTTON_FORWARD, this)),
      listener(scrollListener), mUpPart(upButton), mDownPart(downButton)
{
    disabled = true;
    upButton->disabled = true;
    downButton->disabled = true;
    AttachChild(upButton);
    AttachChild(downButton);
    SetColor(COLOR_TRACK, Color(232, 232, 232));
    SetColor(COLOR_HELD, Color(48, 48, 48));
}

ScrollbarWidget::~ScrollbarWidget()
{
    // Each deletion detaches the button, which clears its pointer.
    delete upButton;
    delete downButton;
}

void ScrollbarWidget::DetachChild(Widget* widget)
{
    const bool wasChild = ContainsChild(widget);
    Widget::DetachChild(widget);
    if (!wasChild)
        return;
    if (widget == mUpPart)
        upButton = nullptr;
    if (widget == mDownPart)
        downButton = nullptr;
}

int ScrollbarWidget::ButtonLength() const
{
    return upButton ? upButton->width : 0;
}

void ScrollbarWidget::Notify()
{
    if (listener)
        listener->OnScroll(id, value);
}

void ScrollbarWidget::SetInvisibleWhenUnused(bool invisible)
{
    invisibleWhenUnused = invisible;
    if (invisible) {
        SetVisible(false);
        for (ScrollbuttonWidget* button : {upButton, downButton})
            if (button)
                button->SetVisible(false);
    }
}

void ScrollbarWidget::SetMaxValue(double newMax)
{
    maxValue = newMax;
    ClampValue();
    Invalidate();
}

void ScrollbarWidget::SetPageSize(double newPageSize)
{
    pageSize = newPageSize;
    ClampValue();
    Invalidate();
}

void ScrollbarWidget::SetValue(double newValue)
{
    value = newValue;
    ClampQuietly();
    Notify();
    Invalidate();
}

void ScrollbarWidget::SetHorizontal(bool isHorizontal)
{
    horizontal = isHorizontal;
    for (ScrollbuttonWidget* button : {upButton, downButton})
        if (button)
            button->horizontal = isHorizontal;
}

void ScrollbarWidget::ResizeScrollbar(int newX, int newY, int newWidth, int newHeight)
{
    SetBounds(newX, newY, newWidth, newHeight);
    const int side = horizontal ? newHeight : newWidth;
    if (upButton)
        upButton->SetBounds(0, 0, side, side);
    if (downButton) {
        if (horizontal)
            downButton->SetBounds(newWidth - side, 0, side, side);
        else
            downButton->SetBounds(0, newHeight - side, side, side);
    }
}

bool ScrollbarWidget::AtEnd()
{
    return maxValue - pageSize - value <= 1.0;
}

void ScrollbarWidget::ScrollToEnd()
{
    SetValue(maxValue - pageSize);
}

int ScrollbarWidget::TrackLength()
{
    return (horizontal ? width : height) - 2 * ButtonLength();
}

int ScrollbarWidget::ThumbSize()
{
    if (maxValue <= pageSize)
        return 0;
    if (fixedThumb)
        return horizontal ? height : width;
    const int size = int(TrackLength() * pageSize / maxValue + 0.5);
    return size < 8 ? 8 : size;
}

int ScrollbarWidget::ThumbPosition()
{
    if (maxValue <= pageSize)
        return ButtonLength();
    return int((TrackLength() - ThumbSize()) * value / (maxValue - pageSize) + 0.5) + ButtonLength();
}

bool ScrollbarWidget::ClampQuietly()
{
    const double old = value;
    if (value > maxValue - pageSize)
        value = maxValue - pageSize;
    // Also catches NaN, which no comparison above moves.
    if (!(value >= 0.0))
        value = 0.0;

    const bool usable = maxValue > pageSize;
    SetDisabled(!usable);
    for (ScrollbuttonWidget* button : {upButton, downButton})
        if (button)
            button->SetDisabled(!usable);
    if (invisibleWhenUnused) {
        SetVisible(usable);
        for (ScrollbuttonWidget* button : {upButton, downButton})
            if (button)
                button->SetVisible(usable);
    }
    return value != old;
}

void ScrollbarWidget::ClampValue()
{
    if (ClampQuietly())
        Notify();
}

void ScrollbarWidget::SetValueFromThumbPos(int position)
{
    // A thumb that fills its track (or a bar with nothing to scroll) has no
    // position to take a value from.
    const int room = TrackLength() - ThumbSize();
    if (room <= 0 || maxValue <= pageSize)
        return;
    SetValue(double(position - ButtonLength()) * (maxValue - pageSize) / double(room));
}

int ScrollbarWidget::HitTest(int px, int py)
{
    const int along = horizontal ? px : py;
    const int position = ThumbPosition();
    if (along < position)
        return -1;
    if (along >= position + ThumbSize())
        return 1;
    return 0;
}

void ScrollbarWidget::OnMouseDownButton(int px, int py, int /*button*/, int /*count*/)
{
    if (!disabled) {
        switch (HitTest(px, py)) {
        case -1:
            SetValue(value - pageSize);
            heldPart = HELD_BEFORE;
            repeatCounter = 0;
            break;
        case 1:
            SetValue(value + pageSize);
            heldPart = HELD_AFTER;
            repeatCounter = 0;
            break;
        default:
            dragging = true;
            dragStartThumbPos = ThumbPosition();
            dragStartX = px;
            dragStartY = py;
            break;
        }
    }
    lastMouseX = px;
    lastMouseY = py;
}

void ScrollbarWidget::OnMouseDrag(int px, int py)
{
    if (dragging)
        SetValueFromThumbPos(dragStartThumbPos + (horizontal ? px - dragStartX : py - dragStartY));
    lastMouseX = px;
    lastMouseY = py;
}

void ScrollbarWidget::OnMouseUpButton(int /*px*/, int /*py*/, int /*button*/, int /*count*/)
{
    heldPart = HELD_NONE;
    dragging = false;
    Invalidate();
}

void ScrollbarWidget::Update()
{
    Widget::Update();
    if (heldPart == HELD_NONE)
        return;
    const int wanted = heldPart == HELD_BEFORE ? -1 : 1;
    if (HitTest(lastMouseX, lastMouseY) != wanted) {
        heldPart = HELD_NONE;
        Invalidate();
        return;
    }
    if (++repeatCounter >= kRepeatDelay) {
        SetValue(value + wanted * pageSize);
        repeatCounter = kPageRepeatRestart;
    }
}

void ScrollbarWidget::ButtonPress(int buttonId)
{
    buttonHeldCounter = 0;
    SetValue(buttonId == BUTTON_FORWARD ? value + 1.0 : value - 1.0);
}

void ScrollbarWidget::ButtonHeldTick(int buttonId)
{
    if (++buttonHeldCounter >= kRepeatDelay) {
        SetValue(buttonId == BUTTON_FORWARD ? value + 1.0 : value - 1.0);
        buttonHeldCounter = kArrowRepeatRestart;
    }
}

void ScrollbarWidget::DrawThumb(Graphics& g, int thumbX, int thumbY, int thumbWidth, int thumbHeight)
{
    DrawRaisedBevel(g, thumbX, thumbY, thumbWidth, thumbHeight);
}

void ScrollbarWidget::Draw(Graphics& g)
{
    const int t = ThumbSize();
    const int p = ThumbPosition();
    g.color = GetColor(heldPart == HELD_BEFORE ? COLOR_HELD : COLOR_TRACK);
    if (horizontal)
        g.FillRectangle(0, 0, p, height);
    else
        g.FillRectangle(0, 0, width, p);
    if (t > 0) {
        if (horizontal)
            DrawThumb(g, p, 0, t, height);
        else
            DrawThumb(g, 0, p, width, t);
    }
    g.color = GetColor(heldPart == HELD_AFTER ? COLOR_HELD : COLOR_TRACK);
    if (horizontal)
        g.FillRectangle(p + t, 0, width - p - t, height);
    else
        g.FillRectangle(0, p + t, width, height - p - t);
}

} // namespace Quib
