#pragma once
// Finding widgets among a container's children.
#include "framework/widgets/ButtonWidget.h"
#include "framework/widgets/WidgetContainer.h"

namespace Quib::Testing {

// The first direct child of the given type.
template <class T>
T* FindChild(WidgetContainer* parent)
{
    for (Widget* child : parent->children)
        if (auto* found = dynamic_cast<T*>(child))
            return found;
    return nullptr;
}

// The direct child button with the id.
inline ButtonWidget* FindButton(WidgetContainer* parent, int id)
{
    for (Widget* child : parent->children)
        if (auto* button = dynamic_cast<ButtonWidget*>(child); button && button->id == id)
            return button;
    return nullptr;
}

} // namespace Quib::Testing
