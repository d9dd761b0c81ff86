#pragma once

namespace Quib {

class PropertyBase;

// Told when a child property's height changed.
class PropertyListener {
public:
    virtual ~PropertyListener() = default;
    virtual void OnChildResized(PropertyBase* child) = 0;
};

} // namespace Quib
