#pragma once
#include <string>
#include <vector>

namespace Quib {

class Graphics;
class QstItem;
class QstItemState;
class QstLayer;

// Draws a copy of one state of an item elsewhere (inventory icons).
class QstItemStateDraw {
public:
    explicit QstItemStateDraw(QstItem* item);
    QstItemStateDraw(const QstItemStateDraw&) = delete;
    QstItemStateDraw& operator=(const QstItemStateDraw&) = delete;
    ~QstItemStateDraw();

    // Clones the layers of the item's state of that name; an unknown name
    // is logged and nothing is drawn.
    void SetState(const std::string& stateName, bool immediately);
    void Clear();

    QstItem* item = nullptr;
    QstItemState* state = nullptr;
    std::vector<QstLayer*> layers; // owned clones
    float x = 0.0f;
    float y = 0.0f;
    float w = 0.0f;
    float h = 0.0f;
};

} // namespace Quib
