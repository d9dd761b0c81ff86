#pragma once
// A vertical (or horizontal) scroll bar: an arrow button at each end, a
// proportional thumb that can be dragged, page steps on presses beside the
// thumb with auto-repeat while held, and a listener told of every value
// change. The value runs over 0 .. max value - page size.

#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/Widget.h"

namespace Quib {

class Graphics;
class ScrollbuttonWidget;
class ScrollListener;

class ScrollbarWidget : public Widget, public ButtonListener {
public:
    // The listener is not owned and may be null. The bar starts disabled;
    // ClampValue enables it once max value exceeds the page size.
    explicit ScrollbarWidget(ScrollListener* scrollListener);
    ~ScrollbarWidget() override;

    // An arrow button taken out of the bar is no longer the bar's.
    void DetachChild(Widget* widget) override;
    void Update() override;
    void Draw(Graphics& g) override;
    void OnMouseDownButton(int px, int py, int button, int count) override;
    void OnMouseUpButton(int px, int py, int button, int count) override;
    void OnMouseDrag(int px, int py) override;

    // The arrow buttons: 0 steps back, 1 forward.
    void ButtonPress(int buttonId) override;
    void ButtonHeldTick(int buttonId) override;

    // When set, the bar and its buttons are hidden at once, and shown only
    // while the bar is usable.
    virtual void SetInvisibleWhenUnused(bool invisible);
    virtual void SetMaxValue(double newMax);
    virtual void SetPageSize(double newPageSize);
    // Clamped; the listener hears the clamped value once.
    virtual void SetValue(double newValue);
    virtual void SetHorizontal(bool isHorizontal);
    // Sets the bounds and lays the arrow buttons out as squares at the ends.
    virtual void ResizeScrollbar(int newX, int newY, int newWidth, int newHeight);
    // Within 1 of the largest value.
    virtual bool AtEnd();
    virtual void ScrollToEnd();
    virtual void DrawThumb(Graphics& g, int thumbX, int thumbY, int thumbWidth, int thumbHeight);
    // The bar's length between the arrow buttons.
    virtual int TrackLength();
    virtual int ThumbSize();
    virtual int ThumbPosition();
    // Limits the value to 0 .. max - page size, enables (and with
    // invisible-when-unused shows) the bar while it is usable, and tells the
    // listener when the value changed.
    virtual void ClampValue();
    virtual void SetValueFromThumbPos(int position);
    // Along the bar: -1 before the thumb, 1 at or after its end, 0 on it.
    virtual int HitTest(int px, int py);

    // Owned while they are children of the bar; null once taken out.
    ScrollbuttonWidget* upButton;
    ScrollbuttonWidget* downButton;
    bool invisibleWhenUnused = false;
    int32_t id = 0;
    double value = 0.0;
    double maxValue = 0.0;
    double pageSize = 0.0;
    bool horizontal = false;
    bool dragging = false;
    int32_t dragStartThumbPos = 0;
    int32_t dragStartX = 0;
    int32_t dragStartY = 0;
    int32_t heldPart = 0; // 0 none, 1 track before the thumb, 2 after it
    int32_t repeatCounter = 0;
    int32_t lastMouseX = 0;
    int32_t lastMouseY = 0;
    ScrollListener* listener;
    bool fixedThumb = false; // a square thumb as thick as the bar
    int32_t buttonHeldCounter = 0;

private:
    // ClampValue without telling the listener; true when the value changed.
    bool ClampQuietly();
    void Notify();
    int ButtonLength() const;

    // The buttons as the child list holds them, compared after the
    // buttons may be gone.
    Widget* mUpPart;
    Widget* mDownPart;
};

} // namespace Quib
