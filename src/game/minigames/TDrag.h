#pragma once
#include "framework/core/Point.h"
#include "framework/core/Rect.h"
#include "framework/widgets/WidgetContainer.h"
#include "framework/widgets/WidgetManager.h"
#include "src/game/minigames/ImgPart.h"
#include "src/game/minigames/SPart.h"
#include "src/game/minigames/TDragListener.h"

#include <algorithm>
#include <cstdint>

namespace Quib {

// Makes a part draggable: a left press takes it, moves drag it within the
// bounds (at most 30 % of it outside) and the release drops it; the
// listener is told of each step.
// IsDragging and SetDragBounds override a member of some parts only.
#ifdef __clang__
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Winconsistent-missing-override"
#endif
template <class T>
class TDrag : public T {
public:
    explicit TDrag(TDragListener<T>* dragListener) : listener(dragListener) {}

    void OnMouseDown(int px, int py, ClickCode code) override
    {
        if (this->manager)
            savedHeldButtons = this->manager->buttonsHeld;
        if (draggable && code == CLICK_LEFT && !clickToTake) {
            StartDrag(px, py);
            return;
        }
        T::OnMouseDown(px, py, code);
    }

    void OnMouseUp(int px, int py, ClickCode code) override
    {
        if (!draggable || code != CLICK_LEFT) {
            Widget::OnMouseUp(px, py, code);
            return;
        }
        if (!clickToTake || dragging) {
            Drop(px, py, CLICK_LEFT);
            return;
        }
        if (!this->hovered || !this->manager)
            return;
        StartDrag(px, py);
        this->manager->pressedWidget = this;
        this->manager->buttonsOnPressed = savedHeldButtons != 0 ? savedHeldButtons : 1;
        const Point screen = this->GetScreenPosition();
        grabOffset.x -= screen.x - this->x;
        grabOffset.y -= screen.y - this->y;
    }

    void OnMouseDrag(int px, int py) override
    {
        if (!dragging || !draggable)
            return;
        int nx = this->x + px - grabOffset.x;
        int ny = this->y + py - grabOffset.y;
        if (bounded) {
            if (!boundsSet && this->parent)
                SetDragBounds(Rect(0, 0, this->parent->width, this->parent->height));
            const float w = float(this->width);
            const float h = float(this->height);
            nx = std::max(nx, int(float(dragBounds.x) - 0.3f * w));
            ny = std::max(ny, int(float(dragBounds.y) - 0.3f * h));
            nx = std::min(nx, int(float(dragBounds.x + dragBounds.width) - 0.7f * w));
            ny = std::min(ny, int(float(dragBounds.y + dragBounds.height) - 0.7f * h));
        }
        if (dragging && (nx != takePosition.x || ny != takePosition.y) && listener)
            listener->OnMove(Point(nx, ny), this);
    }

    void SetDraggable(bool on) override { draggable = on; }
    bool IsDragging() const
    {
        return dragging;
    }
    void SetClickToTake(bool on) { clickToTake = on; }

    void StartDrag(int px, int py)
    {
        dragging = true;
        takePosition = Point(this->x, this->y);
        if (listener)
            listener->OnTake(Point(px, py), this);
        grabOffset = Point(px + takePosition.x - this->x, py + takePosition.y - this->y);
        if (this->parent)
            this->parent->PlaceChildAbove(this, nullptr);
    }

    void Drop(int px, int py, ClickCode code)
    {
        dragging = false;
        if (this->x == takePosition.x && this->y == takePosition.y) {
            if (listener)
                listener->OnDrop(this);
            T::OnMouseDown(px, py, code);
            return;
        }
        if (listener && !listener->OnDrop(this))
            this->MoveTo(takePosition.x, takePosition.y);
    }

    bool dragging = false;
    TDragListener<T>* listener = nullptr; // not owned
    Point grabOffset;
    Point takePosition;
    bool clickToTake = false;
    int32_t savedHeldButtons = 0;
    bool bounded = true;
    Rect dragBounds;
    bool boundsSet = false;
    bool draggable = true;

    // The drag bounds; for TDrag<ImgPart> this is its SetDragBounds.
    void SetDragBounds(const Rect& r)
    {
        dragBounds = r;
        boundsSet = true;
    }
};
#ifdef __clang__
#pragma clang diagnostic pop
#endif

} // namespace Quib
