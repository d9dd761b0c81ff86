#pragma once
#include <string>
#include <vector>

namespace Quib {

class QstItem;

// What a hidden-object level hands back to the scene that started it. The
// item is held by reference (its full name, scene:item) and resolved when
// the level returns, so that it can never dangle.
struct SBackFromHOGData {
    std::string sceneName;
    std::string wonActions;
    std::string itemRef; // the item's full name, empty for none
    std::vector<std::string> foundItems;
    bool noToPool = false;
    std::string hogItem;

    // The item named by the reference (loading its scene when needed), or null.
    QstItem* GetItem() const;
    void SetItem(const QstItem* item);

    // scene,won,item,noToPool,hogItem,count,names...
    std::string Serialize() const;
    // False (and this record unchanged) when the text is not a record.
    bool Deserialize(const std::string& text);
};

} // namespace Quib
