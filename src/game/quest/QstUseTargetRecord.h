#pragma once
#include <string>

namespace Quib {

// A place an item in a given state can be used on now: one use entry whose
// group answers a cursor kind other than 0 and 5.
struct QstUseTargetRecord {
    std::string targetItem;  // full name (scene:item)
    std::string targetState; // empty: any state
    std::string popupField;  // the field the entry's group opens, or empty
    bool noHint = false;
};

} // namespace Quib
