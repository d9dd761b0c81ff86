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
    mQueue.push_back({widget, mStepDepth});
    if (widget->parent)
        widget->parent->DetachChild(widget);
}

bool DeferredDeleteQueue::Contains(const Widget* widget) const
{
    return std::any_of(mQueue.begin(), mQueue.end(), [widget](const Entry& e) { return e.widget == widget; });
}

void DeferredDeleteQueue::Flush()
{
    // One at a time: a destructor may queue (or look for) another widget.
    for (;;) {
        const auto due = std::find_if(mQueue.begin(), mQueue.end(),
                                      [this](const Entry& e) { return e.depth >= mStepDepth; });
        if (due == mQueue.end())
            return;
        Widget* widget = due->widget;
        mQueue.erase(due);
        delete widget;
    }
}

} // namespace Quib
