#pragma once
#include "src/game/quest/Layer/QstImageLayer.h"

namespace Quib {

class QstTextLayerData;

// A layer that draws its data's text word-wrapped into the picture's box.
class QstTextLayer : public QstImageLayer {
public:
    explicit QstTextLayer(QstTextLayerData* data);
    QstTextLayer(const QstTextLayer& other) = default;

    QstLayer* Clone() const override;
    void DoAddProperties(QstPropertyPage* page, std::string& title) override;
    void Draw(Graphics& g, DrawTransform& transform, QstSceneDistortion* distortion) override;
    // The picture's pixel (0 outside it) has a non-zero alpha byte.
    bool HitTest(int x, int y) const override;

    QstTextLayerData* TextData() const;
};

} // namespace Quib
