#include "framework/widgets/DeferredDeleteQueue.h"

#include "framework/widgets/Widget.h"

#include <algorithm>

namespace Quib {

DeferredDeleteQueue::~DeferredDeleteQueue()
{
    mStepDepth = 0;
    Flush();
}

void DeferredDeleteQueue::Queue(Widget* widget)
{
    if (!widget || Contains(widget))
        return;
    // Queued first: the detach notifications may ask for it again.
    mQueue.push_back(widget);
    if (widget->parent)
        widget->parent->DetachChild(widget);
}

bool DeferredDeleteQueue::Contains(const Widget* widget) const
{
    return std::find(mQueue.begin(), mQueue.end(), widget) != mQueue.end();
}

void DeferredDeleteQueue::Flush()
{
    // One at a time: a destructor may queue (or look for) another widget.
    while (mStepDepth == 0 && !mQueue.empty()) {
        Widget* widget = mQueue.front();
        mQueue.erase(mQueue.begin());
        delete widget;
    }
}

} // namespace Quib
