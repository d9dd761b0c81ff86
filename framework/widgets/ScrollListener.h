#pragma once

namespace Quib {

// Told of every value change of a scroll bar.
class ScrollListener {
public:
    virtual ~ScrollListener() = default;

    virtual void OnScroll(int /*id*/, double /*value*/) {}
};

} // namespace Quib
