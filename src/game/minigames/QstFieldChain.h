#pragma once
#include "src/game/minigames/QstFieldMinigame.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Quib {

class ChainLayer;

// The chain: a click on the chain item (in its state) hangs a chain from
// the first anchor, its loose end following the mouse; each click on the
// current target item moves it to the next anchor, and the last target
// takes it away. A press on nothing while the chain is out drops it and
// runs the win actions at once.
class QstFieldChain : public QstFieldMinigame {
public:
    struct ChainTarget {
        std::string itemName;
        ChainLayer* layer = nullptr; // owned by the field's layers
    };

    QstFieldChain(QstScene* scene, void* loadingData, const std::string& typeName);

    bool DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context) override;
    void Update(float seconds) override;
    void Open() override;
    bool IsLayerIgnored(int x, int y, QstFieldLayer* layer, EQstCursorType& cursor) override;
    bool OnLayerClick(int x, int y, QstFieldLayer* layer) override;
    bool IsClickAllowed(int x, int y) override;
    bool IsHintStop() override;
    bool SaveMinigameState(QstXmlElement& element) override;
    bool LoadMinigameState(QstXmlElement& element, bool* openedFlag) override;

    // The names the chain compares: the item's and its layer's state.
    static bool LayerItem(QstFieldLayer* layer, std::string& itemName, std::string& stateName);
    void ShowTarget(size_t index, bool visible);

    std::string chainItemName;
    std::string chainItemState;
    std::vector<ChainTarget> targets;
    uint32_t currentTarget = 0;
    float chainEndX = 0.0f;
    float chainEndY = 0.0f;
    bool snapEnd = true;
    bool active = false;
};

} // namespace Quib
