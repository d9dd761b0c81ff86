// The generated layouts of the loading screen and of the shared popups (frame,
// journal, in-game menu, options, tutorial box), read back through PsdPicture,
// and the settings and texts those screens ask for.
#include "framework/core/Rect.h"
#include "framework/files/IniData.h"
#include "framework/files/IniDocument.h"
#include "framework/files/IniFile.h"
#include "framework/files/StringUtils.h"
#include "framework/graphics/DDImage.h"
#include "platform/TextCodecs.h"
#include "src/game/quest/PsdPicture.h"
#include "src/screens/Avatar.h"
#include "src/screens/GameProgress.h"
#include "src/screens/MessageBubble.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDisplays.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <utility>

#include <string>
#include <vector>

namespace Quib {
namespace {
namespace GuiLayoutsData {

using namespace Testing;

const std::string kDataRoot = QUIB_GAME_DATA;

class GuiLayoutsDataTest : public ::testing::Test {
protected:
    GuiLayoutsDataTest() : cwd(kDataRoot) { MakeTestDisplay(app, kDisplayLayouts[0]); }

    // The layer's rectangle (position and picture size); fails when it is
    // missing or has no picture.
    static Rect LayerRect(PsdPicture& picture, const std::string& name)
    {
        PsdPictureLayer* layer = picture.FindLayer(name);
        EXPECT_NE(layer, nullptr) << picture.directory << name;
        if (!layer)
            return Rect();
        EXPECT_NE(layer->image, nullptr) << picture.directory << name;
        Rect rect;
        EXPECT_TRUE(picture.GetLayerRect(rect, name, false)) << picture.directory << name;
        return rect;
    }

    static void ExpectLayers(PsdPicture& picture, const std::vector<std::string>& names)
    {
        for (const std::string& name : names) {
            const Rect rect = LayerRect(picture, name);
            EXPECT_GT(rect.width, 0) << picture.directory << name;
            EXPECT_GT(rect.height, 0) << picture.directory << name;
        }
    }

    static bool Inside(const Rect& inner, const Rect& outer)
    {
        return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
               inner.y + inner.height <= outer.y + outer.height;
    }

    // The highest alpha and the brightest channel of a picture.
    static void Brightest(Image* image, int& alpha, int& channel)
    {
        alpha = channel = 0;
        auto* pixels = static_cast<DDImage*>(image);
        for (int y = 0; y < pixels->height; ++y) {
            for (int x = 0; x < pixels->width; ++x) {
                const uint32_t argb = pixels->GetPixel(x, y);
                alpha = std::max(alpha, int(argb >> 24));
                channel = std::max({channel, int((argb >> 16) & 0xFF), int((argb >> 8) & 0xFF), int(argb & 0xFF)});
            }
        }
    }

    QuibAppBase app;
    ScopedWorkingDirectory cwd;
};

TEST_F(GuiLayoutsDataTest, EveryLayoutLoadsWithAllItsImages)
{
    for (const char* folder : {"data\\gui\\loading\\", "data\\gui\\ramka\\", "data\\gui\\ramka_tutorial\\",
                               "data\\gui\\notebook\\", "data\\gui\\ingamemenu\\", "data\\gui\\options\\",
                               "data\\gui\\interface\\"}) {
        PsdPicture picture(folder, true);
        ASSERT_FALSE(picture.layers.empty()) << folder;
        for (const PsdPictureLayer* layer : picture.layers) {
            ASSERT_NE(layer->image, nullptr) << folder << layer->name;
            EXPECT_GE(layer->x, -64) << folder << layer->name;
            EXPECT_GE(layer->y, -64) << folder << layer->name;
            EXPECT_LE(layer->x + layer->image->width, 1024 + 64) << folder << layer->name;
            EXPECT_LE(layer->y + layer->image->height, 768 + 64) << folder << layer->name;
        }
    }
}

TEST_F(GuiLayoutsDataTest, LoadingScreenHasARowOf37LampsOnTheScreen)
{
    PsdPicture loading("data\\gui\\loading\\", true);
    const Rect back = LayerRect(loading, "_back");
    EXPECT_EQ(back.width, 1024);
    EXPECT_EQ(back.height, 768);
    EXPECT_EQ(loading.FindLayer("_back")->z, loading.layers.front()->z) << "the back is the lowest layer";
    const Rect lamp = LayerRect(loading, "lamp");
    const Rect line = LayerRect(loading, "line");
    EXPECT_GE(lamp.width, 12);
    EXPECT_LE(lamp.width, 27);
    EXPECT_GE(lamp.height, 12);
    EXPECT_LE(lamp.height, 40);
    // The game draws lamp i at (line.x + i x lamp width, line.y).
    EXPECT_GE(line.x, 0);
    EXPECT_LE(line.x + 37 * lamp.width, 1024);
    EXPECT_LE(line.y + lamp.height, 768);
    EXPECT_GE(line.width, 37 * lamp.width) << "the row's slot holds every lamp";
    EXPECT_GE(line.height, lamp.height / 2);
    // The lamp is lit: bright and opaque somewhere.
    int alpha = 0, channel = 0;
    Brightest(loading.FindLayer("lamp")->image, alpha, channel);
    EXPECT_GE(alpha, 250);
    EXPECT_GE(channel, 240);
    // The screen's own drawing hides the lamp and keeps the rest.
    Rect rect;
    EXPECT_TRUE(loading.GetLayerRect(rect, "lamp", true));
    EXPECT_FALSE(loading.FindLayer("lamp")->drawn);
    EXPECT_TRUE(loading.FindLayer("line")->drawn);
}

TEST_F(GuiLayoutsDataTest, InterfaceHasPortraitsProgressBarAndBubble)
{
    PsdPicture face("data\\gui\\interface\\", true);
    // Each character's portrait lies within the shared glass.
    const Rect glass = LayerRect(face, "animated_faces/_glass_02");
    for (const char* character : {"harbour", "movie"}) {
        Avatar avatar;
        avatar.LoadFaces(face, character);
        EXPECT_EQ(avatar.GetBounds(), glass) << character;
        for (int mood = 0; mood < Avatar::MOOD_COUNT; ++mood)
            EXPECT_NE(avatar.faces[size_t(mood)], nullptr) << character << mood;
        EXPECT_NE(avatar.back, nullptr);
        EXPECT_NE(avatar.secondBack, nullptr);
    }
    EXPECT_LE(glass.y + glass.height, 768);

    const Rect empty = LayerRect(face, "progress/progress_empty");
    const Rect full = LayerRect(face, "progress/progress_full");
    EXPECT_EQ(empty, full) << "the full bar lies on the empty one";
    GameProgress bar(face.FindLayer("progress/progress_empty"), face.FindLayer("progress/progress_full"));
    EXPECT_EQ(bar.GetBounds(), empty);

    // The bubble: corners of a third, transparent outside its rounded body,
    // opaque in its middle; it grows up from its bottom-left corner.
    const Rect bubbleRect = LayerRect(face, "bubble");
    EXPECT_EQ(bubbleRect.width % 3, 0);
    EXPECT_EQ(bubbleRect.height % 3, 0);
    auto* pixels = static_cast<DDImage*>(face.FindLayer("bubble")->image);
    EXPECT_EQ(pixels->GetPixel(0, 0) >> 24, 0u);
    EXPECT_EQ(pixels->GetPixel(pixels->width - 1, pixels->height - 1) >> 24, 0u);
    EXPECT_GT(pixels->GetPixel(pixels->width / 2, pixels->height / 3) >> 24, 200u);
    MessageBubble bubble;
    bubble.LoadLayout(face);
    EXPECT_FALSE(face.FindLayer("bubble")->drawn);
    EXPECT_EQ(bubble.anchorY, bubbleRect.y + bubbleRect.height);
    EXPECT_GE(bubble.anchorY - 300, 0) << "room above for a long text";
    EXPECT_LE(bubble.anchorX + 327, 1024) << "and beside it for the widest";
}

TEST_F(GuiLayoutsDataTest, CloseUpFrameHasItsPlatesAndControls)
{
    PsdPicture ramka("data\\gui\\ramka\\", true);
    const Rect frame = LayerRect(ramka, "frame");
    const Rect up = LayerRect(ramka, "up");
    const Rect bottom = LayerRect(ramka, "bottom");
    // Drawn as a nine-slice border: a third each way is a corner.
    EXPECT_EQ(frame.width % 3, 0);
    EXPECT_EQ(frame.height % 3, 0);
    EXPECT_GE(frame.width / 3, 16);
    // Room above and below the frame for the plates.
    EXPECT_GT(frame.y - up.y, 0);
    EXPECT_GT(bottom.y + bottom.height - (frame.y + frame.height), 0);
    for (const char* control : {"skip", "close"}) {
        const Rect base = std::string(control) == "skip" ? up : bottom;
        for (const char* state : {"_in", "_ac", "_dn"}) {
            const std::string name = std::string(control) + "/" + control + state;
            const Rect picture = LayerRect(ramka, name);
            EXPECT_TRUE(Inside(picture, base)) << name;
        }
    }
}

TEST_F(GuiLayoutsDataTest, TutorialBoxHasItsTextAndCloseButtonInside)
{
    PsdPicture box("data\\gui\\ramka_tutorial\\", true);
    const Rect back = LayerRect(box, "_back");
    for (const char* name : {"text", "close/close_in", "close/close_ac"})
        EXPECT_TRUE(Inside(LayerRect(box, name), back)) << name;
}

TEST_F(GuiLayoutsDataTest, JournalHasBothStylesPagesButtonsAndRectangles)
{
    PsdPicture book("data\\gui\\notebook\\", true);
    const Rect frame = LayerRect(book, "frame");
    std::vector<std::string> names;
    for (const char* style : {"book_new", "book_old"}) {
        names.push_back(std::string(style) + "/_back");
        for (const char* page : {"pages/1/1", "pages/1/2", "pages/2/1", "pages/2/2"})
            names.push_back(std::string(style) + "/" + page);
    }
    for (const char* button : {"close/close", "arrow_left/arrow_left", "arrow_right/arrow_right"})
        for (const char* state : {"_ac", "_in"})
            names.push_back(std::string("buttons/") + button + state);
    for (const char* rect : {"date", "text", "number"})
        for (const char* side : {"_left", "_right"})
            names.push_back(std::string(rect) + side);
    ExpectLayers(book, names);
    for (const std::string& name : names)
        EXPECT_TRUE(Inside(LayerRect(book, name), frame)) << name;
    // Left pages lie left of right pages; each text rectangle on its page.
    EXPECT_LT(LayerRect(book, "text_left").x + LayerRect(book, "text_left").width, LayerRect(book, "text_right").x);
    EXPECT_TRUE(Inside(LayerRect(book, "text_left"), LayerRect(book, "book_new/pages/1/1")));
    EXPECT_TRUE(Inside(LayerRect(book, "text_right"), LayerRect(book, "book_new/pages/1/2")));
}

TEST_F(GuiLayoutsDataTest, InGameMenuHasItsTitleAndThreeButtonsOnItsBoard)
{
    PsdPicture menu("data\\gui\\ingamemenu\\", true);
    const Rect back = LayerRect(menu, "_back");
    for (const char* name : {"menu", "mainmenu/mainmenu_in", "mainmenu/mainmenu_ac", "options/options_in",
                             "options/options_ac", "resume/resume_in", "resume/resume_ac"})
        EXPECT_TRUE(Inside(LayerRect(menu, name), back)) << name;
}

TEST_F(GuiLayoutsDataTest, OptionsPopupHasSlidersButtonsAndPlaceholders)
{
    PsdPicture options("data\\gui\\options\\", true);
    LayerRect(options, "dark");
    const Rect frame = LayerRect(options, "frame");
    const Rect dot = LayerRect(options, "scroll/dot");
    for (const char* name : {"placeholders/cursor", "placeholders/options", "placeholders/sound",
                             "placeholders/music", "placeholders/ambient", "placeholders/changemode",
                             "buttons/close/close_in", "buttons/changemode/changemode_in",
                             "buttons/changemode/changemode_ac", "buttons/cursor_on/cursor_in",
                             "buttons/cursor_on/cursor_ac", "buttons/cursor_off/cursor_in",
                             "buttons/cursor_off/cursor_ac"})
        EXPECT_TRUE(Inside(LayerRect(options, name), frame)) << name;
    for (const char* name : {"scroll/music_line", "scroll/sound_line", "scroll/ambient_line"}) {
        const Rect track = LayerRect(options, name);
        EXPECT_TRUE(Inside(track, frame)) << name;
        // Three equal cells side by side; the knob fits and moves along.
        EXPECT_EQ(track.width % 3, 0) << name;
        EXPECT_LE(dot.height, track.height) << name;
        EXPECT_LT(dot.width * 4, track.width) << name;
    }
    // The two cursor buttons share one place.
    const Rect on = LayerRect(options, "buttons/cursor_on/cursor_in");
    const Rect off = LayerRect(options, "buttons/cursor_off/cursor_in");
    EXPECT_EQ(on.x, off.x);
    EXPECT_EQ(on.y, off.y);
}

TEST_F(GuiLayoutsDataTest, BoardChangesHaveTransitionsOfKnownKinds)
{
    IniData ini;
    ini.LoadFile("res\\game.ini");
    const std::vector<std::string> kinds = {"none", "fade", "slide", "page", "fade_in", "to_movie", "from_movie"};
    for (const char* key : {"default", "tomenu", "menutogame", "menutohog", "gametomenu", "hogtomenu", "gametohog",
                            "hogtogame", "gametomovie", "movietogame", "menuto", "gameto"}) {
        const std::string kind = ini.GetString("screeneffect", key);
        EXPECT_NE(std::find(kinds.begin(), kinds.end(), kind), kinds.end()) << key << " = " << kind;
    }
    EXPECT_EQ(ini.GetString("screeneffect", "gametomovie"), "to_movie");
    EXPECT_EQ(ini.GetString("screeneffect", "movietogame"), "from_movie");
}

TEST_F(GuiLayoutsDataTest, TextsOfThePopupsArePresent)
{
    IniDocumentW lang;
    ASSERT_TRUE(LoadIniFileW(lang, "res\\lang.ini"));
    for (const auto& [section, key] : std::vector<std::pair<const char*, const char*>>{{"Interface", "Pause"},
                                                                                      {"Interface", "Skip"},
                                                                                      {"Interface", "Menu"},
                                                                                      {"Interface", "Resume"},
                                                                                      {"Interface", "Options"},
                                                                                      {"Interface", "MainMenu"},
                                                                                      {"Interface", "close"},
                                                                                      {"Tutorial", "CloseButton"}}) {
        EXPECT_TRUE(lang.Contains(section, key)) << section << "/" << key;
        EXPECT_FALSE(lang.FindKey(StringToWString(section), StringToWString(key)).Value().empty())
            << section << "/" << key;
    }
}

} // namespace GuiLayoutsData
} // namespace
} // namespace Quib
