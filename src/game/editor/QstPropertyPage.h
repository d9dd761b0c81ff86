#pragma once
#include "src/game/editor/PropertyBase.h"

namespace Quib {

// The page a layer fills with its editor properties.
class QstPropertyPage : public PropertyBase {
public:
    explicit QstPropertyPage(PropertyListener* sizeListener = nullptr) : PropertyBase(sizeListener) {}
};

} // namespace Quib
