#pragma once
#include "src/game/quest/Layer/QstImageLayer.h"

namespace Quib {

// An image layer that rocks about the screen's centre and bobs like water
// (element SeaBack), driven by one sea clock shared by every scene.
class QstSeaLayer : public QstImageLayer {
public:
    explicit QstSeaLayer(QstImageLayerData* data);
    QstSeaLayer(const QstSeaLayer& other) = default;

    QstLayer* Clone() const override;
    void Draw(Graphics& g, DrawTransform& transform, QstSceneDistortion* distortion) override;

    // The sea clock in seconds; the scene update advances it by 0.01 per
    // update while the scene is shown.
    static float SeaClock();
    static void AdvanceSeaClock(float seconds = 0.01f);
    static void SetSeaClock(float seconds);
    // Screen size the sea turns about (the application's size by default).
    static void SetScreenSize(int width, int height);
};

} // namespace Quib
