#pragma once
#include <string>

namespace Quib {

class QstField;
class QstFieldItemLayer;
class QstItem;
class QstItemState;
class QstPoolEntry;

// Something the player can click with effect now, and where.
struct QstClickTarget {
    QstField* field = nullptr;
    QstFieldItemLayer* layer = nullptr;
    QstItemState* state = nullptr; // the item's current state
    QstItem* item = nullptr;
    std::string opens; // the popup field the target's action opens, or empty
};

// An inventory item that can be used on a visible item now.
struct QstUseTarget : QstClickTarget {
    QstPoolEntry* poolEntry = nullptr; // the inventory place it starts from
    QstItemState* poolState = nullptr; // the inventory item's state
    QstItem* poolItem = nullptr;
};

} // namespace Quib
