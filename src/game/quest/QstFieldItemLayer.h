#pragma once
#include "src/game/quest/QstFieldLayer.h"

namespace Quib {

// A field layer that shows one state of an item: answers the item
// questions (which item, which cursor, what a click or a use does).
class QstFieldItemLayer : public QstFieldLayer {
public:
    // Takes ownership of the layer; the layer is made visible at once.
    QstFieldItemLayer(QstLayer* layer, QstItemState* state);

    bool IsActive(bool itemFlag, bool plainFlag, bool ignoreLayerVisible, bool ignoreGroup,
                  bool ignoreShown) const override;
    void OnClick(int x, int y) override;
    bool GetItemAndState(std::string& itemName, std::string& stateName) const override;
    bool UseItemOn(QstItem* item) override;
    bool IsIgnored(int x, int y, EQstCursorType& cursor) override;
    EQstCursorType GetCursorType(std::string* target) override;
    QstItemState* GetExitTarget(std::string& destination) override;
    void CollectTargets(const std::vector<QstPoolItemInfo>& inventory, std::vector<QstClickTarget>& clicks,
                        std::vector<QstUseTarget>& uses) override;
    bool IsOutsideBounds() const override;

    QstItemState* GetState() const { return state; }
    QstItem* GetItem() const;

    QstItemState* state = nullptr; // not owned
    bool itemLayer = true;
};

} // namespace Quib
