#pragma once
#include "src/game/quest/Layer/QstLayer.h"

namespace Quib {

class QstAnimLayerData;
struct QstAnimFrame;

// Plays the frames of an animation data by elapsed time, once or looping.
class QstAnimLayer : public QstLayer {
public:
    explicit QstAnimLayer(QstAnimLayerData* data);
    // Shares the data; starts like a new layer.
    QstAnimLayer(const QstAnimLayer& other);

    QstLayer* Clone() const override;
    void Update(float seconds) override;
    void Draw(Graphics& g, DrawTransform& transform, QstSceneDistortion* distortion) override;
    // Restarts the animation at its first frame (and clears finished); the
    // alpha is left alone.
    void SyncAlpha() override;
    // Inside the frames' box and the current frame's pixel alpha above 0x20.
    bool HitTest(int x, int y) const override;

    QstAnimLayerData* animData = nullptr;
    const QstAnimFrame* currentFrame = nullptr; // none until the first update
    float frameTimer = 0.0f;
    bool finished = false;
};

} // namespace Quib
