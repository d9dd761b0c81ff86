#include "src/game/quest/Layer/QstAnimLayer.h"
#include "src/game/quest/Layer/QstAnimLayerData.h"
#include "src/game/quest/Layer/QstImageLayer.h"
#include "src/game/quest/Layer/QstImageLayerData.h"
#include "src/game/quest/Layer/QstTextLayer.h"
#include "src/game/quest/Layer/QstTextLayerData.h"
#include "tests/quest/LayerTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace Quib {
namespace {

using namespace Testing;

// An image layer over a loaded picture of the given size.
std::unique_ptr<QstImageLayer> ImageLayerOver(MemoryImage* picture)
{
    auto* data = new QstImageLayerData(0);
    data->image = picture;
    data->width = float(picture->width);
    data->height = float(picture->height);
    data->loaded = true;
    return std::make_unique<QstImageLayer>(data);
}

TEST(QstLayerFade, HidingFadesOverTheFadeTimeOrSnapsAtOnce)
{
    auto layer = ImageLayerOver(NewSolidPicture(2, 2, 0xFF000000));
    ASSERT_EQ(layer->alpha, 1.0f);
    ASSERT_EQ(layer->data->fadeSpeed, 2.0f); // 0.5 s

    QstImageLayer::SetDataVisible(layer.get(), false, false);
    EXPECT_TRUE(layer->IsFading());
    layer->Update(0.25f);
    EXPECT_FLOAT_EQ(layer->alpha, 0.5f);
    layer->Update(0.2f);
    EXPECT_NEAR(layer->alpha, 0.1f, 1e-5f);
    layer->Update(0.2f);
    EXPECT_EQ(layer->alpha, 0.0f) << "never overshoots";
    EXPECT_FALSE(layer->IsShowing());

    QstImageLayer::SetDataVisible(layer.get(), true, true);
    EXPECT_EQ(layer->alpha, 1.0f);
    EXPECT_TRUE(layer->IsTargetVisible());
}

TEST(QstLayerFade, ClonesSnapOnlyWhenTheDataImmediateFlagChanges)
{
    auto layer = ImageLayerOver(NewSolidPicture(2, 2, 0xFF000000));
    std::unique_ptr<QstLayer> clone(layer->Clone());
    EXPECT_FALSE(clone->ownsData);
    EXPECT_EQ(clone->data, layer->data);

    // First immediate change: both snap (the clone at its next update).
    QstImageLayer::SetDataVisible(layer.get(), false, true);
    EXPECT_EQ(layer->alpha, 0.0f);
    EXPECT_EQ(clone->alpha, 1.0f);
    clone->Update(0.0f);
    EXPECT_EQ(clone->alpha, 0.0f);

    // Second one: the flag was already set, so the clone fades.
    QstImageLayer::SetDataVisible(layer.get(), true, true);
    EXPECT_EQ(layer->alpha, 1.0f);
    clone->Update(0.1f);
    EXPECT_FLOAT_EQ(clone->alpha, 0.2f);
}

TEST(QstLayerFade, ZeroFadeTimeShowsChangesAtOnce)
{
    auto layer = ImageLayerOver(NewSolidPicture(2, 2, 0xFF000000));
    layer->data->fadeSpeed = 0.0f; // fade_time="0"
    layer->SetVisible(false, false);
    layer->Update(0.0f);
    EXPECT_EQ(layer->alpha, 0.0f);
    layer->SetVisible(true, false);
    layer->Update(0.01f);
    EXPECT_EQ(layer->alpha, 1.0f);
}

TEST(QstLayerFade, TargetNeedsShownGroupVisibleAndVisible)
{
    auto layer = ImageLayerOver(NewSolidPicture(2, 2, 0xFF000000));
    const struct {
        bool shown, group, visible, target;
    } cases[] = {{true, true, true, true}, {false, true, true, false}, {true, false, true, false},
                 {true, true, false, false}};
    for (const auto& c : cases) {
        layer->data->shown = c.shown;
        layer->data->groupVisible = c.group;
        layer->visible = c.visible;
        EXPECT_EQ(layer->IsTargetVisible(), c.target);
        layer->SyncAlpha();
        EXPECT_EQ(layer->alpha, c.target ? 1.0f : 0.0f);
    }
}

TEST(QstLayerVisibility, BecomingVisibleLoadsOnlyOnceAutoLoadIsSet)
{
    auto* data = new QstImageLayerData(0);
    data->SetResource("nowhere/", "missing");
    QstImageLayer layer(data);
    layer.SetVisible(false, true);
    layer.SetVisible(true, true);
    EXPECT_FALSE(data->loaded) << "not laid out yet";

    layer.SetVisible(false, true);
    data->autoLoad = true;
    LayerLog log;
    layer.SetVisible(true, false);
    EXPECT_TRUE(data->loaded);
    EXPECT_EQ(log.Count("Image not found: \"nowhere/missing\""), 1);
    EXPECT_EQ(data->image, nullptr);
}

TEST(QstLayerVisibility, DataVisibilityLoadsOnShowOnlyWhenTheLayerWasVisible)
{
    struct Case {
        bool otherFlag, layerVisible;
        bool loads;
    };
    // Shown set back to true: loads when (group visible and layer visible)
    // or the alpha was not 0 before.
    const Case cases[] = {{true, true, true}, {false, true, false}, {true, false, false}};
    for (const Case& c : cases) {
        LayerLog log;
        auto* data = new QstImageLayerData(0);
        data->SetResource("nowhere/", "x");
        QstImageLayer layer(data);
        data->autoLoad = true;
        data->groupVisible = c.otherFlag;
        layer.visible = c.layerVisible;
        data->shown = false;
        layer.alpha = 0.0f;
        QstImageLayer::SetDataVisible(&layer, true, false);
        // LoadOnShow also needs group visible: the case without it never loads.
        EXPECT_EQ(data->loaded, c.loads) << c.otherFlag << c.layerVisible;
        EXPECT_FALSE(data->immediate);
    }
}

TEST(QstLayerHitTest, ImagePixelsAndRectangleEnds)
{
    // Alpha 0 at column 0, 1 at column 1, opaque elsewhere.
    auto layer = ImageLayerOver(NewLayerPicture(4, 3, [](int x, int) -> uint32_t {
        return x == 0 ? 0x00FFFFFFu : x == 1 ? 0x01000000u : 0xFF000000u;
    }));
    EXPECT_FALSE(layer->HitTest(0, 1));
    EXPECT_TRUE(layer->HitTest(1, 1)) << "alpha 1";
    EXPECT_TRUE(layer->HitTest(3, 2));
    EXPECT_FALSE(layer->HitTest(4, 1));
    EXPECT_FALSE(layer->HitTest(-1, 1));
    EXPECT_TRUE(layer->IsInRect(4, 3)) << "both ends included";
    EXPECT_FALSE(layer->IsInRect(5, 3));
    EXPECT_FALSE(layer->IsInRect(-1, 0));
}

TEST(QstLayerHitTest, TextLayerUsesItsPictureAlpha)
{
    auto* data = new QstTextLayerData(0);
    data->image = NewLayerPicture(3, 1, [](int x, int) -> uint32_t { return x == 1 ? 0x00FFFFFFu : 0x80000000u; });
    data->loaded = true;
    data->width = 3;
    data->height = 1;
    QstTextLayer layer(data);
    EXPECT_TRUE(layer.HitTest(0, 0));
    EXPECT_FALSE(layer.HitTest(1, 0));
    EXPECT_FALSE(layer.HitTest(3, 0)) << "0 outside the picture";
}

TEST(QstLayerData, NamingRules)
{
    struct Case {
        const char* name;
        bool mouseVisible, disabled;
    };
    const Case cases[] = {
        {"items/_shadow_fx", false, true}, {"items/lamp", true, false}, {"fx", true, false},
        {"_fx", false, false},             {"a/_", true, true},         {"a_/", true, false},
        {"_top", true, false},             {"a/b/_c", true, true},      {"a/_b/c", true, false},
    };
    for (const Case& c : cases) {
        QstImageLayerData data(0);
        data.SetResource("dir/", c.name);
        EXPECT_EQ(data.mouseVisible, c.mouseVisible) << c.name;
        EXPECT_EQ(data.disabled, c.disabled) << c.name;
        EXPECT_EQ(data.directory, "dir/");
        EXPECT_EQ(data.GetResName(), c.name);
    }
}

TEST(QstLayerData, ColourTexts)
{
    struct Case {
        const char* text;
        bool ok;
        Color color;
    };
    const Case cases[] = {
        {"80FF0000", true, Color(255, 0, 0, 128)},
        {"FF0000", true, Color(255, 0, 0, 255)}, // six digits: opaque
        {"ff2b0e00", true, Color(43, 14, 0, 255)},
        {"0", true, Color(0, 0, 0, 255)},
        {"00FFFFFF", true, Color(255, 255, 255, 0)},
        {"FFFFFFFF", true, Color(255, 255, 255, 255)},
        {"", false, Color(1, 2, 3, 4)},
        {"zz", false, Color(1, 2, 3, 4)},
        {"1FFFFFFFF", false, Color(1, 2, 3, 4)},
    };
    for (const Case& c : cases) {
        Color out(1, 2, 3, 4);
        EXPECT_EQ(QstLayerData::ParseColor(c.text, out), c.ok) << c.text;
        EXPECT_EQ(out, c.color) << c.text;
    }
}

TEST(QstLayerData, ReloadingReleasesThePictureItReplaces)
{
    // A picture set as loaded, then the resource moves: the old picture is
    // released (not leaked) before the new one is looked for.
    auto* data = new QstImageLayerData(0);
    QstImageLayer layer(data);
    data->image = NewSolidPicture(2, 2, 0xFF000000);
    data->loaded = true;
    LayerLog log;
    data->SetResource("other/", "pic");
    EXPECT_TRUE(data->loaded);
    EXPECT_EQ(data->image, nullptr);
    EXPECT_EQ(log.Count("Image not found: \"other/pic\""), 1);
    data->Release();
    EXPECT_FALSE(data->loaded);
}

TEST(QstLayerData, VisibleGroupsOfImagesAndAnimations)
{
    QstImageLayerData image(0);
    image.SetResource("d/", "door/open");
    EXPECT_TRUE(image.DoIsInVisibleGroup("g", "door/"));
    EXPECT_TRUE(image.DoIsInVisibleGroup("g", ""));
    EXPECT_FALSE(image.DoIsInVisibleGroup("g", "window/"));

    QstAnimLayerData anim(0);
    for (const char* name : {"door/1", "door/2", "door_x/1"}) {
        QstAnimFrame frame;
        frame.name = name;
        anim.frames.push_back(frame);
    }
    EXPECT_TRUE(anim.DoIsInVisibleGroup("g", "door"));
    LayerLog log;
    EXPECT_FALSE(anim.DoIsInVisibleGroup("grp", "door/"));
    EXPECT_EQ(log.Count("DoIsInVisibleGroup(theGroupName=\"grp\", theMask=\"door/\") match 2/3 layers for Anim "
                        "layer (\"door/1\")"),
              1);
    EXPECT_FALSE(anim.DoIsInVisibleGroup("g", "window"));
}

} // namespace
} // namespace Quib
