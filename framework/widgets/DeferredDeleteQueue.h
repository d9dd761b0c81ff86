#pragma once
// Widgets waiting to be deleted until no nested application step runs, so
// that a widget can ask for its own deletion from one of its handlers.

#include <cstddef>
#include <vector>

namespace Quib {

class Widget;

class DeferredDeleteQueue {
public:
    DeferredDeleteQueue() = default;
    DeferredDeleteQueue(const DeferredDeleteQueue&) = delete;
    DeferredDeleteQueue& operator=(const DeferredDeleteQueue&) = delete;
    // Deletes what is still queued.
    ~DeferredDeleteQueue();

    // Detaches the widget from its parent and queues it once.
    void Queue(Widget* widget);
    bool Contains(const Widget* widget) const;
    bool Empty() const { return mQueue.empty(); }
    size_t Size() const { return mQueue.size(); }

    // Marks one application step as running (nested steps nest).
    void EnterStep() { ++mStepDepth; }
    void LeaveStep()
    {
        if (mStepDepth > 0)
            --mStepDepth;
    }
    int StepDepth() const { return mStepDepth; }

    // Deletes the queued widgets, also those queued by the deletions, when
    // no step runs; nothing otherwise.
    void Flush();

private:
    std::vector<Widget*> mQueue;
    int mStepDepth = 0;
};

} // namespace Quib
