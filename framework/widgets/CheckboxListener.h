#pragma once

namespace Quib {

// Told of every change of a check box.
class CheckboxListener {
public:
    virtual ~CheckboxListener() = default;

    virtual void CheckboxChecked(int /*id*/, bool /*checked*/) {}
};

} // namespace Quib
