#pragma once

namespace Quib {

class Graphics;
class QstField;
class QstFieldLayer;
class QstLayer;

// An optional drawing hook of a field layer.
class QstFieldLayerExtraDraw {
public:
    QstFieldLayerExtraDraw() = default;
    QstFieldLayerExtraDraw(const QstFieldLayerExtraDraw&) = delete;
    QstFieldLayerExtraDraw& operator=(const QstFieldLayerExtraDraw&) = delete;
    virtual ~QstFieldLayerExtraDraw() = default;

    virtual void Before(Graphics& g) = 0;
    virtual void After(Graphics& g) = 0;
    // Whether the layer itself is drawn between Before and After.
    virtual bool DrawsLayer() = 0;

    QstFieldLayer* fieldLayer = nullptr;
    QstLayer* layer = nullptr;
    QstField* field = nullptr;
};

} // namespace Quib
