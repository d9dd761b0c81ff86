#include "framework/graphics/DrawTransform.h"
#include "framework/graphics/Graphics.h"
#include "src/game/quest/Layer/QstAnimLayer.h"
#include "src/game/quest/Layer/QstAnimLayerData.h"
#include "tests/quest/LayerTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace Quib {
namespace {

using namespace Testing;

// Frames of 2 x 2 pixels side by side, frame i at (2 i, 0), with the
// given pixel word, loaded.
QstAnimLayerData* AnimData(int frames, float frameTime, bool loop, uint32_t pixel = 0xFF000000)
{
    auto* data = new QstAnimLayerData(0);
    for (int i = 0; i < frames; ++i) {
        QstAnimFrame frame;
        frame.name = "anim/" + std::to_string(i);
        frame.image = NewSolidPicture(2, 2, pixel);
        frame.x = float(2 * i);
        data->frames.push_back(frame);
    }
    data->frameTime = frameTime;
    data->loop = loop;
    data->width = float(2 * frames);
    data->height = 2;
    data->loaded = true;
    return data;
}

int FrameIndex(const QstAnimLayer& layer)
{
    return layer.currentFrame ? int(layer.currentFrame - layer.animData->frames.data()) : -1;
}

TEST(QstAnimLayer, OneShotStopsOnItsLastFrame)
{
    QstAnimLayer layer(AnimData(5, 0.125f, false));
    EXPECT_EQ(FrameIndex(layer), -1) << "no frame before the first update";
    const int expected[] = {1, 2, 3, 4, 4, 4};
    for (int step = 0; step < 6; ++step) {
        layer.Update(0.125f);
        EXPECT_EQ(FrameIndex(layer), expected[step]) << "update " << step + 1;
        EXPECT_EQ(layer.finished, step >= 4) << "update " << step + 1;
    }
}

TEST(QstAnimLayer, LoopShowsTheFirstFrameAgainAndDropsTheExcess)
{
    QstAnimLayer layer(AnimData(5, 0.125f, true));
    for (int step = 0; step < 4; ++step)
        layer.Update(0.125f);
    EXPECT_EQ(FrameIndex(layer), 4);
    layer.Update(0.125f);
    EXPECT_EQ(FrameIndex(layer), 0);
    EXPECT_EQ(layer.frameTimer, 0.0f);
    EXPECT_FALSE(layer.finished);
    layer.Update(0.2f);
    EXPECT_EQ(FrameIndex(layer), 1);
}

TEST(QstAnimLayer, ZeroFrameTimeStaysOnTheFirstFrame)
{
    for (float frameTime : {0.0f, -1.0f}) {
        QstAnimLayer layer(AnimData(3, frameTime, false));
        layer.Update(0.5f);
        layer.Update(0.5f);
        EXPECT_EQ(FrameIndex(layer), 0) << frameTime;
    }
}

TEST(QstAnimLayer, RestartClearsTheFinishedStateAndClonesStartAfresh)
{
    QstAnimLayer layer(AnimData(2, 0.1f, false));
    layer.Update(1.0f);
    ASSERT_TRUE(layer.finished);
    ASSERT_EQ(FrameIndex(layer), 1);
    layer.alpha = 0.25f;

    std::unique_ptr<QstLayer> clone(layer.Clone());
    auto* animClone = static_cast<QstAnimLayer*>(clone.get());
    EXPECT_EQ(FrameIndex(*animClone), -1);
    EXPECT_FALSE(animClone->finished);
    EXPECT_EQ(animClone->frameTimer, 0.0f);

    layer.SyncAlpha(); // the restart slot
    EXPECT_EQ(FrameIndex(layer), 0);
    EXPECT_FALSE(layer.finished);
    EXPECT_EQ(layer.alpha, 0.25f) << "the alpha is left alone";
    layer.Update(0.1f);
    EXPECT_EQ(FrameIndex(layer), 1) << "plays again";
}

TEST(QstAnimLayer, HiddenLayersKeepTheirTimer)
{
    QstAnimLayer layer(AnimData(4, 0.1f, false));
    layer.SetVisible(false, true);
    layer.Update(0.25f);
    EXPECT_EQ(FrameIndex(layer), 2);
}

TEST(QstAnimLayer, HitTestNeedsAlphaAboveThreshold)
{
    for (uint32_t alpha : {0x20u, 0x21u}) {
        QstAnimLayer layer(AnimData(2, 0.1f, false, alpha << 24));
        EXPECT_FALSE(layer.HitTest(1, 1)) << "no frame yet";
        layer.Update(0.0f);
        EXPECT_EQ(layer.HitTest(1, 1), alpha == 0x21u) << alpha;
        EXPECT_FALSE(layer.HitTest(2, 1)) << "beyond the frame's picture";
    }
}

TEST(QstAnimLayer, DrawsTheCurrentFrameAtItsOffset)
{
    QstAnimLayer layer(AnimData(2, 0.1f, false));
    static_cast<MemoryImage*>(layer.animData->frames[1].image)->AssignPixels(std::vector<uint32_t>(4, 0xFF00FF00u).data(), 2, 2, true);
    MemoryImage target(nullptr);
    target.AssignPixels(std::vector<uint32_t>(8 * 4, 0xFFFFFFFFu).data(), 8, 4, true);
    Graphics g(&target);
    g.color = Color::White;
    g.ReplaceClip(0, 0, 8, 4);
    DrawTransform t;
    t.Translate(2 + 2, 1 + 1); // layer at (2, 1), box 4 x 2: centre (4, 2)
    layer.Draw(g, t, nullptr);
    EXPECT_EQ(target.GetPixel(2, 1), 0xFFFFFFFFu) << "nothing before the first update";

    layer.Update(0.1f); // second frame, 2 pixels right of the box's corner
    layer.Draw(g, t, nullptr);
    EXPECT_EQ(target.GetPixel(3, 1), 0xFFFFFFFFu);
    EXPECT_EQ(target.GetPixel(4, 1) & 0xFFFF00FFu, 0xFF000000u) << std::hex << target.GetPixel(4, 1);
    EXPECT_GE(target.GetPixel(4, 1) >> 8 & 0xFF, 0xF0u);
    EXPECT_EQ(target.GetPixel(6, 2), 0xFFFFFFFFu);
}

} // namespace
} // namespace Quib
