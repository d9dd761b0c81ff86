#pragma once
#include "src/game/quest/Layer/QstLayer.h"

#include <memory>

namespace Quib {

class ParticlesCommon;
class QstParticlesLayerData;

// Runs a particle effect as a scene layer; never hit by the mouse.
class QstParticlesLayer : public QstLayer {
public:
    explicit QstParticlesLayer(QstParticlesLayerData* data);
    // Shares the data; the copy has no effect until it starts.
    QstParticlesLayer(const QstParticlesLayer& other);
    ~QstParticlesLayer() override;

    // The clone starts its own effect at once.
    QstLayer* Clone() const override;
    void Update(float seconds) override;
    void DoAddProperties(QstPropertyPage* page, std::string& title) override;
    // Creates the effect by name, starts it at (x, y), looping, run ahead
    // by the data's start time.
    void Start() override;
    void Draw(Graphics& g, DrawTransform& transform, QstSceneDistortion* distortion) override;
    bool HitTest(int x, int y) const override;

    QstParticlesLayerData* particlesData = nullptr;
    std::unique_ptr<ParticlesCommon> effect;
};

} // namespace Quib
