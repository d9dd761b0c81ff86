#pragma once
#include "framework/core/Point.h"

namespace Quib {

// Told by a draggable part (TDrag) that it was taken, should move and was
// dropped.
template <class T>
class TDragListener {
public:
    virtual ~TDragListener() = default;
    // point: the mouse inside the part.
    virtual void OnTake(const Point& point, T* part)
    {
        (void)point;
        (void)part;
    }
    // point: the part's new position in its parent.
    virtual void OnMove(const Point& point, T* part) { part->SetBounds(point.x, point.y, part->width, part->height); }
    // False sends the part back to where it was taken.
    virtual bool OnDrop(T* part)
    {
        (void)part;
        return true;
    }
};

} // namespace Quib
