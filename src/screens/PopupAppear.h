#pragma once

namespace Quib {

class DarkBack;
class Widget;

// The appear progress a popup keeps: it opens from 0 toward 1 and, once
// closed, shrinks back to 0, where the popup deletes itself.
class PopupAppear {
public:
    // One update of the popup: steps the progress; at 0 after a close the
    // popup is detached and queued for deletion. True when that happened.
    bool Update(Widget& popup);
    // Asks the popup to close; its backdrop fades out with it and deletes
    // itself (the popup forgets it then).
    void Close();

    float progress = 0.0f;
    float target = 1.0f;
    DarkBack* darkBack = nullptr; // not owned: a sibling that deletes itself
};

} // namespace Quib
