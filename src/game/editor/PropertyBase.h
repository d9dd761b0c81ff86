#pragma once
#include "framework/widgets/Widget.h"
#include "src/game/editor/PropertyListener.h"

#include <vector>

namespace Quib {

// A widget that stacks its child properties vertically and reports its own
// height changes to its size listener (its owner unless one was given).
// Owns its children. Other widgets may be attached as plain children; they
// take no part in the stacking.
class PropertyBase : public Widget, public PropertyListener {
public:
    explicit PropertyBase(PropertyListener* sizeListener = nullptr);
    ~PropertyBase() override;

    virtual void SetOwner(PropertyBase* owner);
    virtual void AddProperty(PropertyBase* child);
    // Re-stacks from that child (null: all).
    virtual void Relayout(PropertyBase* from);
    virtual void LayoutAll(int x, int y, int width);
    virtual void UpdateHeight();
    virtual void GetIndent(int& left, int& right);
    void SetVisible(bool isVisible) override;

    void OnChildResized(PropertyBase* child) override;

    void NotifyResized();
    void DeleteChildren();
    bool IsLaidOut() const { return laidOut; }
    const std::vector<PropertyBase*>& Properties() const { return properties; }

    int spacing = 15;
    int leftMargin = 10;
    int topMargin = 10;
    int rightMargin = 10;
    int bottomMargin = 10;

protected:
    void PlaceChild(PropertyBase* previous, PropertyBase* child);
    // Saves the height; NotifyResized on destruction when it changed.
    struct HeightGuard {
        explicit HeightGuard(PropertyBase* p) : prop(p), before(p->height) {}
        ~HeightGuard()
        {
            if (prop->height != before)
                prop->NotifyResized();
        }
        PropertyBase* prop;
        int before;
    };

    std::vector<PropertyBase*> properties; // owned, display order
    PropertyListener* sizeListener = nullptr;
    bool laidOut = false;
};

} // namespace Quib
