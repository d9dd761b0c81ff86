// A scene document with every layer kind (image, animation, particles,
// text, sea) and the distortion, loaded by the scene, laid out by its
// fields, updated and drawn.
#include "framework/app/QuibAppBase.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/ImageLib.h"
#include "src/game/quest/Layer/QstAnimLayer.h"
#include "src/game/quest/Layer/QstAnimLayerData.h"
#include "src/game/quest/Layer/QstImageLayer.h"
#include "src/game/quest/Layer/QstParticlesLayer.h"
#include "src/game/quest/Layer/QstSceneDistortion.h"
#include "src/game/quest/Layer/QstSeaLayer.h"
#include "src/game/quest/Layer/QstTextLayer.h"
#include "src/game/quest/Layer/QstTextLayerData.h"
#include "src/game/quest/QstField.h"
#include "src/game/quest/QstFieldLayer.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemState.h"
#include "src/game/quest/QstScene.h"
#include "src/particles/EmitterFile.h"
#include "tests/quest/LayerTestSupport.h"
#include "tests/quest/QstCoreTestSupport.h"
#include "tests/support/TestDisplays.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace Quib::Testing {
namespace {

void WriteLayerPng(const TempDir& dir, const std::string& name, int w, int h, uint32_t argb)
{
    ImageLib::Image image;
    image.width = w;
    image.height = h;
    image.pixels = new uint32_t[size_t(w) * size_t(h)];
    std::fill(image.pixels, image.pixels + size_t(w) * size_t(h), argb);
    dir.WriteFile("data/scenes/Dock/" + name + ".png", "");
    ASSERT_TRUE(ImageLib::WritePng(dir / ("data/scenes/Dock/" + name + ".png"), &image));
}

class QstSceneLayerKindsTest : public QstCoreSceneTest {
protected:
    QstSceneLayerKindsTest()
    {
        MakeTestDisplay(app, kDisplayLayouts[0]);
        dir.WriteFile("res/quest.ptc", "ptc 1\nemitter Fountain\n duration = 10\n particles p\n  rate = 10\n"
                                       "  life = 100\n end\nend\n");
        LoadParticleFiles();
        WriteScene("Dock", R"(<Scene ambient_sounds="harbour" distortion="1">
  <Field name="main" mask="main/">
    <Item name="sea"><State name="normal"><SeaBack image="main/sea" mouse_visible="0"/></State></Item>
    <Item name="lamp"><State name="normal" image="main/lamp">
      <Anim anim_mask="main/flame/" loop="1" anim_frame_time="0.1"/>
      <Particles particles_name="Fountain" x="2" y="3" align_layer="main/lamp" insert_after="main/lamp"/>
      <Text image="main/sign" text_tag="dock_sign" align="center"/>
    </State></Item>
  </Field>
</Scene>)",
                   QstCoreLayer("main/back", 0, 0, 0) + QstCoreLayer("main/sea", 0, 100, 1) +
                       QstCoreLayer("main/lamp", 40, 40, 2) + QstCoreLayer("main/flame/1", 44, 30, 3) +
                       QstCoreLayer("main/flame/2", 45, 28, 3) + QstCoreLayer("main/sign", 100, 20, 4));
        WriteLayerPng(dir, "main/back", 200, 150, 0xFF102030u);
        WriteLayerPng(dir, "main/sea", 200, 50, 0xFF0000FFu);
        WriteLayerPng(dir, "main/lamp", 10, 20, 0xFFFFFF00u);
        WriteLayerPng(dir, "main/flame/1", 4, 6, 0xFFFF0000u);
        WriteLayerPng(dir, "main/flame/2", 3, 8, 0xFFFF8000u);
        WriteLayerPng(dir, "main/sign", 60, 20, 0x80FFFFFFu);
    }
    ~QstSceneLayerKindsTest() override
    {
        own.clear(); // their pictures go before the display
        UnloadParticleFiles();
    }

    template <class Kind>
    static std::vector<QstFieldLayer*> LayersOf(QstField* field)
    {
        std::vector<QstFieldLayer*> found;
        for (QstFieldLayer* layer : field->layers)
            if (dynamic_cast<Kind*>(layer->GetLayer()))
                found.push_back(layer);
        return found;
    }

    QuibAppBase app;
};

TEST_F(QstSceneLayerKindsTest, EveryKindLoadsStacksAndDraws)
{
    QstScene* scene = LoadOwn("Dock");
    ASSERT_FALSE(scene->LoadFailed()) << ::testing::PrintToString(BoxTexts());
    ASSERT_NE(scene->distortion, nullptr);
    QstField* main = scene->GetField("main");
    ASSERT_NE(main, nullptr);

    ASSERT_EQ(LayersOf<QstSeaLayer>(main).size(), 1u);
    ASSERT_EQ(LayersOf<QstAnimLayer>(main).size(), 1u);
    ASSERT_EQ(LayersOf<QstParticlesLayer>(main).size(), 1u);
    ASSERT_EQ(LayersOf<QstTextLayer>(main).size(), 1u);
    QstFieldLayer* anim = LayersOf<QstAnimLayer>(main)[0];
    QstFieldLayer* particles = LayersOf<QstParticlesLayer>(main)[0];
    QstFieldLayer* sea = LayersOf<QstSeaLayer>(main)[0];
    // Depths: the lamp picture (200) with the particles one above it, the
    // flame frames at 300, the sign's text at 400; the field keeps them in
    // ascending order.
    EXPECT_EQ(particles->GetDepth(), 201);
    EXPECT_EQ(anim->GetDepth(), 300);
    EXPECT_EQ(LayersOf<QstTextLayer>(main)[0]->GetDepth(), 400);
    EXPECT_TRUE(std::is_sorted(main->layers.begin(), main->layers.end(),
                               [](QstFieldLayer* a, QstFieldLayer* b) { return a->GetDepth() < b->GetDepth(); }));
    EXPECT_EQ(particles->GetLayer()->x, 42.0f);
    EXPECT_EQ(particles->GetLayer()->y, 43.0f);
    EXPECT_FALSE(sea->GetLayer()->data->mouseVisible);

    QstScene::LoadLayers(scene);
    EXPECT_EQ(anim->GetLayer()->data->width, 4.0f) << "frames at x 44 and 45, 4 and 3 wide";
    EXPECT_EQ(anim->GetLayer()->data->height, 8.0f);
    scene->UpdateScene(0.15f);
    auto* animLayer = static_cast<QstAnimLayer*>(anim->GetLayer());
    ASSERT_NE(animLayer->currentFrame, nullptr);
    EXPECT_EQ(animLayer->currentFrame->name, "main/flame/2");
    EXPECT_FLOAT_EQ(scene->distortion->time, 0.15f);
    EXPECT_NE(static_cast<QstParticlesLayer*>(particles->GetLayer())->effect, nullptr);

    std::unique_ptr<MemoryImage> canvas(NewSolidPicture(200, 150, 0xFF000000u));
    Graphics g(canvas.get());
    g.color = Color::White;
    g.ReplaceClip(0, 0, 200, 150);
    // The widget tree draws a field translated to its place.
    g.transX = float(main->x);
    g.transY = float(main->y);
    main->Draw(g);
    EXPECT_EQ(canvas->GetPixel(5, 5), 0xFF102030u) << "the backdrop";
    EXPECT_EQ(canvas->GetPixel(100, 135) & 0xFFFFFF00u, 0xFF000000u) << "the sea, blue";
    EXPECT_GT(canvas->GetPixel(100, 135) & 0xFFu, 0xC0u);
    EXPECT_EQ(canvas->GetPixel(45, 55), 0xFFFFFF00u) << "the lamp";
    // The second flame frame (orange, 3 wide at x 45), moved a pixel or two
    // by the ripple.
    int orange = 0;
    for (int x = 40; x < 52; ++x)
        orange += (canvas->GetPixel(x, 32) & 0xFFFFFF00u) == 0xFFFF8000u;
    EXPECT_GE(orange, 2);
    EXPECT_EQ(canvas->GetPixel(130, 30), 0xFF102030u) << "the sign's picture is not drawn, only its text";
    EXPECT_EQ(g.SavedStateCount(), 0u);
}

} // namespace
} // namespace Quib::Testing
