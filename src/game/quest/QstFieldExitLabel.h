#pragma once
#include <string>

namespace Quib {

class QstItemState;

// The label of one exit of a field: the destination's name under the
// exit's highlight.
struct QstFieldExitLabel {
    QstItemState* state = nullptr; // not owned; at most one label per state
    std::u16string text;
    float alpha = 0.0f;
    bool present = true;
    bool hovered = false;
    float hoverLevel = 0.0f;
};

} // namespace Quib
