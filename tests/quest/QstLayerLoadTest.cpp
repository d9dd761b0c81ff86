#include "framework/app/QuibAppBase.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/ImageLib.h"
#include "platform/FileNames.h"
#include "src/game/quest/Layer/QstAnimLayer.h"
#include "src/game/quest/Layer/QstAnimLayerData.h"
#include "src/game/quest/Layer/QstImageLayer.h"
#include "src/game/quest/Layer/QstImageLayerData.h"
#include "src/game/quest/PsdPicture.h"
#include "tests/quest/LayerTestSupport.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDisplays.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace Quib {
namespace {

using namespace Testing;

// The fixture picture tests/data/quest/layers/pic/ copied into a scratch
// working directory, read into a load context as a scene does.
class QstLayerLoadTest : public ::testing::Test {
protected:
    QstLayerLoadTest() : cwd(dir.Path())
    {
        MakeTestDisplay(app, kDisplayLayouts[0]);
        std::filesystem::copy(std::string(QUIB_TEST_DATA) + "/quest/layers/pic", dir / "pic",
                              std::filesystem::copy_options::recursive);
        PsdPicture picture("pic\\", false);
        context.directory = picture.directory;
        for (const PsdPictureLayer* layer : picture.layers)
            context.layers.push_back(LayerInfo(layer->name, layer->z * 100, float(layer->x), float(layer->y)));
    }

    QuibAppBase app;
    TempDir dir;
    ScopedWorkingDirectory cwd;
    SLoadLayerDataCont context;
};

TEST_F(QstLayerLoadTest, ImageLoadsItsPictureAndHitsItsPixels)
{
    LayerXml xml("<Image image=\"door/1\"/>");
    auto* data = new QstImageLayerData(0);
    QstImageLayer layer(data);
    TPoint<float> pos;
    ASSERT_TRUE(data->DoInitFromXML(xml.Cursor(), context, "", pos, nullptr));
    EXPECT_EQ(pos, TPoint<float>(10, 20));
    EXPECT_EQ(data->z, 100);
    data->Load();
    ASSERT_NE(data->image, nullptr);
    EXPECT_EQ(data->width, 4.0f);
    EXPECT_EQ(data->height, 4.0f);
    EXPECT_TRUE(layer.HitTest(0, 0));
    EXPECT_FALSE(layer.HitTest(1, 1)) << "the transparent pixel";
    EXPECT_FALSE(layer.HitTest(4, 0));
    data->Release();
    EXPECT_EQ(data->image, nullptr);
    EXPECT_EQ(data->width, 4.0f) << "the size stays known";
}

TEST_F(QstLayerLoadTest, AnimationFramesLoadAndSpanTheirUnion)
{
    LayerXml xml("<Anim anim_mask=\"door/\"/>");
    auto* data = new QstAnimLayerData(0);
    QstAnimLayer layer(data);
    TPoint<float> pos;
    ASSERT_TRUE(data->DoInitFromXML(xml.Cursor(), context, "", pos, nullptr));
    EXPECT_EQ(pos, TPoint<float>(8, 20));
    data->Load();
    ASSERT_EQ(data->frames.size(), 2u);
    EXPECT_NE(data->frames[0].image, nullptr);
    EXPECT_NE(data->frames[1].image, nullptr);
    EXPECT_EQ(data->width, 6.0f);
    EXPECT_EQ(data->height, 5.0f);
    layer.Update(0.0f);
    EXPECT_TRUE(layer.HitTest(2, 0)) << "frame 1 sits 2 pixels right";
    EXPECT_FALSE(layer.HitTest(3, 1)) << "its transparent pixel";
    EXPECT_FALSE(layer.HitTest(0, 0)) << "outside frame 1";
    data->Release();
    EXPECT_EQ(data->frames[0].image, nullptr);
}

TEST_F(QstLayerLoadTest, MissingPicturesAreLoggedAndLeaveNoImage)
{
    LayerLog log;
    QstImageLayerData data(0);
    data.SetResource(context.directory, "door/3");
    data.width = 7;
    data.Load();
    EXPECT_EQ(data.image, nullptr);
    EXPECT_EQ(data.width, 7.0f);
    EXPECT_EQ(log.Count("Image not found: \"pic\\door/3\""), 1);
}

TEST_F(QstLayerLoadTest, ExportsInventoryIcons)
{
    QstImageLayerData image(0);
    image.SetResource(context.directory, "door/2");
    int w = 0, h = 0;
    const std::string path = image.ExportPoolImage(w, h);
    EXPECT_EQ(path, "data\\PoolItems\\pic\\door/2.png");
    EXPECT_EQ(w, 5);
    EXPECT_EQ(h, 3);
    const auto written = ImageLib::ReadPng(ResolveExistingPath(ToSlashes(path)));
    ASSERT_TRUE(written);
    EXPECT_EQ(written->width, 5);
    EXPECT_EQ(written->pixels[0], 0xFF00FF00u);

    QstAnimLayerData anim(0);
    anim.directory = context.directory;
    EXPECT_EQ(anim.ExportPoolImage(w, h), "") << "no frames";
    QstAnimFrame frame;
    frame.name = "door/1";
    anim.frames.push_back(frame);
    EXPECT_EQ(anim.ExportPoolImage(w, h), "data\\PoolItems\\pic\\door/1.png");
    EXPECT_EQ(w, 4);
}

} // namespace
} // namespace Quib
