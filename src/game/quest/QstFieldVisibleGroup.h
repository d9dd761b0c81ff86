#pragma once
#include <string>
#include <vector>

namespace Quib {

class QstFieldLayer;

// A named set of a field's layers that scripts show or hide together.
struct QstFieldVisibleGroup {
    bool visible = true;
    std::string name;
    std::string mask;
    std::vector<QstFieldLayer*> members; // not owned
};

} // namespace Quib
