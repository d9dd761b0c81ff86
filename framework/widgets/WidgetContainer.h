#pragma once
// A node of the widget tree: the ordered children, the parent and manager
// pointers, the bounds, the dirty flag and the update and draw walks.

#include "framework/core/Point.h"
#include "framework/core/Rect.h"
#include "framework/widgets/WidgetFlags.h"

#include <cstdint>
#include <list>

namespace Quib {

class Graphics;
class Widget;
class WidgetManager;

class WidgetContainer {
public:
    using ChildList = std::list<Widget*>;

    WidgetContainer();
    WidgetContainer(const WidgetContainer&) = delete;
    WidgetContainer& operator=(const WidgetContainer&) = delete;
    // Children left in the list lose their parent (and manager) pointers;
    // they are not deleted.
    virtual ~WidgetContainer();

    virtual Rect GetBounds() const;
    // Touching edges do not overlap.
    virtual bool Overlaps(const WidgetContainer* other) const;
    // Nothing when the widget is already a child.
    virtual void AttachChild(Widget* widget);
    // Nothing when the widget is not a child.
    virtual void DetachChild(Widget* widget);
    virtual bool ContainsChild(const Widget* widget) const;
    virtual void OnChildDetached(Widget* widget);
    virtual void DetachAllChildren(bool deleteChildren, bool recursive);
    virtual void SetFocusWidget(Widget* widget);
    // Whether a comes before b in a pre-order walk of this subtree (drawn
    // beneath it); false when b comes first or neither is found.
    virtual bool IsDrawnBefore(const WidgetContainer* a, const WidgetContainer* b) const;
    virtual void InvalidateAll();
    virtual void RaiseToTop(Widget* child);
    virtual void LowerToBottom(Widget* child);
    virtual void PlaceChildBelow(Widget* child, Widget* sibling);
    virtual void PlaceChildAbove(Widget* child, Widget* sibling);
    virtual Point GetScreenPosition() const;
    virtual void InvalidateChild(Widget* child);
    virtual void Invalidate();
    virtual void InvalidateChildFully(Widget* child);
    virtual void InvalidateFully();
    virtual void OnAttachedToManager(WidgetManager* widgetManager);
    virtual void OnDetachedFromManager(WidgetManager* widgetManager);
    virtual void Update();
    virtual void UpdateTree(TreeWalkFlags& flags);
    virtual void UpdateElapsed(float elapsed);
    virtual void UpdateTreeElapsed(TreeWalkFlags& flags, float elapsed);
    virtual void Draw(Graphics& g);
    virtual void DrawOverChildren(Graphics& g);
    virtual void DrawTree(TreeWalkFlags& flags, Graphics& g);
    virtual void PropagateSystemChange();
    virtual void OnSystemChange();

    // Inserts as near to the hint as ascending z-order allows.
    void InsertChildSorted(Widget* widget, ChildList::iterator hint);
    // Clears the manager's references to this (removed) subtree, redraws
    // the area it covered and clears the manager pointers.
    void RemovedFromManager();
    // The deepest widget under (x, y) (this container's coordinates) that
    // takes the mouse under the given flags; local receives the point
    // relative to it. Null (found false) when there is none.
    Widget* FindWidgetAt(int x, int y, int32_t flags, bool* found, int* localX, int* localY);

    ChildList children; // ascending z-order; first drawn first
    WidgetManager* manager = nullptr;
    WidgetContainer* parent = nullptr;
    bool iteratorMoved = false;
    ChildList::iterator updateCursor;
    int32_t lastUpdateFrame = 0;
    int32_t updateCount = 0;
    bool dirty = false;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool translucent = false;
    bool clip = true;
    WidgetFlagsMod flagsMod;
    int32_t overlayPriority = 0;
    int32_t zOrder = 0;

private:
    // Whether the widget is this container or one of its ancestors.
    bool IsWithin(const Widget* widget) const;
    // Moves the update cursor off the child before it leaves its place.
    void StepCursorOff(ChildList::iterator it);
    void Reorder(Widget* child, int hintKind, Widget* sibling);
};

} // namespace Quib
