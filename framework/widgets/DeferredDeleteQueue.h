#pragma once
// Widgets waiting to be deleted, so that a widget can ask for its own
// deletion from one of its handlers. Each remembers the step depth it was
// queued at; a flush deletes those of the current depth and deeper ones,
// so widgets queued by an outer step outlive the nested steps.

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

    // Detaches the widget from its parent and queues it once, at the
    // current step depth.
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

    // Deletes, in queue order, the widgets queued at the current step depth
    // or deeper, also those queued by the deletions; all of them when no
    // step runs.
    void Flush();

private:
    struct Entry {
        Widget* widget;
        int depth;
    };
    std::vector<Entry> mQueue;
    int mStepDepth = 0;
};

} // namespace Quib
