#include "src/game/quest/Layer/QstAnimLayerData.h"
#include "src/game/quest/Layer/QstImageLayerData.h"
#include "src/game/quest/Layer/QstParticlesLayerData.h"
#include "src/game/quest/Layer/QstTextLayerData.h"
#include "tests/quest/LayerTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Quib {
namespace {

using namespace Testing;

// Stand-ins for field layers: readers only store the pointers.
QstFieldLayer* FakeFieldLayer(int n)
{
    return reinterpret_cast<QstFieldLayer*>(uintptr_t(0x1000 + 16 * n));
}

SLoadLayerDataCont SceneContext()
{
    SLoadLayerDataCont context;
    context.directory = "data\\scenes\\harbour\\";
    context.layers = {LayerInfo("back", 0, 0, 0),          LayerInfo("door/1", 100, 40, 30),
                      LayerInfo("door/2", 200, 36, 34),    LayerInfo("door_x/1", 300, 50, 20),
                      LayerInfo("items/lamp", 400, 10, 12), LayerInfo("sign", 500, 70, 80)};
    return context;
}

// Reads the element into the data in a fresh scene context, on field layer 0.
bool ReadInScene(QstLayerData& data, LayerXml& xml)
{
    SLoadLayerDataCont context = SceneContext();
    TPoint<float> pos;
    return data.DoInitFromXML(xml.Cursor(), context, "", pos, FakeFieldLayer(0));
}

TEST(QstLayerDataRead, CommonAttributes)
{
    struct Case {
        const char* attrs;
        Color color;
        bool mouseVisible, disabled, forceLoad;
        float fadeSpeed;
    };
    const Case cases[] = {
        {"", Color(255, 255, 255, 255), true, false, false, 2.0f},
        {"color=\"80FF0000\"", Color(255, 0, 0, 128), true, false, false, 2.0f},
        {"color=\"FF0000\"", Color(255, 0, 0, 255), true, false, false, 2.0f},
        {"color=\"xyz\"", Color(255, 255, 255, 255), true, false, false, 2.0f},
        {"mouse_visible=\"0\" disabled=\"1\"", Color(255, 255, 255, 255), false, true, false, 2.0f},
        {"mouse_visible=\"true\"", Color(255, 255, 255, 255), false, false, false, 2.0f},
        {"force_load=\"0\"", Color(255, 255, 255, 255), true, false, true, 2.0f},
        {"fade_time=\"0.25\"", Color(255, 255, 255, 255), true, false, false, 4.0f},
        {"fade_time=\"0\"", Color(255, 255, 255, 255), true, false, false, 0.0f},
        {"fade_time=\"-3\"", Color(255, 255, 255, 255), true, false, false, 0.0f},
    };
    for (const Case& c : cases) {
        LayerXml xml(std::string("<Image image=\"sign\" ") + c.attrs + "/>");
        QstImageLayerData data(0);
        ASSERT_TRUE(ReadInScene(data, xml)) << c.attrs;
        EXPECT_EQ(data.color, c.color) << c.attrs;
        EXPECT_EQ(data.mouseVisible, c.mouseVisible) << c.attrs;
        EXPECT_EQ(data.disabled, c.disabled) << c.attrs;
        EXPECT_EQ(data.forceLoad, c.forceLoad) << c.attrs;
        EXPECT_FLOAT_EQ(data.fadeSpeed, c.fadeSpeed) << c.attrs;
        EXPECT_TRUE(xml.errors.empty()) << c.attrs;
    }
}

TEST(QstLayerDataRead, ImagesStackAgainstTheirPictureLayer)
{
    SLoadLayerDataCont context = SceneContext();
    QstImageLayerData first(0), second(0);
    TPoint<float> pos;
    LayerXml xml("<Image image=\"items/lamp\"/>");
    ASSERT_TRUE(first.DoInitFromXML(xml.Cursor(), context, "", pos, FakeFieldLayer(1)));
    EXPECT_EQ(first.z, 400);
    EXPECT_EQ(pos, TPoint<float>(10, 12));
    EXPECT_EQ(first.directory, "data\\scenes\\harbour\\");
    EXPECT_EQ(first.GetResName(), "items/lamp");
    ASSERT_TRUE(second.DoInitFromXML(xml.Cursor(), context, "", pos, FakeFieldLayer(2)));
    EXPECT_EQ(second.z, 401) << "one above the previous user";
    const PsdLayerInfo* info = context.Find("items/lamp");
    EXPECT_TRUE(info->used);
    EXPECT_EQ(info->users, (std::vector<QstFieldLayer*>{FakeFieldLayer(1), FakeFieldLayer(2)}));
}

TEST(QstLayerDataRead, ImageErrors)
{
    struct Case {
        const char* xml;
        const char* error;
    };
    const Case cases[] = {
        {"<Image/>", "Attribute \"image\" not found"},
        {"<Image image=\"Sign\"/>", "Image \"Sign\"not found in psd"}, // case-sensitive
        {"<Text image=\"nothing\" text_tag=\"t\"/>", "Image \"nothing\"not found in psd"},
        {"<Text image=\"sign\"/>", "Attribute \"text_tag\" not found"},
        {"<Text image=\"sign\" text_tag=\"t\" align=\"2\"/>", "Attribute \"align\" have wrong value"},
        {"<Text image=\"sign\" text_tag=\"t\" font=\"FONT_NOWHERE\"/>", "Font \"FONT_NOWHERE\" not found"},
    };
    for (const Case& c : cases) {
        LayerXml xml(c.xml);
        SLoadLayerDataCont context = SceneContext();
        std::unique_ptr<QstImageLayerData> data(std::string(c.xml).rfind("<Text", 0) == 0 ? new QstTextLayerData(0)
                                                                                          : new QstImageLayerData(0));
        TPoint<float> pos;
        EXPECT_FALSE(data->DoInitFromXML(xml.Cursor(), context, "", pos, FakeFieldLayer(0))) << c.xml;
        EXPECT_EQ(xml.errors, std::vector<std::string>{c.error}) << c.xml;
        // The failed layer is deleted by the caller: no picture layer keeps it.
        EXPECT_TRUE(context.Find("sign")->users.empty()) << c.xml;
        EXPECT_FALSE(context.Find("sign")->used) << c.xml;
    }
}

TEST(QstLayerDataRead, TextAlignmentAndColour)
{
    struct Case {
        const char* attrs;
        int alignment;
        Color color;
    };
    const Case cases[] = {
        {"", -1, Color(43, 14, 0, 255)},
        {"align=\"left\"", -1, Color(43, 14, 0, 255)},
        {"align=\"\"", -1, Color(43, 14, 0, 255)},
        {"align=\"center\" color=\"FF00FF\"", 0, Color(255, 0, 255, 255)},
        {"align=\"0\"", 0, Color(43, 14, 0, 255)},
        {"align=\"right\"", 1, Color(43, 14, 0, 255)},
        {"align=\"1\" color=\"40000000\"", 1, Color(0, 0, 0, 64)},
    };
    for (const Case& c : cases) {
        LayerXml xml(std::string("<Text image=\"sign\" text_tag=\"sign_text\" ") + c.attrs + "/>");
        QstTextLayerData data(0);
        ASSERT_TRUE(ReadInScene(data, xml)) << c.attrs;
        EXPECT_EQ(data.alignment, c.alignment) << c.attrs;
        EXPECT_EQ(data.color, c.color) << c.attrs;
        EXPECT_EQ(data.z, 500);
        int w = 0, h = 0;
        EXPECT_EQ(data.ExportPoolImage(w, h), "") << "texts make no inventory icons";
    }
}

TEST(QstLayerDataRead, AnimationMasksTakeTheirFramesRelativeToTheBox)
{
    struct Case {
        const char* mask;
        std::vector<std::string> frames;
    };
    const Case cases[] = {{"door/", {"door/1", "door/2"}}, {"door", {"door/1", "door/2", "door_x/1"}}};
    for (const Case& c : cases) {
        SLoadLayerDataCont context = SceneContext();
        context.Find("door/1")->users.push_back(FakeFieldLayer(9));
        LayerXml xml(std::string("<Anim anim_mask=\"") + c.mask + "\" loop=\"1\" anim_frame_time=\"0.125\"/>");
        QstAnimLayerData data(0);
        TPoint<float> pos;
        ASSERT_TRUE(data.DoInitFromXML(xml.Cursor(), context, "", pos, FakeFieldLayer(1))) << c.mask;
        std::vector<std::string> names;
        for (const QstAnimFrame& f : data.frames)
            names.push_back(f.name);
        EXPECT_EQ(names, c.frames);
        EXPECT_EQ(data.z, 101) << "first frame's base z + its users";
        EXPECT_EQ(pos, TPoint<float>(36, c.frames.size() == 3 ? 20 : 30));
        EXPECT_EQ(data.frames[0].x, 40 - 36);
        EXPECT_EQ(data.frames[1].y, 34 - pos.y);
        EXPECT_TRUE(data.loop);
        EXPECT_FLOAT_EQ(data.frameTime, 0.125f);
        EXPECT_EQ(context.Find("door/1")->users.size(), 2u);
        EXPECT_TRUE(context.Find("door/2")->users.empty()) << "only the first frame's layer gets the user";
        EXPECT_TRUE(context.Find("door/2")->used);
        EXPECT_EQ(data.GetResName(), c.mask);
    }
}

TEST(QstLayerDataRead, AnimationErrors)
{
    SLoadLayerDataCont context = SceneContext();
    QstAnimLayerData data(0);
    TPoint<float> pos;
    {
        LayerXml xml("<Anim anim_mask=\"\"/>");
        EXPECT_FALSE(data.DoInitFromXML(xml.Cursor(), context, "", pos, nullptr));
        EXPECT_EQ(xml.errors, std::vector<std::string>{"Mask can't by empty"});
    }
    {
        LayerLog log;
        LayerXml xml("<Anim anim_mask=\"window/\"/>");
        EXPECT_FALSE(data.DoInitFromXML(xml.Cursor(), context, "", pos, nullptr));
        EXPECT_TRUE(xml.errors.empty());
        EXPECT_EQ(log.Count("No one layer match mask: \"window/\""), 1);
    }
    {
        // The naming rules apply to the mask without its trailing "/".
        SLoadLayerDataCont fx;
        fx.layers = {LayerInfo("a/_glow_fx/1", 0, 0, 0)};
        QstAnimLayerData glow(0);
        ASSERT_TRUE(glow.DoInitFromXML(LayerXml("<Anim anim_mask=\"a/_glow_fx/\"/>").Cursor(), fx, "", pos, nullptr));
        EXPECT_FALSE(glow.mouseVisible);
        EXPECT_TRUE(glow.disabled);
    }
}

TEST(QstLayerDataRead, ParticlesStackAboveOrBelowTheirAnchor)
{
    SLoadLayerDataCont context = SceneContext();
    PsdLayerInfo* sign = context.Find("sign");
    for (int i = 0; i < 3; ++i)
        sign->users.push_back(FakeFieldLayer(i));
    struct Case {
        const char* attrs;
        int32_t z;
        TPoint<float> pos;
    };
    const Case cases[] = {
        {"insert_before=\"sign\"", 500 - 3, {5, 6}},
        {"insert_after=\"sign\"", 500 + 4, {5, 6}},
        {"insert_after=\"back\" align_layer=\"items/lamp\" start_time=\"2\"", 0, {15, 18}},
    };
    for (const Case& c : cases) {
        LayerXml xml(std::string("<Particles particles_name=\"sparks\" x=\"5\" y=\"6\" ") + c.attrs + "/>");
        QstParticlesLayerData data(0);
        TPoint<float> pos;
        ASSERT_TRUE(data.DoInitFromXML(xml.Cursor(), context, "", pos, FakeFieldLayer(7))) << c.attrs;
        EXPECT_EQ(data.z, c.z) << c.attrs;
        EXPECT_EQ(pos, c.pos) << c.attrs;
        EXPECT_FALSE(data.mouseVisible);
        EXPECT_TRUE(data.disabled);
        EXPECT_EQ(data.GetResName(), "sparks");
        EXPECT_TRUE(data.DoIsInVisibleGroup("", "anything"));
        EXPECT_FALSE(data.DoIsInVisibleGroup("group", ""));
    }
    EXPECT_FALSE(context.Find("back")->used) << "particles never take a picture layer";
    EXPECT_FLOAT_EQ([&] {
        LayerXml xml("<Particles particles_name=\"p\" x=\"0\" y=\"0\" insert_after=\"back\" start_time=\"2\"/>");
        QstParticlesLayerData data(0);
        TPoint<float> pos;
        data.DoInitFromXML(xml.Cursor(), context, "", pos, nullptr);
        return data.startTime;
    }(), 2.0f);
}

TEST(QstLayerDataRead, ParticlesErrors)
{
    struct Case {
        const char* xml;
        const char* error;
    };
    const Case cases[] = {
        {"<Particles x=\"1\" y=\"1\" insert_after=\"sign\"/>", "Attribute \"particles_name\" not found"},
        {"<Particles particles_name=\"p\" y=\"1\" insert_after=\"sign\"/>", "Attribute \"x\" not found"},
        {"<Particles particles_name=\"p\" x=\"1\" y=\"1\"/>",
         "\"insert_after\" and \"insert_before\" attributes not found"},
        {"<Particles particles_name=\"p\" x=\"1\" y=\"1\" insert_after=\"sign\" insert_before=\"sign\"/>",
         "Use only one of \"insert_after\" and \"insert_before\" attributes"},
        {"<Particles particles_name=\"p\" x=\"1\" y=\"1\" insert_after=\"sign\" align_layer=\"none\"/>",
         "Psd layer \"none\" for particles pos not found"},
        {"<Particles particles_name=\"p\" x=\"1\" y=\"1\" insert_before=\"none\"/>", "Psd layer \"none\"not found"},
    };
    for (const Case& c : cases) {
        LayerXml xml(c.xml);
        SLoadLayerDataCont context = SceneContext();
        QstParticlesLayerData data(0);
        TPoint<float> pos;
        EXPECT_FALSE(data.DoInitFromXML(xml.Cursor(), context, "", pos, FakeFieldLayer(0))) << c.xml;
        EXPECT_EQ(xml.errors, std::vector<std::string>{c.error}) << c.xml;
        EXPECT_TRUE(context.Find("sign")->users.empty()) << c.xml;
    }
}

} // namespace
} // namespace Quib
