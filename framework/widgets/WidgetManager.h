#pragma once
// The root of the widget tree: input dispatch (mouse, buttons, drag, wheel,
// keys, characters), hover, press and focus, the modal-layer stack, the
// per-frame update walk and the dirty-flag drawing of the screen.

#include "framework/core/Rect.h"
#include "framework/widgets/WidgetContainer.h"
#include "framework/widgets/WidgetFlags.h"

#include <cstdint>
#include <list>
#include <vector>

namespace Quib {

class Graphics;
class Image;
class Widget;
class WidgetApp;

class WidgetManager : public WidgetContainer {
public:
    explicit WidgetManager(WidgetApp* application);
    ~WidgetManager() override;

    void OnChildDetached(Widget* widget) override;
    void SetFocusWidget(Widget* widget) override;

    // Input, in application coordinates (see ScaleMousePoint).
    bool HandleMouseMove(int px, int py);
    bool HandleMouseDown(int px, int py, ClickCode code);
    bool HandleMouseUp(int px, int py, ClickCode code);
    bool HandleMouseDrag(int px, int py);
    bool HandleMouseExit();
    void HandleMouseWheel(int delta);
    bool HandleKeyDown(int key);
    bool HandleKeyUp(int key);
    bool HandleKeyChar(char16_t ch);
    // Window pixels to application coordinates; a coordinate is left as it
    // is while the window rectangle has no size on its axis.
    void ScaleMousePoint(int& px, int& py) const;
    // Sends the mouse-ups still owed to the pressed widget.
    void ReleaseHeldButtons();
    void OnAppFocusLost();
    void OnAppFocusGained();

    // One update walk; true when something needs drawing.
    bool UpdateFrame();
    // Draws the dirty top-level widgets into the screen image; true when
    // one was drawn.
    bool DrawScreen();

    // Modal layers: everything drawn beneath the base gets the below-base
    // mod (by default: no mouse, no focus). A widget outside this tree
    // opens none.
    void PushModalLayer(Widget* widget);
    void PushModalLayer(Widget* widget, const WidgetFlagsMod& mod);
    void PopModalLayer(Widget* widget);
    void ApplyModalLayer(Widget* base, const WidgetFlagsMod& mod);

    // The enabled widget under (x, y), with the point relative to it.
    Widget* GetWidgetAt(int px, int py, int* localX, int* localY);
    void SetMousePosition(int px, int py);
    // Re-evaluates the hover after a layout change.
    void RehoverMouse();
    void ClosePopup();
    bool IsLeftButtonHeld() const;
    // Whether the key (0..254) is down.
    bool IsKeyDown(int key) const;
    int32_t GetEffectiveFlags() const;
    void InitTreeWalkFlags(TreeWalkFlags& flags) const;
    // Asks for the widget's DrawOverlayAt(priority) during the current
    // screen pass, after the widgets of lower overlay priority.
    void AddDeferredOverlay(Widget* widget, int priority);
    // Draws the pending overlays in ascending priority until the lowest
    // one left is at or above the limit.
    void FlushDeferredOverlays(int limit);
    void SendMouseEnter(Widget* widget);
    void SendMouseLeave(Widget* widget);
    // bits: 1 left, 2 right, 4 middle.
    void SendMouseUpToWidget(Widget* widget, int bits);
    // Drops every remaining reference to a widget leaving the tree: modal
    // entries, the Ctrl+Tab target, pending overlays.
    void ForgetWidget(Widget* widget);
    // OnChildDetached and ForgetWidget for every widget of a subtree that
    // has left the tree.
    void ForgetSubtree(Widget* widget);

    struct DeferredOverlay {
        Widget* widget = nullptr;
        int32_t priority = 0;
    };

    Widget* ctrlTabTarget = nullptr;
    Graphics* screenGraphics = nullptr; // while DrawScreen runs
    WidgetApp* app = nullptr;
    Image* screenImage = nullptr; // not owned
    Widget* popupWidget = nullptr;
    std::vector<DeferredOverlay> deferredOverlays;
    int32_t lowestPendingPriority = 0x7FFFFFFF;
    bool appHasFocus = true;
    Widget* focusWidget = nullptr;
    Widget* pressedWidget = nullptr;
    Widget* hoverWidget = nullptr;
    Widget* modalBase = nullptr;
    WidgetFlagsMod lostFocusMod;
    WidgetFlagsMod belowBaseMod;
    WidgetFlagsMod defaultModalMod{0, WIDGETFLAGS_ALLOW_MOUSE | WIDGETFLAGS_ALLOW_FOCUS};
    std::list<ModalLayer> modalLayers; // the top is the back
    Rect widgetSpaceRect;
    Rect windowRect;
    bool mouseInside = false;
    int32_t mouseX = 0;
    int32_t mouseY = 0;
    int32_t buttonsOnPressed = 0;
    int32_t buttonsHeld = 0;
    int32_t lastInputFrame = -1;
    uint8_t keyTable[255] = {};
    int32_t lastPressedButton = 0;
    int32_t defaultFlags = WIDGETFLAGS_DEFAULT;
    Widget* overlayWidget = nullptr; // not attached; updated and drawn over everything

private:
    bool mPoppingLayers = false;
    // Drops the hover widget with its leave; false when a nested change made
    // during the leave set the hover anew.
    bool DropHover();
    void SetHover(Widget* widget);

    uint32_t mFocusChanges = 0; // counts focus changes, to spot nested ones
    uint32_t mHoverChanges = 0; // the same for the hover
};

} // namespace Quib
