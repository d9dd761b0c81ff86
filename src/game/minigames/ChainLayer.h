#pragma once
#include "src/game/quest/Layer/QstLayer.h"

#include <deque>

namespace Quib {

class QstChainLayerData;

// A rope of links hanging from the data's anchor to a loose end: Verlet
// nodes under gravity held at their link lengths, links added or removed
// as the end moves away or closer.
class ChainLayer : public QstLayer {
public:
    struct ChainNode {
        float x = 0.0f; // relative to the anchor
        float y = 0.0f;
        float prevX = 0.0f;
        float prevY = 0.0f;
        float forceX = 0.0f;
        float forceY = 0.0f;
        float inverseMass = 1.0f;
    };
    struct ChainLink {
        float length = 0.0f;
        float targetLength = 0.0f;
    };

    // Owns the data.
    ChainLayer(QstChainLayerData* data, float gravity, float linkLength);
    ChainLayer(const ChainLayer& other);
    ~ChainLayer() override;

    QstLayer* Clone() const override;
    void DoAddProperties(QstPropertyPage* page, std::string& title) override;
    void Start() override;
    // Draws at the layer's place (the anchor in field coordinates).
    void Draw(Graphics& g, DrawTransform& transform, QstSceneDistortion* distortion) override;
    bool HitTest(int x, int y) const override;

    // One step with the loose end at v from the anchor.
    void Simulate(float vx, float vy);

    QstChainLayerData* chainData = nullptr; // the data this layer owns
    float gravity = 10.0f;
    std::deque<ChainNode> nodes;
    std::deque<ChainLink> links;
    float timeStepSquared = 0.01f;
    float linkLength = 55.0f;
};

// Moves two points toward the rest length between them by their inverse
// masses. Coincident points (or two fixed ones) are left alone.
void SatisfyDistance(float& x1, float& y1, float w1, float& x2, float& y2, float w2, float rest);

} // namespace Quib
