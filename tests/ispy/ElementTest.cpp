// Picture elements: frames from layer groups, the animation modes, the hit
// test on pixels, and the pic.ini values.
#include "framework/files/IniData.h"
#include "src/game/ispy/ElementImageQueue.h"
#include "src/game/ispy/ElementSprite.h"
#include "src/game/ispy/TPaintElement.h"
#include "tests/ispy/IspyTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace Quib::IspyTesting {

namespace {

struct Docs {
    explicit Docs(const std::string& layers, const std::string& pic = "[p]\n")
    {
        layersIni.Parse(layers);
        picIni.Parse(pic);
    }
    std::unique_ptr<TPaintElement> Make(const std::string& name)
    {
        return std::make_unique<TPaintElement>(name, "data/hog/p/", layersIni, picIni, false);
    }
    IniData layersIni;
    IniData picIni;
};

int FrameAt(TPaintElement& e, float clock)
{
    e.clock = clock;
    e.Update(0.0f);
    return e.CurrentFrameIndex();
}

} // namespace

TEST(HogElement, LayerGroupsGiveTheFramesInKeyOrder)
{
    ElementImageQueue::Clear();
    Docs docs("[p]\nback = 1 2 0 0 0 255 1\nfire/1 = 5 6 0 0 0 128 3\nfire/2 = 7 8 0 0 0 255 4\n"
              "firework/1 = 0 0 0 0 0 255 9\ntrash/cup/1 = 0 0 0 0 0 255 5\n");
    auto fire = docs.Make("fire");
    ASSERT_EQ(fire->frames.size(), 2u);
    EXPECT_EQ(fire->frames[0].path, "data/hog/p/fire/1");
    EXPECT_EQ(fire->frames[1].path, "data/hog/p/fire/2");
    // The last frame decides z and the colour.
    EXPECT_EQ(fire->z, 4);
    EXPECT_EQ(fire->colour, 0xFFFFFFFFu);
    auto back = docs.Make("back");
    auto cup = docs.Make("trash/cup");
    EXPECT_EQ(back->frames.size(), 1u);
    EXPECT_EQ(cup->frames.size(), 1u);
    // Every frame waits for the board's loading work.
    EXPECT_EQ(ElementImageQueue::Count(), 4u);
    fire->ResetAnimation();
    EXPECT_EQ(fire->GetFramePosition(), Point(5, 6));
    fire.reset();
    EXPECT_EQ(ElementImageQueue::Count(), 2u);
    ElementImageQueue::Clear();
}

TEST(HogElement, ShortLayerLineIsOpaqueAndKeepsZ)
{
    Docs docs("[p]\na/1 = 3 4 0 0 0 100 6\na/2 = 9\n");
    auto e = docs.Make("a");
    EXPECT_EQ(e->z, 6);
    EXPECT_EQ(e->colour, 0xFFFFFFFFu);
    ElementImageQueue::Clear();
}

TEST(HogElement, AnimationModes)
{
    struct Case {
        int mode;
        float clock;
        int frame;
    };
    const Case cases[] = {
        {0, 0.0f, 0}, {0, 0.26f, 1}, {0, 0.5f, 2}, {0, 0.99f, 3}, {0, 1.0f, 0}, {0, 7.3f, 1},
        {1, 0.5f, 2}, {1, 1.25f, 3}, {1, 1.0f, 3}, {1, 1.9f, 0},
    };
    Docs docs("[p]\nf/1 = 0 0 0 0 0 255 1\nf/2 = 0 0 0 0 0 255 1\nf/3 = 0 0 0 0 0 255 1\nf/4 = 0 0 0 0 0 255 1\n");
    auto e = docs.Make("f");
    e->ResetAnimation();
    for (const Case& c : cases) {
        e->mode = c.mode;
        EXPECT_EQ(FrameAt(*e, c.clock), c.frame) << c.mode << " " << c.clock;
    }
    ElementImageQueue::Clear();
}

TEST(HogElement, PauseAfterAPassLastsAboutThePause)
{
    Docs docs("[p]\nf/1 = 0 0 0 0 0 255 1\nf/2 = 0 0 0 0 0 255 1\n", "[p]\nf = ,1.00,2,2.00\n");
    auto e = docs.Make("f");
    e->ResetAnimation();
    EXPECT_EQ(e->phase, 2);
    e->Update(2.0f); // the first pause ends
    EXPECT_EQ(e->phase, 1);
    e->Update(0.6f);
    EXPECT_EQ(e->CurrentFrameIndex(), 1);
    e->Update(0.5f); // the pass ends: back to the first frame, pausing
    EXPECT_EQ(e->phase, 2);
    EXPECT_EQ(e->CurrentFrameIndex(), 0);
    EXPECT_GE(-e->clock, 0.0f - 0.25f * 2.0f - 0.001f);
    EXPECT_LE(-e->clock, 0.25f * 2.0f + 0.001f);
    ElementImageQueue::Clear();
}

TEST(HogElement, PicValuesAreReadAndAPeriodOfNothingIsRefused)
{
    struct Case {
        const char* pic;
        float period;
        int mode;
        float pause;
    };
    const Case cases[] = {
        {"[p]\nf = cup/mug,0.50,1,0.75\n", 0.5f, 1, 0.75f},
        {"[p]\nf = cup\n", 1.0f, 0, 1.0f},
        // Never zero or less: the frame index would divide by it and the
        // loop would subtract it for ever.
        {"[p]\nf = cup,0,0,1\n", 1.0f, 0, 1.0f},
        {"[p]\nf = cup,-2,4,1\n", 1.0f, 4, 1.0f},
    };
    for (const Case& c : cases) {
        Docs docs("[p]\nf/1 = 0 0 0 0 0 255 1\n", c.pic);
        auto e = docs.Make("f");
        EXPECT_FLOAT_EQ(e->period, c.period) << c.pic;
        EXPECT_EQ(e->mode, c.mode) << c.pic;
        EXPECT_FLOAT_EQ(e->pause, c.pause) << c.pic;
        e->ResetAnimation();
        e->Update(5.0f);
        EXPECT_GE(e->CurrentFrameIndex(), 0);
    }
    Docs named("[p]\nf/1 = 0 0 0 0 0 255 1\n", "[p]\nf = cup/mug/,1,0,1\n");
    EXPECT_EQ(named.Make("f")->names, (std::vector<std::string>{"cup", "mug"}));
    ElementImageQueue::Clear();
}

TEST(HogElement, PicEntryIsWrittenAndReadBackWithItsFraction)
{
    Docs docs("[p]\nf/1 = 0 0 0 0 0 255 1\n", "[p]\nf = cup/mug,0.5,2,0.5\n");
    auto e = docs.Make("f");
    IniData out;
    out.Parse("[p]\n");
    e->WritePicEntry(out);
    std::vector<std::string> values;
    out.GetValues(values, "f", "p");
    EXPECT_EQ(values, (std::vector<std::string>{"cup/mug", "0.50", "2", "0.50"}));
    // Written with its fraction, the pause comes back the same.
    Docs again("[p]\nf/1 = 0 0 0 0 0 255 1\n", "[p]\nf = cup/mug,0.50,2,0.50\n");
    EXPECT_FLOAT_EQ(again.Make("f")->pause, 0.5f);
    auto unnamed = Docs("[p]\ng = 0 0 0 0 0 255 1\n").Make("g");
    unnamed->WritePicEntry(out);
    values.clear();
    out.GetValues(values, "g", "p");
    EXPECT_EQ(values, (std::vector<std::string>{"", "1.00", "0", "1.00"}));
    ElementImageQueue::Clear();
}

TEST(HogElement, HitOnlyOnPixelsWithAlpha)
{
    Docs docs("[p]\nt/1 = 10 20 0 0 0 255 5\nglow_fx = 10 20 0 0 0 255 5\nflat = 10 20 0 0 0 255 0\n");
    for (const char* name : {"t", "glow_fx", "flat"}) {
        auto e = docs.Make(name);
        e->ResetAnimation();
        e->frames[0].sprite->SetImage(MakePicture(4, 4, {{1, 1}}, 1));
        e->frames[0].sprite->ownsImage = true;
        // The picture's corner lies at the layer position plus a half.
        const bool hittable = std::string(name) == "t";
        EXPECT_EQ(e->CanBeHitAt(12, 22), hittable) << name;
        EXPECT_FALSE(e->CanBeHitAt(11, 21)) << name;
        EXPECT_FALSE(e->CanBeHitAt(13, 22)) << name;
        e->hidden = true;
        EXPECT_FALSE(e->CanBeHitAt(12, 22)) << name;
    }
    ElementImageQueue::Clear();
}

TEST(HogElement, TurnedAndMirroredSpriteMapsBackToItsPixels)
{
    ElementSprite sprite;
    sprite.SetImage(MakePicture(10, 4, {{9, 0}}));
    sprite.ownsImage = true;
    sprite.x = 100.0f;
    sprite.y = 50.0f;
    EXPECT_TRUE(PixelHitTest(sprite, 109, 50));
    sprite.mirrorX = -1; // pixel (9, 0) now lies left of the pivot
    EXPECT_TRUE(PixelHitTest(sprite, 91, 50));
    EXPECT_FALSE(PixelHitTest(sprite, 109, 50));
    sprite.mirrorX = 1;
    // A quarter turn the way the drawing turns it: the image's x axis
    // points up the screen.
    sprite.angle = 3.14159265f / 2.0f;
    EXPECT_TRUE(PixelHitTest(sprite, 100, 41));
    EXPECT_FALSE(PixelHitTest(sprite, 100, 59));
    sprite.scaleX = 0.0f;
    EXPECT_FALSE(PixelHitTest(sprite, 100, 50));
}

} // namespace Quib::IspyTesting
