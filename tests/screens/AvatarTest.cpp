// The avatar: faces from the layout, the mood machine and its cross-fade.
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "src/game/quest/PsdPicture.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/PlayerInfo.h"
#include "src/screens/Avatar.h"
#include "src/screens/GameProgress.h"
#include "src/screens/TImageWidget.h"
#include "tests/screens/ScreensTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace Quib {
namespace {
namespace AvatarTests {

using namespace Testing;

constexpr uint32_t kBlue = 0xFF0000FFu;
constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kGreen = 0xFF00FF00u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kYellow = 0xFFFFFF00u;

// A w x h picture, transparent, with an opaque patch of the colour.
MemoryImage* Picture(int w, int h, uint32_t argb, const Rect& patch)
{
    std::vector<uint32_t> words(size_t(w * h), 0u);
    for (int y = patch.y; y < patch.y + patch.height; ++y)
        for (int x = patch.x; x < patch.x + patch.width; ++x)
            words[size_t(y * w + x)] = argb | 0xFF000000u;
    auto* image = new MemoryImage(nullptr);
    image->AssignPixels(words.data(), w, h, true);
    return image;
}

void AddLayer(PsdPicture& layout, const std::string& name, int x, int y, MemoryImage* image)
{
    auto* layer = new PsdPictureLayer;
    layer->name = name;
    layer->x = x;
    layer->y = y;
    layer->image = image;
    layout.layers.push_back(layer);
}

// A character's layers around (100, 50): back, second back, four faces of
// four colours, and the glass with one white pixel, the widest of them.
void AddCharacter(PsdPicture& layout, const std::string& name)
{
    const std::string base = "animated_faces/" + name + "/";
    AddLayer(layout, base + "_back_01", 100, 50, Picture(40, 40, kBlue, Rect(0, 0, 40, 40)));
    AddLayer(layout, base + "ab", 100, 50, Picture(40, 40, kYellow, Rect(0, 30, 40, 10)));
    const char* moods[] = {"neutral", "happy", "mad", "surprise"};
    const uint32_t colors[] = {kRed, kGreen, kWhite, 0xFF808080u};
    for (int i = 0; i < 4; ++i)
        AddLayer(layout, base + "face_" + moods[i], 110 + i, 60, Picture(20, 20, colors[i], Rect(0, 0, 20, 20)));
}

void AddGlass(PsdPicture& layout)
{
    AddLayer(layout, "animated_faces/_glass_02", 95, 45, Picture(50, 50, kWhite, Rect(48, 48, 1, 1)));
}

TEST(Avatar, TakesItsLayersAndMakesTheirPlacesRelativeToItsBounds)
{
    PsdPicture layout;
    AddCharacter(layout, "hero");
    AddCharacter(layout, "boat");
    AddGlass(layout);
    // The boat's faces moved so that the two characters differ.
    for (PsdPictureLayer* layer : layout.layers)
        if (layer->name.starts_with("animated_faces/boat/face_"))
            layer->y = 80;
    struct Case {
        const char* name;
        Rect bounds;
        int faceY; // relative
    };
    for (const Case& c : {Case{"hero", Rect(95, 45, 50, 50), 15}, Case{"boat", Rect(95, 45, 50, 55), 35},
                          Case{"movie", Rect(95, 45, 50, 55), 35}}) {
        Avatar avatar;
        avatar.LoadFaces(layout, c.name);
        EXPECT_EQ(avatar.GetBounds(), c.bounds) << c.name;
        for (int mood = 0; mood < Avatar::MOOD_COUNT; ++mood) {
            ASSERT_NE(avatar.faces[mood], nullptr) << c.name;
            EXPECT_EQ(avatar.facePositions[mood], Point(15 + mood, c.faceY)) << c.name;
        }
        EXPECT_EQ(avatar.backPosition, Point(5, 5));
        EXPECT_EQ(avatar.secondBackPosition, Point(5, 5));
        EXPECT_EQ(avatar.glassPosition, Point(0, 0));
        EXPECT_NE(avatar.back, avatar.secondBack);
        EXPECT_NE(avatar.glass, nullptr);
    }
    for (const PsdPictureLayer* layer : layout.layers)
        EXPECT_TRUE(layer->drawn) << layer->name;
}

TEST(Avatar, AnUnknownCharacterHasNoPicturesAndDrawsNothing)
{
    PsdPicture layout;
    AddCharacter(layout, "hero");
    Avatar avatar;
    avatar.LoadFaces(layout, "nobody");
    EXPECT_EQ(avatar.GetBounds(), Rect());
    std::unique_ptr<MemoryImage> screen(NewScreen(60, 60));
    Graphics g(screen.get());
    avatar.requestedMood = Avatar::MOOD_HAPPY;
    for (int i = 0; i < 5; ++i) {
        avatar.Update(0.05f);
        avatar.Draw(g);
    }
    for (int y = 0; y < 60; y += 7)
        for (int x = 0; x < 60; x += 7)
            EXPECT_PRED2(Near, screen->GetPixel(x, y), 0xFF000000u);
}

// Runs frames of 1/16 s (a cross-fade step of 0.1875, all exact in binary)
// and notes the frame at which each change of the machine is first seen.
struct Timeline {
    int happyShown = -1, targetBackToNeutral = -1, neutralShown = -1, madTarget = -1, madShown = -1;
};

Timeline RunFrames(Avatar& avatar, int frames, int madRequestFrame)
{
    Timeline t;
    for (int frame = 1; frame <= frames; ++frame) {
        if (frame == madRequestFrame)
            avatar.requestedMood = Avatar::MOOD_MAD;
        avatar.Update(1.0f / 16.0f);
        auto note = [frame](int& at, bool now) {
            if (now && at < 0)
                at = frame;
        };
        note(t.happyShown, avatar.shownMood == Avatar::MOOD_HAPPY);
        note(t.targetBackToNeutral, t.happyShown > 0 && avatar.targetMood == Avatar::MOOD_NEUTRAL);
        note(t.neutralShown, t.happyShown > 0 && avatar.shownMood == Avatar::MOOD_NEUTRAL);
        note(t.madTarget, avatar.targetMood == Avatar::MOOD_MAD);
        note(t.madShown, avatar.shownMood == Avatar::MOOD_MAD);
    }
    return t;
}

TEST(Avatar, AHappyFaceFadesInInAThirdOfASecondStaysThreeSecondsAndFadesBack)
{
    Avatar avatar;
    avatar.requestedMood = Avatar::MOOD_HAPPY;
    const Timeline t = RunFrames(avatar, 16 * 5, -1);
    EXPECT_EQ(t.happyShown, 6) << "six steps of 0.1875: a third of a second";
    // Three seconds of hold (48 frames), and the frames of arrival.
    EXPECT_GE(t.targetBackToNeutral - t.happyShown, 48);
    EXPECT_LE(t.targetBackToNeutral - t.happyShown, 50);
    EXPECT_EQ(t.neutralShown - t.targetBackToNeutral, 5) << "the fade back starts on the frame it is asked for";
    EXPECT_EQ(avatar.shownMood, Avatar::MOOD_NEUTRAL);
    EXPECT_EQ(avatar.requestedMood, Avatar::MOOD_NEUTRAL);
    EXPECT_FLOAT_EQ(avatar.crossFade, 0.0f);
}

TEST(Avatar, AMoodAskedForDuringACrossFadeWaitsForItsEnd)
{
    Avatar avatar;
    avatar.requestedMood = Avatar::MOOD_HAPPY;
    const Timeline t = RunFrames(avatar, 16 * 2, 4);
    EXPECT_EQ(t.happyShown, 6);
    EXPECT_EQ(t.madTarget, 7);
    EXPECT_EQ(t.madShown, 12);
    EXPECT_EQ(avatar.requestedMood, Avatar::MOOD_MAD);
    // Held for three seconds from its start, like any mood.
    EXPECT_FLOAT_EQ(avatar.hold, 3.0f - (32 - 12) / 16.0f);
}

TEST(Avatar, AMoodOutOfRangeIsIgnored)
{
    Avatar avatar;
    for (int bad : {-1, 4, 1000}) {
        avatar.requestedMood = bad;
        avatar.Update(0.1f);
        EXPECT_EQ(avatar.targetMood, Avatar::MOOD_NEUTRAL) << bad;
        EXPECT_EQ(avatar.requestedMood, Avatar::MOOD_NEUTRAL) << bad;
    }
}

TEST(Avatar, DrawsBacksFaceCrossFadeAndGlassInOrder)
{
    PsdPicture layout;
    AddCharacter(layout, "hero");
    AddGlass(layout);
    Avatar avatar;
    avatar.LoadFaces(layout, "hero");
    struct Case {
        float crossFade;
        int target;
        uint32_t face; // at (20, 20), on both faces
    };
    // The happy face over the neutral at the cross-fade's alpha.
    const Case cases[] = {{0.0f, 0, kRed}, {0.5f, 1, 0xFF807F00u}, {0.25f, 1, 0xFFC03F00u}, {1.0f, 1, kGreen}};
    for (const Case& c : cases) {
        avatar.crossFade = c.crossFade;
        avatar.targetMood = c.target;
        std::unique_ptr<MemoryImage> screen(NewScreen(50, 50));
        Graphics g(screen.get());
        avatar.Draw(g);
        EXPECT_TRUE(Near(screen->GetPixel(20, 20), c.face)) << std::hex << screen->GetPixel(20, 20);
        EXPECT_PRED2(Near, screen->GetPixel(7, 7), kBlue) << "the back";
        EXPECT_PRED2(Near, screen->GetPixel(7, 40), kYellow) << "the second back over the first";
        EXPECT_PRED2(Near, screen->GetPixel(48, 48), kWhite) << "the glass over all";
        EXPECT_PRED2(Near, screen->GetPixel(2, 2), 0xFF000000u) << "outside the backs";
        EXPECT_EQ(g.colorizeImages, false);
    }
}

// A 200 x 10 full bar whose column x has red x and blue 255 on odd x only
// (neighbours differ), and an
// empty bar of opaque grey.
MemoryImage* GradedBar()
{
    std::vector<uint32_t> words(200 * 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 200; ++x)
            words[size_t(y * 200 + x)] = 0xFF000000u | uint32_t(x) << 16 | uint32_t(x % 2 * 255);
    auto* image = new MemoryImage(nullptr);
    image->AssignPixels(words.data(), 200, 10, true);
    return image;
}

class ProgressBar : public ::testing::Test {
protected:
    ProgressBar()
    {
        AddLayer(layout, "progress/progress_empty", 30, 20, Picture(200, 10, 0xFF404040u, Rect(0, 0, 200, 10)));
        AddLayer(layout, "progress/progress_full", 30, 20, GradedBar());
    }
    ~ProgressBar() override { GameControllerCommon::Instance().Player().progress = 0.0f; }

    // Draws the bar at the progress into a fresh picture of its size.
    std::unique_ptr<MemoryImage> DrawAt(float progress)
    {
        GameControllerCommon::Instance().Player().progress = progress;
        GameProgress bar(layout.FindLayer("progress/progress_empty"), layout.FindLayer("progress/progress_full"));
        std::unique_ptr<MemoryImage> screen(NewScreen(bar.width, bar.height));
        Graphics g(screen.get());
        bar.Draw(g);
        return screen;
    }

    PsdPicture layout;
};

TEST_F(ProgressBar, BoundsCoverBothLayers)
{
    AddLayer(layout, "wide_full", 20, 25, Picture(100, 10, kRed, Rect(0, 0, 100, 10)));
    GameProgress bar(layout.FindLayer("progress/progress_empty"), layout.FindLayer("wide_full"));
    EXPECT_EQ(bar.GetBounds(), Rect(20, 20, 210, 15));
    GameProgress alone(layout.FindLayer("progress/progress_empty"), nullptr);
    EXPECT_EQ(alone.GetBounds(), Rect(30, 20, 200, 10));
}

TEST_F(ProgressBar, TheFullBarGrowsFromTheLeftShowingItsRightEnd)
{
    constexpr uint32_t kEmpty = 0xFF404040u;
    auto column = [](int source) { return 0xFF000000u | uint32_t(source) << 16 | uint32_t(source % 2 * 255); };
    struct Case {
        float progress;
        int shown; // columns of the full bar drawn
    };
    const Case cases[] = {
        {0.5f, 100},
        {0.004f, 0}, // below 1/200
        {0.005f, 1},
        {1.5f, 200},
        {1.0f, 200},
        {-0.3f, 0},
        {std::numeric_limits<float>::quiet_NaN(), 0},
    };
    for (const Case& c : cases) {
        const auto screen = DrawAt(c.progress);
        if (c.shown > 0) {
            EXPECT_PRED2(Near, screen->GetPixel(0, 5), column(200 - c.shown)) << c.progress;
            EXPECT_PRED2(Near, screen->GetPixel(c.shown - 1, 5), column(199)) << c.progress;
        }
        if (c.shown < 200) {
            EXPECT_PRED2(Near, screen->GetPixel(c.shown, 5), kEmpty) << c.progress;
        }
    }
}

TEST(ImageWidget, IsAlwaysItsPicturesSizeAndHitOnlyOnOpaquePixels)
{
    std::unique_ptr<MemoryImage> picture(Picture(30, 20, kRed, Rect(10, 0, 20, 20)));
    TImageWidget widget(picture.get());
    EXPECT_EQ(widget.GetBounds(), Rect(0, 0, 30, 20));
    widget.SetBounds(5, 6, 300, 400);
    EXPECT_EQ(widget.GetBounds(), Rect(5, 6, 30, 20));
    widget.SetBoundsRect(Rect(7, 8, 1, 1));
    EXPECT_EQ(widget.GetBounds(), Rect(7, 8, 30, 20));
    struct Case {
        int x, y;
        bool hit;
    };
    const Case cases[] = {{15, 10, true}, {29, 19, true}, {5, 10, false}, {30, 10, false}, {-1, 0, false}, {15, 20, false}};
    for (const Case& c : cases)
        EXPECT_EQ(widget.AcceptsPoint(c.x, c.y), c.hit) << c.x << "," << c.y;

    std::unique_ptr<MemoryImage> screen(NewScreen(30, 20));
    Graphics g(screen.get());
    widget.Draw(g);
    EXPECT_PRED2(Near, screen->GetPixel(12, 3), kRed);
    EXPECT_PRED2(Near, screen->GetPixel(3, 3), 0xFF000000u);

    TImageWidget none(nullptr);
    none.SetBounds(4, 4, 50, 50);
    EXPECT_EQ(none.GetBounds(), Rect(4, 4, 0, 0));
    EXPECT_FALSE(none.AcceptsPoint(0, 0));
    none.Draw(g);
}

} // namespace AvatarTests
} // namespace
} // namespace Quib
