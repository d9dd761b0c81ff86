#pragma once
#include "framework/core/FRect.h"
#include "src/game/quest/QstCursorType.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace Quib {

class QstFieldItemLayer;
class QstItem;
class QstXmlElement;
struct SLoadLayerDataCont;

// What a state does when its item, taken in this state, is used on another
// item.
struct QstUseEntry {
    std::string groupName;   // item.state_OnUseNN
    std::string targetItem;  // full name (scene:item)
    std::string targetState; // empty: any state
    bool noHint = false;
};

// One named state of an item: the layers that show it, its click group, its
// use entries and its hint.
class QstItemState {
public:
    QstItemState(QstItem* item, std::string name);
    QstItemState(const QstItemState&) = delete;
    QstItemState& operator=(const QstItemState&) = delete;
    ~QstItemState();

    // Reads a State element; false (reported through the cursor) on failure.
    bool DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context, const std::string& mask);
    void Show(bool immediately);
    void Hide(bool immediately);
    // The click group's cursor, else 5 when a hint text exists, else 0.
    EQstCursorType GetCursorType(std::string& popupField, std::string* target);
    void OnClick();
    // Called on the dragged item's current state with the item and state
    // under the mouse; true when a use group ran.
    bool OnUse(const std::string& targetItemFullName, const std::string& targetStateName);
    // Union of the layers' rectangles, each moved by its field's position;
    // all zero when no layer counts.
    FRect GetBoundingRect() const;
    void ComputeHintId();
    void AddUsedOn(const std::string& itemFullName, const std::string& stateName);
    // A state that is dropped while loading takes its layers out of the
    // load context and deletes them (nothing else owns them yet).
    void DiscardLayers(SLoadLayerDataCont& context);

    QstItem* GetItem() const { return item; }
    const std::string& GetName() const { return name; }

    QstItem* item = nullptr;
    std::string name;
    std::vector<QstFieldItemLayer*> layers; // not owned
    std::string clickGroup;
    std::vector<QstUseEntry> useEntries;
    std::vector<std::pair<std::string, std::string>> usableHere; // (item full name, state name)
    QstFieldItemLayer* exitLayer = nullptr;
    bool noHint = false;
    bool hasHintPos = false;
    int32_t hintPos[2] = {0, 0};
    std::string hintId;
    bool hintIdComputed = false;
    bool ignoreBoundingRect = false;
};

} // namespace Quib
