#include "src/game/quest/Layer/QstParticlesLayer.h"

#include "framework/graphics/Graphics.h"
#include "src/game/quest/Layer/QstParticlesLayerData.h"
#include "src/particles/ParticlesCommon.h"

namespace Quib {

QstParticlesLayer::QstParticlesLayer(QstParticlesLayerData* layerData)
    : QstLayer(layerData), particlesData(layerData)
{
}

QstParticlesLayer::QstParticlesLayer(const QstParticlesLayer& other)
    : QstLayer(other), particlesData(other.particlesData)
{
}

QstParticlesLayer::~QstParticlesLayer()
{
    if (effect)
        effect->Stop();
    effect.reset();
}

QstLayer* QstParticlesLayer::Clone() const
{
    auto* copy = new QstParticlesLayer(*this);
    copy->Start();
    return copy;
}

void QstParticlesLayer::Start()
{
    if (!particlesData)
        return;
    if (effect)
        effect->Stop();
    effect = CreateParticlesByName(particlesData->effectName);
    if (!effect)
        return;
    effect->StartAt(TPoint<float>(x, y));
    effect->SetLooping(true);
    effect->Rewind(particlesData->startTime);
}

void QstParticlesLayer::Update(float seconds)
{
    if (effect) {
        effect->MoveTo(TPoint<float>(x, y), false);
        effect->Update(seconds);
    }
    UpdateFade(seconds);
}

void QstParticlesLayer::DoAddProperties(QstPropertyPage*, std::string&)
{
    // The particles kind adds no properties.
}

void QstParticlesLayer::Draw(Graphics& g, DrawTransform&, QstSceneDistortion*)
{
    if (!effect)
        return;
    g.color = MultiplyColors(g.color, particlesData->color);
    g.colorizeImages = true;
    effect->Draw(&g);
}

bool QstParticlesLayer::HitTest(int, int) const
{
    return false;
}

} // namespace Quib
