#pragma once

namespace Quib {

// Told of a slider's value (0 to 1) while it is dragged and on release.
class SliderListener {
public:
    virtual ~SliderListener() = default;

    virtual void SliderValueChanged(int /*id*/, double /*value*/) {}
};

} // namespace Quib
