#include "framework/widgets/WidgetManager.h"

#include "framework/files/PerfScope.h"
#include "framework/files/ProcessLog.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/ImageDisplay.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetApp.h"

#include <algorithm>
#include <cstdint>

namespace Quib {

namespace {

constexpr int32_t kNoPriority = 0x7FFFFFFF;
// Overlay requests beyond this many in one screen pass are dropped, so a
// widget that keeps asking cannot hold the pass for ever.
constexpr size_t kMaxDeferredOverlays = 4096;

int ButtonBit(ClickCode code)
{
    if (code < 0)
        return 2;
    if (code == CLICK_MIDDLE)
        return 4;
    return 1;
}

bool DisplayIs3D(Image* screen)
{
    ImageDisplay* display = nullptr;
    if (auto* dd = dynamic_cast<DDImage*>(screen))
        display = dd->display;
    else if (ImageRegistry* registry = DefaultImageRegistry())
        display = registry->Display();
    return display && display->is3D;
}

} // namespace

WidgetManager::WidgetManager(WidgetApp* application) : app(application)
{
    manager = this;
}

WidgetManager::~WidgetManager() = default;

void WidgetManager::OnChildDetached(Widget* widget)
{
    if (!widget)
        return;
    if (hoverWidget == widget)
        DropHover();
    if (pressedWidget == widget) {
        pressedWidget = nullptr;
        const int bits = buttonsOnPressed;
        buttonsOnPressed = 0;
        SendMouseUpToWidget(widget, bits);
    }
    if (focusWidget == widget) {
        focusWidget = nullptr;
        ++mFocusChanges;
        widget->OnFocusLost();
    }
    if (modalBase == widget)
        modalBase = nullptr;
}

void WidgetManager::ForgetWidget(Widget* widget)
{
    for (ModalLayer& layer : modalLayers) {
        if (layer.prevBase == widget)
            layer.prevBase = nullptr;
        if (layer.prevFocus == widget)
            layer.prevFocus = nullptr;
    }
    if (ctrlTabTarget == widget)
        ctrlTabTarget = nullptr;
    for (DeferredOverlay& entry : deferredOverlays)
        if (entry.widget == widget)
            entry.widget = nullptr;
}

void WidgetManager::ForgetSubtree(Widget* widget)
{
    OnChildDetached(widget);
    ForgetWidget(widget);
    if (popupWidget == widget)
        popupWidget = nullptr;
    const std::vector<Widget*> list(widget->children.begin(), widget->children.end());
    for (Widget* child : list)
        if (child->parent == widget)
            ForgetSubtree(child);
}

void WidgetManager::SetFocusWidget(Widget* widget)
{
    if (widget == focusWidget)
        return;
    Widget* old = focusWidget;
    focusWidget = nullptr;
    const uint32_t change = ++mFocusChanges;
    if (old)
        old->OnFocusLost();
    // A focus change made while the old widget was told wins.
    if (change != mFocusChanges)
        return;
    if (widget && widget->manager == this) {
        focusWidget = widget;
        if (appHasFocus)
            widget->OnFocusGained();
    }
}

bool WidgetManager::HandleMouseMove(int px, int py)
{
    lastInputFrame = updateCount;
    if (buttonsOnPressed != 0) {
        HandleMouseDrag(px, py);
    } else {
        mouseInside = true;
        SetMousePosition(px, py);
    }
    return true;
}

bool WidgetManager::HandleMouseDown(int px, int py, ClickCode code)
{
    lastInputFrame = updateCount;
    const int bit = ButtonBit(code);
    buttonsHeld |= bit;
    SetMousePosition(px, py);
    if (popupWidget && !popupWidget->ContainsPoint(px, py))
        ClosePopup();
    int localX = 0;
    int localY = 0;
    Widget* widget = GetWidgetAt(px, py, &localX, &localY);
    if (pressedWidget) {
        widget = pressedWidget;
        const Point screen = widget->GetScreenPosition();
        localX = px - screen.x;
        localY = py - screen.y;
    }
    buttonsOnPressed |= bit;
    lastPressedButton = code < 0 ? -1 : (code == CLICK_MIDDLE ? 2 : 1);
    pressedWidget = widget;
    if (!widget)
        return true;
    if (widget->TakesFocus()) {
        SetFocusWidget(widget);
        if (pressedWidget != widget)
            return true; // taken out of the tree by the focus change
    }
    widget->pressed = true;
    widget->OnMouseDown(localX, localY, code);
    return true;
}

bool WidgetManager::HandleMouseUp(int px, int py, ClickCode code)
{
    lastInputFrame = updateCount;
    const int bit = ButtonBit(code);
    buttonsHeld &= ~bit;
    Widget* widget = pressedWidget;
    if (widget && (buttonsOnPressed & bit)) {
        buttonsOnPressed &= ~bit;
        if (buttonsOnPressed == 0)
            pressedWidget = nullptr;
        widget->pressed = false;
        const Point screen = widget->GetScreenPosition();
        widget->OnMouseUp(px - screen.x, py - screen.y, code);
    } else {
        buttonsOnPressed &= ~bit;
    }
    SetMousePosition(px, py);
    return true;
}

bool WidgetManager::HandleMouseDrag(int px, int py)
{
    lastInputFrame = updateCount;
    mouseInside = true;
    mouseX = px;
    mouseY = py;
    if (hoverWidget && hoverWidget != pressedWidget && !DropHover())
        return true; // the leave handled input of its own
    if (Widget* widget = pressedWidget) {
        const Point screen = widget->GetScreenPosition();
        widget->OnMouseDrag(px - screen.x, py - screen.y);
    }
    Widget* widget = pressedWidget;
    Widget* hit = GetWidgetAt(px, py, nullptr, nullptr);
    if (!widget || hit != widget)
        DropHover();
    else if (!hoverWidget)
        SetHover(widget);
    return true;
}

bool WidgetManager::HandleMouseExit()
{
    lastInputFrame = updateCount;
    mouseInside = false;
    DropHover();
    return true;
}

void WidgetManager::HandleMouseWheel(int delta)
{
    lastInputFrame = updateCount;
    if (focusWidget)
        focusWidget->OnMouseWheel(delta);
}

bool WidgetManager::HandleKeyDown(int key)
{
    lastInputFrame = updateCount;
    if (key >= 0 && key <= 254)
        keyTable[key] = 1;
    if (focusWidget && !focusWidget->disabled)
        focusWidget->OnKeyDown(key);
    return true;
}

bool WidgetManager::HandleKeyUp(int key)
{
    lastInputFrame = updateCount;
    if (key >= 0 && key <= 254)
        keyTable[key] = 0;
    if (key == KEYCODE_TAB && keyTable[KEYCODE_CONTROL])
        return true;
    if (focusWidget)
        focusWidget->OnKeyUp(key);
    return true;
}

bool WidgetManager::HandleKeyChar(char16_t ch)
{
    lastInputFrame = updateCount;
    if (ch == KEYCODE_TAB && keyTable[KEYCODE_CONTROL]) {
        if (ctrlTabTarget)
            ctrlTabTarget->OnKeyChar(ch);
        return true;
    }
    if (focusWidget)
        focusWidget->OnKeyChar(ch);
    return true;
}

void WidgetManager::ScaleMousePoint(int& px, int& py) const
{
    // Before the display exists the window rectangle is empty: nothing to
    // scale by.
    if (windowRect.width != 0)
        px = static_cast<int>(static_cast<int64_t>(px - windowRect.x) * widgetSpaceRect.width / windowRect.width +
                              widgetSpaceRect.x);
    if (windowRect.height != 0)
        py = static_cast<int>(static_cast<int64_t>(py - windowRect.y) * widgetSpaceRect.height / windowRect.height +
                              widgetSpaceRect.y);
}

void WidgetManager::ReleaseHeldButtons()
{
    const int bits = buttonsOnPressed;
    Widget* widget = pressedWidget;
    // A press over no widget leaves its bit here too; without the up that
    // the window will no longer send, the mouse would stay in drag mode.
    buttonsOnPressed = 0;
    pressedWidget = nullptr;
    if (widget && bits != 0)
        SendMouseUpToWidget(widget, bits);
    else
        pressedWidget = widget;
}

void WidgetManager::OnAppFocusLost()
{
    if (!appHasFocus)
        return;
    buttonsHeld = 0;
    for (int key = 0; key <= 254; ++key)
        if (keyTable[key])
            HandleKeyUp(key);
    appHasFocus = false;
    if (focusWidget)
        focusWidget->OnFocusLost();
}

void WidgetManager::OnAppFocusGained()
{
    if (appHasFocus)
        return;
    appHasFocus = true;
    if (focusWidget)
        focusWidget->OnFocusGained();
}

bool WidgetManager::UpdateFrame()
{
    PerfScope perf("WidgetManager::UpdateFrame");
    TreeWalkFlags flags;
    InitTreeWalkFlags(flags);
    ++updateCount;
    lastUpdateFrame = updateCount;
    UpdateTree(flags);
    if (Widget* overlay = overlayWidget) {
        overlay->manager = this;
        overlay->UpdateTree(flags);
        overlay->manager = nullptr;
    }
    return dirty;
}

bool WidgetManager::DrawScreen()
{
    PerfScope perf("WidgetManager::DrawScreen");
    TreeWalkFlags flags;
    InitTreeWalkFlags(flags);
    int dirtyCount = 0;
    for (const Widget* child : children)
        if (child->dirty)
            ++dirtyCount;
    if (overlayWidget && overlayWidget->dirty)
        ++dirtyCount;
    lowestPendingPriority = kNoPriority;
    deferredOverlays.clear();

    Graphics g(screenImage);
    auto* screenDD = dynamic_cast<DDImage*>(screenImage);
    g.is3DTarget = screenDD && screenDD->IsRenderTarget();
    screenGraphics = &g;
    const bool locked = screenDD && screenDD->AcquireSurfaceLock();
    // Invalidations made while drawing set it again.
    dirty = false;

    bool drewSomething = false;
    if (dirtyCount > 0) {
        const bool is3D = DisplayIs3D(screenImage);
        Graphics base(g);
        base.transX -= static_cast<float>(widgetSpaceRect.x);
        base.transY -= static_cast<float>(widgetSpaceRect.y);
        base.fastStretch = !is3D;
        base.smooth = is3D;
        for (auto it = children.begin(); it != children.end();) {
            Widget* child = *it++;
            PerfScope widgetPerf("WidgetManager::DrawScreen::DrawWidget");
            if (child == modalBase)
                flags.aboveBase = true;
            if (child->dirty && child->visible) {
                Graphics childGraphics(base);
                childGraphics.transX += static_cast<float>(child->x);
                childGraphics.transY += static_cast<float>(child->y);
                child->DrawTree(flags, childGraphics);
                child->dirty = false;
                drewSomething = true;
            }
        }
        if (Widget* overlay = overlayWidget; overlay && overlay->dirty) {
            Graphics overlayGraphics(base);
            overlayGraphics.transX += static_cast<float>(overlay->x);
            overlayGraphics.transY += static_cast<float>(overlay->y);
            overlay->DrawTree(flags, overlayGraphics);
        }
    }
    FlushDeferredOverlays(kNoPriority);
    if (locked)
        screenDD->ReleaseSurfaceLock();
    screenGraphics = nullptr;
    return drewSomething;
}

void WidgetManager::PushModalLayer(Widget* widget)
{
    PushModalLayer(widget, defaultModalMod);
}

void WidgetManager::PushModalLayer(Widget* widget, const WidgetFlagsMod& mod)
{
    // A base outside the tree would shut out every widget for good.
    if (widget && widget->manager != this) {
        ProcessLog::GetInstance()->LogInfo("WidgetManager: a widget outside the tree cannot open a modal layer");
        return;
    }
    modalLayers.push_back(ModalLayer{widget, modalBase, focusWidget, belowBaseMod});
    ApplyModalLayer(widget, mod);
}

void WidgetManager::ApplyModalLayer(Widget* base, const WidgetFlagsMod& mod)
{
    modalBase = base;
    belowBaseMod = mod;
    if (mod.removeFlags & WIDGETFLAGS_ALLOW_MOUSE) {
        if (hoverWidget && IsDrawnBefore(hoverWidget, base))
            DropHover();
        if (pressedWidget && IsDrawnBefore(pressedWidget, base)) {
            Widget* old = pressedWidget;
            const int bits = buttonsOnPressed;
            pressedWidget = nullptr;
            buttonsOnPressed = 0;
            SendMouseUpToWidget(old, bits);
        }
    }
    if ((mod.removeFlags & WIDGETFLAGS_ALLOW_FOCUS) && focusWidget && IsDrawnBefore(focusWidget, base)) {
        Widget* old = focusWidget;
        focusWidget = nullptr;
        ++mFocusChanges;
        old->OnFocusLost();
    }
}

void WidgetManager::PopModalLayer(Widget* widget)
{
    // A pop from inside the notifications of a pop waits for the outer one.
    if (mPoppingLayers)
        return;
    mPoppingLayers = true;
    bool first = true;
    while (!modalLayers.empty()) {
        auto top = std::prev(modalLayers.end());
        if (first && top->opener != widget)
            break;
        first = false;
        ApplyModalLayer(top->prevBase, top->prevBelowMod);
        // The notifications may have detached the widgets it names.
        if (!focusWidget && top->prevFocus && top->prevFocus->manager == this) {
            ++mFocusChanges;
            focusWidget = top->prevFocus;
            focusWidget->OnFocusGained();
        }
        const bool restoredBase = top->prevBase != nullptr;
        modalLayers.erase(top);
        if (restoredBase || modalLayers.empty())
            break;
    }
    mPoppingLayers = false;
}

Widget* WidgetManager::GetWidgetAt(int px, int py, int* localX, int* localY)
{
    bool found = false;
    Widget* widget = FindWidgetAt(px, py, GetEffectiveFlags(), &found, localX, localY);
    if (widget && widget->disabled)
        return nullptr;
    return widget;
}

void WidgetManager::SetMousePosition(int px, int py)
{
    const int oldX = mouseX;
    const int oldY = mouseY;
    mouseX = px;
    mouseY = py;
    int localX = 0;
    int localY = 0;
    Widget* widget = GetWidgetAt(px, py, &localX, &localY);
    if (widget == hoverWidget) {
        if (widget && (oldX != px || oldY != py))
            widget->OnMouseMove(localX, localY);
        return;
    }
    if (hoverWidget) {
        if (!DropHover())
            return; // the leave moved the hover itself
        // The leave may have changed the tree under the mouse.
        widget = GetWidgetAt(px, py, &localX, &localY);
    }
    if (!widget)
        return;
    SetHover(widget);
    if (hoverWidget == widget)
        widget->OnMouseMove(localX, localY);
}

void WidgetManager::RehoverMouse()
{
    if (pressedWidget) {
        if (hoverWidget && GetWidgetAt(mouseX, mouseY, nullptr, nullptr) != pressedWidget)
            DropHover();
    } else if (mouseInside) {
        SetMousePosition(mouseX, mouseY);
    }
}

void WidgetManager::ClosePopup()
{
    if (Widget* popup = popupWidget) {
        popupWidget = nullptr;
        DetachChild(popup);
    }
}

bool WidgetManager::IsLeftButtonHeld() const
{
    return (buttonsHeld & 1) != 0;
}

bool WidgetManager::IsKeyDown(int key) const
{
    return key >= 0 && key <= 254 && keyTable[key] != 0;
}

int32_t WidgetManager::GetEffectiveFlags() const
{
    return appHasFocus ? defaultFlags : lostFocusMod.Apply(defaultFlags);
}

void WidgetManager::InitTreeWalkFlags(TreeWalkFlags& flags) const
{
    flags.upperFlags = GetEffectiveFlags();
    flags.lowerFlags = belowBaseMod.Apply(flags.upperFlags);
    flags.aboveBase = modalBase == nullptr;
}

void WidgetManager::AddDeferredOverlay(Widget* widget, int priority)
{
    if (!widget)
        return;
    if (deferredOverlays.size() >= kMaxDeferredOverlays) {
        static bool logged = false;
        if (!logged) {
            logged = true;
            ProcessLog::GetInstance()->LogInfo(
                "WidgetManager: too many overlay requests in one screen pass; the rest are dropped");
        }
        return;
    }
    deferredOverlays.push_back(DeferredOverlay{widget, priority});
    lowestPendingPriority = std::min(lowestPendingPriority, priority);
}

void WidgetManager::FlushDeferredOverlays(int limit)
{
    for (;;) {
        const int32_t current = lowestPendingPriority;
        // Indexed: a drawn overlay may ask for more.
        for (size_t i = 0; i < deferredOverlays.size(); ++i) {
            Widget* widget = deferredOverlays[i].widget;
            if (!widget || deferredOverlays[i].priority != current)
                continue;
            deferredOverlays[i].widget = nullptr;
            if (!screenGraphics)
                continue; // no screen pass: nothing to draw on
            Graphics g(*screenGraphics);
            const Point screen = widget->GetScreenPosition();
            g.transX += static_cast<float>(screen.x - widgetSpaceRect.x);
            g.transY += static_cast<float>(screen.y - widgetSpaceRect.y);
            g.fastStretch = !g.is3DTarget;
            g.smooth = g.is3DTarget;
            widget->DrawOverlayAt(g, current);
        }
        int32_t lowest = kNoPriority;
        bool anyLeft = false;
        for (const DeferredOverlay& entry : deferredOverlays) {
            if (entry.widget) {
                anyLeft = true;
                lowest = std::min(lowest, entry.priority);
            }
        }
        lowestPendingPriority = lowest;
        if (!anyLeft) {
            deferredOverlays.clear();
            return;
        }
        if (lowest >= limit)
            return;
    }
}

bool WidgetManager::DropHover()
{
    Widget* old = hoverWidget;
    if (!old)
        return true;
    hoverWidget = nullptr;
    const uint32_t change = ++mHoverChanges;
    SendMouseLeave(old);
    return change == mHoverChanges;
}

void WidgetManager::SetHover(Widget* widget)
{
    hoverWidget = widget;
    ++mHoverChanges;
    SendMouseEnter(widget);
}

void WidgetManager::SendMouseEnter(Widget* widget)
{
    widget->hovered = true;
    widget->OnMouseEnter();
    if (widget->handCursorOnHover)
        widget->SetHandCursor(true);
}

void WidgetManager::SendMouseLeave(Widget* widget)
{
    widget->hovered = false;
    widget->OnMouseLeave();
    if (widget->handCursorOnHover)
        widget->SetHandCursor(false);
}

void WidgetManager::SendMouseUpToWidget(Widget* widget, int bits)
{
    static constexpr struct {
        int bit;
        ClickCode code;
    } kButtons[] = {{1, CLICK_LEFT}, {2, CLICK_RIGHT}, {4, CLICK_MIDDLE}};
    for (const auto& button : kButtons) {
        if (!(bits & button.bit))
            continue;
        widget->pressed = false;
        const Point screen = widget->GetScreenPosition();
        widget->OnMouseUp(mouseX - screen.x, mouseY - screen.y, button.code);
    }
}

} // namespace Quib
