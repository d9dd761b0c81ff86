#include "src/game/editor/PropertyBase.h"

namespace Quib {

PropertyBase::PropertyBase(PropertyListener* listener) : sizeListener(listener) {}

PropertyBase::~PropertyBase()
{
    DeleteChildren();
}

void PropertyBase::DeleteChildren()
{
    std::vector<PropertyBase*> owned;
    owned.swap(properties);
    for (PropertyBase* child : owned) {
        if (child->parent)
            child->parent->DetachChild(child);
        delete child;
    }
}

void PropertyBase::SetOwner(PropertyBase* owner)
{
    if (!owner)
        return;
    if (owner->laidOut && !laidOut)
        owner->Relayout(this);
    if (!sizeListener)
        sizeListener = owner;
}

void PropertyBase::AddProperty(PropertyBase* child)
{
    if (!child)
        return;
    HeightGuard guard(this);
    if (laidOut) {
        PlaceChild(properties.empty() ? nullptr : properties.back(), child);
        properties.push_back(child);
        UpdateHeight();
    } else {
        properties.push_back(child);
    }
    child->SetOwner(this);
    AttachChild(child);
}

void PropertyBase::PlaceChild(PropertyBase* previous, PropertyBase* child)
{
    int top = topMargin;
    if (previous)
        top = previous->visible ? previous->y + previous->height + spacing : previous->y;
    int left = leftMargin;
    int right = rightMargin;
    child->GetIndent(left, right);
    child->LayoutAll(left, top, width - right - left);
}

void PropertyBase::Relayout(PropertyBase* from)
{
    if (properties.empty())
        return;
    size_t start = 0;
    if (from) {
        while (start < properties.size() && properties[start] != from)
            ++start;
        if (start == properties.size())
            start = 0;
    }
    for (size_t i = start; i < properties.size(); ++i)
        PlaceChild(i == 0 ? nullptr : properties[i - 1], properties[i]);
    UpdateHeight();
}

void PropertyBase::LayoutAll(int newX, int newY, int newWidth)
{
    SetBounds(newX, newY, newWidth, 0);
    laidOut = true;
    Relayout(nullptr);
    if (properties.empty())
        UpdateHeight();
}

void PropertyBase::UpdateHeight()
{
    for (auto it = properties.rbegin(); it != properties.rend(); ++it) {
        if ((*it)->visible) {
            height = bottomMargin + (*it)->y + (*it)->height;
            return;
        }
    }
    height = bottomMargin + topMargin;
}

void PropertyBase::GetIndent(int&, int&) {}

void PropertyBase::SetVisible(bool isVisible)
{
    if (isVisible == visible)
        return;
    Widget::SetVisible(isVisible);
    NotifyResized();
}

void PropertyBase::NotifyResized()
{
    if (laidOut && sizeListener)
        sizeListener->OnChildResized(this);
}

void PropertyBase::OnChildResized(PropertyBase* child)
{
    HeightGuard guard(this);
    Relayout(child);
}

} // namespace Quib
