#pragma once

namespace Quib {

// What a dialog reports to its owner.
class DialogListener {
public:
    virtual ~DialogListener() = default;

    virtual void OnDialogButtonPress(int /*dialogId*/, int /*buttonId*/) {}
    virtual void OnDialogButtonDepress(int /*dialogId*/, int /*buttonId*/) {}
};

} // namespace Quib
