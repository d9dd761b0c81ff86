#include "framework/widgets/WidgetContainer.h"

#include "framework/graphics/Graphics.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetApp.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace Quib {

namespace {

// Restores the walk's upper and lower flags when the walk of a node ends;
// above-base is carried on.
class WalkFlagsScope {
public:
    explicit WalkFlagsScope(TreeWalkFlags& flags)
        : mFlags(flags), mUpper(flags.upperFlags), mLower(flags.lowerFlags)
    {
    }
    ~WalkFlagsScope()
    {
        mFlags.upperFlags = mUpper;
        mFlags.lowerFlags = mLower;
    }
    WalkFlagsScope(const WalkFlagsScope&) = delete;
    WalkFlagsScope& operator=(const WalkFlagsScope&) = delete;

private:
    TreeWalkFlags& mFlags;
    int32_t mUpper;
    int32_t mLower;
};

void ClearManagers(Widget* widget)
{
    widget->manager = nullptr;
    for (Widget* child : widget->children)
        ClearManagers(child);
}

// 1 when a is met first in a pre-order walk of the children, 2 when b is.
int FindFirstOf(const WidgetContainer::ChildList& list, const WidgetContainer* a, const WidgetContainer* b)
{
    for (const Widget* child : list) {
        if (child == a)
            return 1;
        if (child == b)
            return 2;
        if (int found = FindFirstOf(child->children, a, b))
            return found;
    }
    return 0;
}

enum ReorderHint { HINT_END, HINT_FRONT, HINT_AT_SIBLING, HINT_AFTER_SIBLING };

} // namespace

WidgetContainer::WidgetContainer() : updateCursor(children.end()) {}

WidgetContainer::~WidgetContainer()
{
    for (Widget* child : children) {
        child->parent = nullptr;
        ClearManagers(child);
    }
}

Rect WidgetContainer::GetBounds() const
{
    return Rect(x, y, width, height);
}

bool WidgetContainer::Overlaps(const WidgetContainer* other) const
{
    return x < other->x + other->width && other->x < x + width && y < other->y + other->height &&
           other->y < y + height;
}

void WidgetContainer::AttachChild(Widget* widget)
{
    if (!widget || ContainsChild(widget) || IsWithin(widget))
        return;
    // A widget lives in one list only.
    if (widget->parent) {
        widget->parent->DetachChild(widget);
        // The notifications of that detach may have placed it elsewhere.
        if (widget->parent || IsWithin(widget))
            return;
    }
    InsertChildSorted(widget, children.end());
    widget->manager = manager;
    widget->parent = this;
    if (manager) {
        WidgetManager* widgetManager = manager;
        widget->OnAttachedToManager(widgetManager);
        widget->InvalidateFully();
        widgetManager->RehoverMouse();
    }
    Invalidate();
}

bool WidgetContainer::IsWithin(const Widget* widget) const
{
    for (const WidgetContainer* node = this; node; node = node->parent)
        if (node == widget)
            return true;
    return false;
}

void WidgetContainer::DetachChild(Widget* widget)
{
    if (!widget || !ContainsChild(widget))
        return;
    WidgetManager* widgetManager = widget->manager;
    if (widgetManager)
        widget->RemovedFromManager();
    // The notifications above may already have taken it out, or moved it.
    auto it = std::find(children.begin(), children.end(), widget);
    if (it == children.end())
        return;
    widget->parent = nullptr;
    StepCursorOff(it);
    children.erase(it);
    if (widgetManager) {
        // Whatever the notifications did to the subtree meanwhile, it is out
        // of the tree now and the manager keeps no reference to it.
        ClearManagers(widget);
        widgetManager->ForgetSubtree(widget);
    }
}

bool WidgetContainer::ContainsChild(const Widget* widget) const
{
    return std::find(children.begin(), children.end(), widget) != children.end();
}

void WidgetContainer::OnChildDetached(Widget*) {}

void WidgetContainer::DetachAllChildren(bool deleteChildren, bool recursive)
{
    while (!children.empty()) {
        Widget* child = children.front();
        DetachChild(child);
        // A child that put itself back is taken out without notifications.
        auto it = std::find(children.begin(), children.end(), child);
        if (it != children.end()) {
            child->parent = nullptr;
            ClearManagers(child);
            StepCursorOff(it);
            children.erase(it);
        }
        if (recursive)
            child->DetachAllChildren(deleteChildren, recursive);
        if (deleteChildren)
            delete child;
    }
}

void WidgetContainer::SetFocusWidget(Widget*) {}

bool WidgetContainer::IsDrawnBefore(const WidgetContainer* a, const WidgetContainer* b) const
{
    return a != b && FindFirstOf(children, a, b) == 1;
}

void WidgetContainer::InvalidateAll()
{
    Invalidate();
    for (Widget* child : children) {
        child->dirty = true;
        child->InvalidateAll();
    }
}

void WidgetContainer::RaiseToTop(Widget* child)
{
    Reorder(child, HINT_END, nullptr);
}

void WidgetContainer::LowerToBottom(Widget* child)
{
    Reorder(child, HINT_FRONT, nullptr);
}

void WidgetContainer::PlaceChildBelow(Widget* child, Widget* sibling)
{
    Reorder(child, HINT_AT_SIBLING, sibling);
}

void WidgetContainer::PlaceChildAbove(Widget* child, Widget* sibling)
{
    Reorder(child, HINT_AFTER_SIBLING, sibling);
}

void WidgetContainer::Reorder(Widget* child, int hintKind, Widget* sibling)
{
    auto it = std::find(children.begin(), children.end(), child);
    if (it == children.end())
        return;
    StepCursorOff(it);
    ChildList::iterator hint = children.end();
    if (hintKind == HINT_FRONT) {
        hint = children.begin();
    } else if (hintKind == HINT_AT_SIBLING || hintKind == HINT_AFTER_SIBLING) {
        auto at = std::find(children.begin(), children.end(), sibling);
        if (at != children.end())
            hint = hintKind == HINT_AT_SIBLING ? at : std::next(at);
    }
    if (hint == it)
        ++hint; // the child's own place goes away
    children.erase(it);
    if (hintKind == HINT_FRONT)
        hint = children.begin();
    InsertChildSorted(child, hint);
    child->OnOrderChanged();
}

void WidgetContainer::StepCursorOff(ChildList::iterator it)
{
    if (updateCursor == it) {
        ++updateCursor;
        iteratorMoved = true;
    }
}

void WidgetContainer::InsertChildSorted(Widget* widget, ChildList::iterator hint)
{
    auto pos = hint;
    while (pos != children.end() && (*pos)->zOrder < widget->zOrder)
        ++pos;
    if (pos == children.begin() || (pos != children.end() && (*pos)->zOrder == widget->zOrder)) {
        children.insert(pos, widget);
        return;
    }
    while (pos != children.begin() && (*std::prev(pos))->zOrder > widget->zOrder)
        --pos;
    children.insert(pos, widget);
}

Point WidgetContainer::GetScreenPosition() const
{
    if (!parent)
        return Point(x, y);
    Point p = parent->GetScreenPosition();
    return Point(p.x + x, p.y + y);
}

void WidgetContainer::InvalidateChild(Widget* child)
{
    if (child->dirty)
        return;
    Invalidate();
    child->dirty = true;
    if (parent)
        return;
    if (child->translucent) {
        InvalidateChildFully(child);
        return;
    }
    auto it = std::find(children.begin(), children.end(), child);
    if (it == children.end())
        return;
    for (++it; it != children.end(); ++it) {
        Widget* over = *it;
        if (over->visible && over->Overlaps(child))
            InvalidateChild(over);
    }
}

void WidgetContainer::Invalidate()
{
    // Only widgets have a parent.
    if (parent)
        parent->InvalidateChild(static_cast<Widget*>(this));
    else
        dirty = true;
}

void WidgetContainer::InvalidateChildFully(Widget* child)
{
    InvalidateFully();
    child->dirty = true;
    if (parent)
        return;
    auto it = std::find(children.begin(), children.end(), child);
    if (it == children.end())
        return;
    const Rect area = child->GetBounds().Intersection(Rect(0, 0, width, height));
    for (auto below = it; below != children.begin();) {
        Widget* w = *--below;
        if (!w->visible)
            continue;
        if (!w->translucent && !w->transparentParts && w->ContainsPoint(area.x, area.y) &&
            w->ContainsPoint(area.x + area.width - 1, area.y + area.height - 1)) {
            w->Invalidate(); // nothing beneath it shows through
            break;
        }
        if (w->Overlaps(child))
            InvalidateChild(w);
    }
    for (auto over = std::next(it); over != children.end(); ++over) {
        Widget* w = *over;
        if (w->visible && w->Overlaps(child))
            InvalidateChild(w);
    }
}

void WidgetContainer::InvalidateFully()
{
    if (parent)
        parent->InvalidateChildFully(static_cast<Widget*>(this));
    else
        dirty = true;
}

void WidgetContainer::OnAttachedToManager(WidgetManager* widgetManager)
{
    const std::vector<Widget*> list(children.begin(), children.end());
    for (Widget* child : list) {
        if (child->parent != this)
            continue;
        child->manager = widgetManager;
        child->OnAttachedToManager(widgetManager);
        child->Invalidate();
    }
}

void WidgetContainer::OnDetachedFromManager(WidgetManager* widgetManager)
{
    const std::vector<Widget*> list(children.begin(), children.end());
    for (Widget* child : list) {
        if (child->parent != this)
            continue;
        widgetManager->OnChildDetached(child);
        child->OnDetachedFromManager(widgetManager);
        child->manager = nullptr;
    }
    if (widgetManager->popupWidget == this)
        widgetManager->popupWidget = nullptr;
}

void WidgetContainer::RemovedFromManager()
{
    WidgetManager* widgetManager = manager;
    WidgetContainer* const oldParent = parent;
    if (!widgetManager || !oldParent)
        return;
    auto* self = static_cast<Widget*>(this);
    // A notification may detach or move this widget itself; the nested
    // operation then has done the work.
    auto stillHere = [&] { return manager == widgetManager && parent == oldParent; };
    const std::vector<Widget*> list(children.begin(), children.end());
    for (Widget* child : list) {
        if (!stillHere())
            return;
        if (child->parent == this && child->manager)
            child->RemovedFromManager();
    }
    if (!stillHere())
        return;
    widgetManager->OnChildDetached(self);
    if (!stillHere())
        return;
    widgetManager->ForgetWidget(self);
    OnDetachedFromManager(widgetManager);
    if (!stillHere())
        return;
    InvalidateChildFully(self);
    manager = nullptr;
}

void WidgetContainer::Update()
{
    ++updateCount;
}

void WidgetContainer::UpdateTree(TreeWalkFlags& flags)
{
    WalkFlagsScope scope(flags);
    flags.ApplyMod(flagsMod);
    const int32_t f = flags.Current();
    if (f & WIDGETFLAGS_MARK_DIRTY)
        Invalidate();
    if (!manager)
        return;
    if ((f & WIDGETFLAGS_UPDATE) && manager->updateCount != lastUpdateFrame) {
        lastUpdateFrame = manager->updateCount;
        Update();
    }
    for (updateCursor = children.begin(); updateCursor != children.end();) {
        iteratorMoved = false;
        Widget* child = *updateCursor;
        if (manager && child == manager->modalBase)
            flags.aboveBase = true;
        child->UpdateTree(flags);
        if (!iteratorMoved)
            ++updateCursor;
    }
    iteratorMoved = true;
}

void WidgetContainer::UpdateElapsed(float) {}

void WidgetContainer::UpdateTreeElapsed(TreeWalkFlags& flags, float elapsed)
{
    WalkFlagsScope scope(flags);
    flags.ApplyMod(flagsMod);
    const int32_t f = flags.Current();
    if (!manager)
        return;
    if (f & WIDGETFLAGS_UPDATE)
        UpdateElapsed(elapsed);
    for (updateCursor = children.begin(); updateCursor != children.end();) {
        iteratorMoved = false;
        Widget* child = *updateCursor;
        if (manager && child == manager->modalBase)
            flags.aboveBase = true;
        child->UpdateTreeElapsed(flags, elapsed);
        if (!iteratorMoved)
            ++updateCursor;
    }
    iteratorMoved = true;
}

void WidgetContainer::Draw(Graphics&) {}

void WidgetContainer::DrawOverChildren(Graphics&) {}

void WidgetContainer::DrawTree(TreeWalkFlags& flags, Graphics& g)
{
    WidgetManager* widgetManager = manager;
    if (!widgetManager && TheWidgetApp())
        widgetManager = TheWidgetApp()->GetWidgetManager();
    if (widgetManager && widgetManager->lowestPendingPriority < overlayPriority)
        widgetManager->FlushDeferredOverlays(overlayPriority);

    WalkFlagsScope scope(flags);
    flags.ApplyMod(flagsMod);
    const int32_t f = flags.Current();
    if (clip && (f & WIDGETFLAGS_CLIP)) {
        const Rect own(static_cast<int32_t>(std::trunc(g.transX)), static_cast<int32_t>(std::trunc(g.transY)),
                       width, height);
        Rect r = g.clipRect.Intersection(own);
        if (r.width <= 0 || r.height <= 0)
            r = Rect();
        g.clipRect = r;
    }
    if (children.empty()) {
        if (f & WIDGETFLAGS_DRAW) {
            Draw(g);
            DrawOverChildren(g);
        }
        return;
    }
    if (f & WIDGETFLAGS_DRAW) {
        g.SaveState();
        Draw(g);
        g.RestoreState();
    }
    for (auto it = children.begin(); it != children.end();) {
        Widget* child = *it++;
        if (widgetManager && child == widgetManager->modalBase)
            flags.aboveBase = true;
        if (!child->visible)
            continue;
        Graphics childGraphics(g);
        childGraphics.transX += static_cast<float>(child->x);
        childGraphics.transY += static_cast<float>(child->y);
        child->DrawTree(flags, childGraphics);
        child->dirty = false;
    }
    if (f & WIDGETFLAGS_DRAW) {
        g.SaveState();
        DrawOverChildren(g);
        g.RestoreState();
    }
}

void WidgetContainer::PropagateSystemChange()
{
    OnSystemChange();
    const std::vector<Widget*> list(children.begin(), children.end());
    for (Widget* child : list)
        if (child->parent == this)
            child->PropagateSystemChange();
}

void WidgetContainer::OnSystemChange() {}

Widget* WidgetContainer::FindWidgetAt(int px, int py, int32_t flags, bool* found, int* localX, int* localY)
{
    flags = flagsMod.Apply(flags);
    bool below = false;
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        Widget* child = *it;
        if (!child->disabled) {
            int32_t f = child->flagsMod.Apply(flags);
            if (below && manager)
                f = manager->belowBaseMod.Apply(f);
            if ((f & WIDGETFLAGS_ALLOW_MOUSE) && child->visible) {
                const int cx = px - child->x;
                const int cy = py - child->y;
                if (Widget* hit = child->FindWidgetAt(cx, cy, f, found, localX, localY))
                    return hit;
                if (child->mouseVisible && child->GetInnerBounds().Contains(px, py) &&
                    child->AcceptsPoint(cx, cy)) {
                    if (found)
                        *found = true;
                    if (localX)
                        *localX = cx;
                    if (localY)
                        *localY = cy;
                    return child;
                }
            }
        }
        if (manager && child == manager->modalBase)
            below = true;
    }
    if (found)
        *found = false;
    return nullptr;
}

} // namespace Quib
