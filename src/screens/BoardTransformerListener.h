#pragma once

namespace Quib {

// Told by a board transition when it has finished.
class BoardTransformerListener {
public:
    virtual ~BoardTransformerListener() = default;
    virtual void OnTransitionDone() {}
};

} // namespace Quib
