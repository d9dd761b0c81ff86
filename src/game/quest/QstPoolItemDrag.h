#pragma once
#include "framework/graphics/DrawTransform.h"
#include "src/game/quest/QstPoolItemExtBase.h"

#include <functional>
#include <memory>
#include <string>
#include "framework/core/Point.h"

namespace Quib {

class QstItem;
class QstItemStateDraw;

// An inventory entry picked up and dragged over the scene, drawn beside the
// mouse and fitted into a 60 by 60 box.
class QstPoolItemDrag : public QstPoolItemExtBase {
public:
    static constexpr float kBox = 60.0f;
    static constexpr float kFadeRate = 3.0f; // alpha per second
    static constexpr int kMouseOffset = 70;

    // stateName empty: the item's current state.
    QstPoolItemDrag(QstItem* item, const std::string& stateName);
    ~QstPoolItemDrag() override;

    void Draw(Graphics& g) override;
    void Update(float seconds) override;
    // Ends the drag: the picture fades out and the board deletes it.
    void Drop();
    QstItem* Item() const;
    // The scale that fits a picture of that size into the box (1 for none).
    static float FitScale(float pictureWidth, float pictureHeight);

    std::unique_ptr<QstItemStateDraw> picture;
    bool active = true;
    bool dropped = false;
    float alpha = 0.0f;
    DrawTransform transform;
    float scale = 1.0f;
    // The mouse position (board coordinates); null: the widget manager's.
    std::function<TPoint<int>()> mousePosition;

private:
    QstItem* mItem = nullptr;
};

} // namespace Quib
