#include "src/game/quest/Layer/QstSeaLayer.h"

#include "framework/app/QuibAppBase.h"
#include "framework/graphics/DrawTransform.h"
#include "framework/graphics/Graphics.h"
#include "src/game/quest/Layer/QstImageLayerData.h"

#include <cmath>
#include <numbers>

namespace Quib {

namespace {

float gSeaClock = 0.0f;
int gSeaWidth = 0; // 0: the application's size
int gSeaHeight = 0;

} // namespace

QstSeaLayer::QstSeaLayer(QstImageLayerData* layerData) : QstImageLayer(layerData) {}

QstLayer* QstSeaLayer::Clone() const
{
    return new QstSeaLayer(*this);
}

float QstSeaLayer::SeaClock()
{
    return gSeaClock;
}

void QstSeaLayer::AdvanceSeaClock(float seconds)
{
    gSeaClock += seconds;
}

void QstSeaLayer::SetSeaClock(float seconds)
{
    gSeaClock = seconds;
}

void QstSeaLayer::SetScreenSize(int width, int height)
{
    gSeaWidth = width;
    gSeaHeight = height;
}

void QstSeaLayer::Draw(Graphics& g, DrawTransform& transform, QstSceneDistortion* distortion)
{
    int w = gSeaWidth, h = gSeaHeight;
    if (w <= 0 || h <= 0) {
        w = gQuibAppBase ? gQuibAppBase->appWidth : 1024;
        h = gQuibAppBase ? gQuibAppBase->appHeight : 768;
    }
    constexpr float pi = std::numbers::pi_v<float>;
    const float t = gSeaClock;
    DrawTransform rocked = transform;
    rocked.Translate(-float(w) / 2.0f, -float(h) / 2.0f);
    rocked.Rotate(std::sin(0.15f * pi * t) * 0.15707963f * pi / 180.0f);
    rocked.Translate(float(w) / 2.0f, float(h) / 2.0f);
    rocked.Translate(0.0f, 7.0f * std::sin(0.3f * pi * t));
    QstImageLayer::Draw(g, rocked, distortion);
}

} // namespace Quib
