// The avatar: faces from the layout, the mood machine and its cross-fade.
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "src/game/quest/PsdPicture.h"
#include "src/screens/Avatar.h"
#include "tests/screens/ScreensTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

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
    auto* image = new MemoryImage(nullptr);
    image->Resize(w, h);
    Graphics g(image);
    g.ClearArea(w, h);
    g.color = Color((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF, 255);
    g.FillRectangle(patch);
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
            EXPECT_EQ(screen->GetPixel(x, y), 0xFF000000u);
}

// Runs frames of 1/24 s (a cross-fade step of exactly 1/8) and notes the
// frame at which each change of the machine is first seen.
struct Timeline {
    int happyShown = -1, targetBackToNeutral = -1, neutralShown = -1, madTarget = -1, madShown = -1;
};

Timeline RunFrames(Avatar& avatar, int frames, int madRequestFrame)
{
    Timeline t;
    for (int frame = 1; frame <= frames; ++frame) {
        if (frame == madRequestFrame)
            avatar.requestedMood = Avatar::MOOD_MAD;
        avatar.Update(1.0f / 24.0f);
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
    const Timeline t = RunFrames(avatar, 24 * 5, -1);
    EXPECT_EQ(t.happyShown, 8);
    // Three seconds of hold (72 frames), within a frame of rounding.
    EXPECT_GE(t.targetBackToNeutral - t.happyShown, 72);
    EXPECT_LE(t.targetBackToNeutral - t.happyShown, 74);
    EXPECT_EQ(t.neutralShown - t.targetBackToNeutral, 7) << "the fade back starts on the frame it is asked for";
    EXPECT_EQ(avatar.shownMood, Avatar::MOOD_NEUTRAL);
    EXPECT_EQ(avatar.requestedMood, Avatar::MOOD_NEUTRAL);
    EXPECT_FLOAT_EQ(avatar.crossFade, 0.0f);
}

TEST(Avatar, AMoodAskedForDuringACrossFadeWaitsForItsEnd)
{
    Avatar avatar;
    avatar.requestedMood = Avatar::MOOD_HAPPY;
    const Timeline t = RunFrames(avatar, 24 * 2, 4);
    EXPECT_EQ(t.happyShown, 8);
    EXPECT_EQ(t.madTarget, 9);
    EXPECT_EQ(t.madShown, 16);
    EXPECT_EQ(avatar.requestedMood, Avatar::MOOD_MAD);
    // Held for three seconds from its start, like any mood.
    EXPECT_NEAR(avatar.hold, 3.0f - (48 - 16) / 24.0f, 1e-3f);
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
        EXPECT_EQ(screen->GetPixel(7, 7), kBlue) << "the back";
        EXPECT_EQ(screen->GetPixel(7, 40), kYellow) << "the second back over the first";
        EXPECT_EQ(screen->GetPixel(48, 48), kWhite) << "the glass over all";
        EXPECT_EQ(screen->GetPixel(2, 2), 0xFF000000u) << "outside the backs";
        EXPECT_EQ(g.colorizeImages, false);
    }
}

} // namespace AvatarTests
} // namespace
} // namespace Quib
