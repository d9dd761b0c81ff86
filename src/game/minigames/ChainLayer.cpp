#include "src/game/minigames/ChainLayer.h"

#include "framework/core/Color.h"
#include "framework/files/FloatTransformer.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "src/game/minigames/MinigamePicture.h"
#include "src/game/minigames/QstChainLayerData.h"

#include <algorithm>
#include <cmath>

namespace Quib {

namespace {

constexpr float kPi = 3.1415927f;

} // namespace

void SatisfyDistance(float& x1, float& y1, float w1, float& x2, float& y2, float w2, float rest)
{
    const float dx = x2 - x1;
    const float dy = y2 - y1;
    const float len = std::sqrt(dx * dx + dy * dy);
    const float w = w1 + w2;
    if (!(len > 0.0f) || !(w > 0.0f))
        return;
    const float k = (len - rest) / (len * w);
    x1 += dx * k * w1;
    y1 += dy * k * w1;
    x2 -= dx * k * w2;
    y2 -= dy * k * w2;
}

ChainLayer::ChainLayer(QstChainLayerData* layerData, float g, float length)
    : QstLayer(layerData), chainData(layerData), gravity(g), linkLength(length)
{
}

ChainLayer::ChainLayer(const ChainLayer& other)
    : QstLayer(other), chainData(other.chainData), gravity(other.gravity), nodes(other.nodes), links(other.links),
      timeStepSquared(other.timeStepSquared), linkLength(other.linkLength)
{
}

ChainLayer::~ChainLayer() = default;

QstLayer* ChainLayer::Clone() const { return new ChainLayer(*this); }

void ChainLayer::DoAddProperties(QstPropertyPage*, std::string&) {}

void ChainLayer::Start() {}

bool ChainLayer::HitTest(int, int) const { return false; }

void ChainLayer::Simulate(float vx, float vy)
{
    const float L = linkLength;
    if (!(L > 0.0f) || !std::isfinite(vx) || !std::isfinite(vy))
        return;
    for (ChainLink& link : links)
        ApproachFloat(link.length, 10.0f, link.targetLength);
    for (ChainNode& n : nodes) {
        n.forceY += gravity;
        const float ax = n.forceX * n.inverseMass * timeStepSquared;
        const float ay = n.forceY * n.inverseMass * timeStepSquared;
        const float nx = n.x + (n.x - n.prevX) + ax;
        const float ny = n.y + (n.y - n.prevY) + ay;
        n.prevX = n.x;
        n.prevY = n.y;
        n.x = nx;
        n.y = ny;
        n.forceX = 0.0f;
        n.forceY = 0.0f;
    }
    if (links.size() >= 2 && !nodes.empty()) {
        for (int pass = 0; pass < 2; ++pass) {
            float ax = 0.0f;
            float ay = 0.0f;
            SatisfyDistance(ax, ay, 0.0f, nodes[0].x, nodes[0].y, nodes[0].inverseMass, links[0].length);
            for (size_t i = 1; i < links.size() && i < nodes.size(); ++i)
                SatisfyDistance(nodes[i - 1].x, nodes[i - 1].y, nodes[i - 1].inverseMass, nodes[i].x, nodes[i].y,
                                nodes[i].inverseMass, links[i].length);
        }
    }
    float ex = vx;
    float ey = vy;
    float len = std::sqrt(vx * vx + vy * vy);
    if (len < L) {
        const float a = std::atan2(vx, vy);
        ex = std::sin(a) * L;
        ey = std::cos(a) * L;
        len = L;
    }
    // Far ends are limited so the rope stays a sane size.
    const int n = int(std::min(len / L, 1000.0f));
    const float rem = len - float(n) * L;
    const size_t wanted = size_t(rem == 0.0f ? n : n + 1);
    if (wanted > nodes.size()) {
        if (nodes.empty()) {
            const float a = std::atan2(ex, ey);
            const float sx = std::sin(a) * L;
            const float sy = std::cos(a) * L;
            nodes.resize(wanted);
            links.assign(wanted, ChainLink{L, L});
            float px = ex;
            float py = ey;
            for (size_t k = wanted; k-- > 0;) {
                nodes[k] = ChainNode{px, py, px, py, 0.0f, 0.0f, 1.0f};
                px -= sx;
                py -= sy;
            }
            if (rem != 0.0f)
                links[0] = ChainLink{rem, rem};
        } else {
            links[0].targetLength = L;
            const size_t extra = wanted - nodes.size();
            const float fx = nodes[0].x;
            const float fy = nodes[0].y;
            const float a = std::atan2(fx, fy);
            const float ratio = std::sqrt(fx * fx + fy * fy) / (float(extra) * L + rem);
            const float seg = L * ratio;
            const float sx = std::sin(a) * seg;
            const float sy = std::cos(a) * seg;
            float px = fx;
            float py = fy;
            for (size_t k = 0; k < extra; ++k) {
                nodes.push_front(ChainNode{px, py, px, py, 0.0f, 0.0f, 1.0f});
                links.push_front(ChainLink{seg, L});
                px -= sx;
                py -= sy;
            }
            if (rem != 0.0f)
                links[0] = ChainLink{ratio * rem, rem};
        }
    }
    while (nodes.size() > wanted) {
        nodes.pop_front();
        links.pop_front();
    }
    if (links.empty() || nodes.empty())
        return;
    links[0].targetLength = rem;
    ChainNode& last = nodes.back();
    last.x = ex;
    last.y = ey;
    last.inverseMass = 0.0f;
}

void ChainLayer::Draw(Graphics& g, DrawTransform&, QstSceneDistortion*)
{
    if (!chainData || !chainData->linkPicture || !chainData->linkPicture->image)
        return;
    Image* link = chainData->linkPicture->image;
    g.SaveState();
    g.colorizeImages = true;
    g.ModulateColor(chainData->color);
    if (g.color.alpha > 0) {
        const float half = float(link->width) * 0.5f;
        const float ox = x;
        const float oy = y;
        float qx = ox;
        float qy = oy;
        for (const ChainNode& n : nodes) {
            const float px = n.x + ox;
            const float py = n.y + oy;
            const float dx = qx - px;
            const float dy = qy - py;
            const float angle = std::atan2(dx, dy);
            const float len = std::sqrt(dx * dx + dy * dy);
            const int cut = int((1.0f - std::min(len / linkLength, 1.0f)) * float(link->height));
            const Rect source(0, cut, link->width, link->height - cut);
            if (source.height > 0)
                g.DrawImageRotatedAbout(link, qx - half, qy, half, 0.0f, &source, double(angle + kPi));
            qx = px;
            qy = py;
        }
    }
    g.RestoreState();
}

} // namespace Quib
