#pragma once
#include <string>
#include <vector>

namespace Quib {

// What a hidden-object level hands back to the scene that opened it: the
// scene, the won actions, the item of the action (its reference
// "scene:item", empty for none), the scene's items the level lets the
// player find, whether they stay out of the inventory, and the list name
// (the scene's "hog_item").
struct HogReturnData {
    std::string sceneName;
    std::string wonAction;
    std::string itemRef;
    std::vector<std::string> foundItems;
    bool noToPool = false;
    std::string listName;

    // scene,won action,item,no-to-pool,list,count,names...
    std::string Serialize() const;
    // Reads that form; missing fields keep their values.
    void Deserialize(const std::string& text);
};

} // namespace Quib
