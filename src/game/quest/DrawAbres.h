#pragma once
#include "framework/core/Color.h"
#include "src/game/quest/QstFieldLayerExtraDraw.h"

namespace Quib {

// The scene editor's outline of a selected layer.
class DrawAbres : public QstFieldLayerExtraDraw {
public:
    explicit DrawAbres(const Color& outline) : color(outline) {}

    void Before(Graphics& g) override;
    void After(Graphics& g) override;
    bool DrawsLayer() override { return true; }

    bool busy = false;
    Color color;
};

} // namespace Quib
