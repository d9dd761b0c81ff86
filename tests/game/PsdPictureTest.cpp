#include "framework/files/PakArchiveWriter.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "src/game/quest/PsdPicture.h"
#include "tests/game/ParticleTestSupport.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/ScopedPak.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDisplays.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace Quib {
namespace {

using namespace Testing;

// name x y z, in vector order.
std::string Describe(const PsdPicture& picture)
{
    std::string out;
    for (const PsdPictureLayer* layer : picture.layers)
        out += (out.empty() ? "" : "|") + layer->name + " " + std::to_string(layer->x) + " " +
               std::to_string(layer->y) + " " + std::to_string(layer->z);
    return out;
}

// Colours equal within the rounding of a blend.
::testing::AssertionResult Near(uint32_t actual, uint32_t expected)
{
    for (int shift = 0; shift < 32; shift += 8) {
        if (std::abs(int((actual >> shift) & 0xFF) - int((expected >> shift) & 0xFF)) > 2)
            return ::testing::AssertionFailure() << std::hex << actual << " is not " << expected;
    }
    return ::testing::AssertionSuccess();
}

// A one-colour picture file of the given size.
std::string Tga(int width, int height, uint32_t argb)
{
    return MakeTga(width, height, 32, 0x28, std::vector<uint32_t>(size_t(width * height), argb));
}

class PsdPictureTest : public ::testing::Test {
protected:
    PsdPictureTest() : cwd(dir.Path()) { MakeTestDisplay(app, kDisplayLayouts[0]); }

    // A picture folder "pic/" holding layers.ini with the given text.
    std::unique_ptr<PsdPicture> Picture(const std::string& layersIni, bool loadImages = false)
    {
        dir.WriteFile("pic/layers.ini", layersIni);
        return std::make_unique<PsdPicture>("pic/", loadImages);
    }

    QuibAppBase app;
    TempDir dir;
    ScopedWorkingDirectory cwd;
};

TEST_F(PsdPictureTest, ReadsTheLayersOfTheLastSectionSortedByZ)
{
    struct Case {
        const char* text;
        const char* layers;
    };
    const Case cases[] = {
        {"[Layers]\r\nBackground = 10 20 300 200 0 0 3\r\n", "background 10 20 3"},
        // Only the text before the first comma is scanned.
        {"[a]\nx=5,6 7\n", "x 5 0 0"},
        // Equal z keep their file order.
        {"[a]\nfirst=0 0 0 0 0 0 2\nsecond=0 0 0 0 0 0 1\nthird=0 0 0 0 0 0 2\n",
         "second 0 0 1|first 0 0 2|third 0 0 2"},
        // The scan stops at what is not a number; the rest stays 0.
        {"[a]\nshort=4 -5\nword=7 x 9 9 9 9 9\nempty=\n", "short 4 -5 0|word 7 0 0|empty 0 0 0"},
        // The last section header of the file wins; keys before any header
        // belong to no section.
        {"lost=1 1 1 1 1 1 1\n[one]\na=1 1 0 0 0 0 0\n[two]\nb=2 2 0 0 0 0 0\n", "b 2 2 0"},
        {"[one]\na=1 1 0 0 0 0 0\n[two]\nb=2 2 0 0 0 0 0\n[one]\nc=3 3\n", "a 1 1 0|c 3 3 0"},
        // A repeated key takes the later value and keeps its first place.
        {"[a]\nk=1 1 0 0 0 0 5\nm=0 0\nk=2 2 0 0 0 0 5\n", "m 0 0 0|k 2 2 5"},
        // Groups in names, blanks around the key, upper case everywhere.
        {"[A]\n  Buttons/Play_IN  =\t100 200 0 0 0 0 10\n", "buttons/play_in 100 200 10"},
        {"no section=1 2 3 4 5 6 7\n", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        std::unique_ptr<PsdPicture> picture = Picture(c.text);
        EXPECT_EQ(Describe(*picture), c.layers) << c.text;
        for (const PsdPictureLayer* layer : picture->layers) {
            EXPECT_EQ(layer->homeX, layer->x);
            EXPECT_EQ(layer->homeY, layer->y);
            EXPECT_TRUE(layer->loadPending);
            EXPECT_TRUE(layer->drawn);
            EXPECT_EQ(layer->image, nullptr);
        }
    }
}

TEST_F(PsdPictureTest, FolderWithoutLayersIniGivesAnEmptyPicture)
{
    PsdPicture picture("nowhere/", true);
    EXPECT_TRUE(picture.layers.empty());
    EXPECT_EQ(picture.directory, "nowhere/");
}

TEST_F(PsdPictureTest, LooksLayersUpByNameInAnyCase)
{
    std::unique_ptr<PsdPicture> picture = Picture("[a]\nBackground=10 20 300 200 0 0 3\nbuttons/ok_in=1 2\n");
    PsdPictureLayer* layer = picture->FindLayer("BACKGROUND");
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(layer->name, "background");
    EXPECT_EQ(picture->FindLayer("Buttons/OK_in"), picture->layers[0]);
    EXPECT_EQ(picture->FindLayer("buttons"), nullptr);
    EXPECT_EQ(picture->FindLayer(""), nullptr);

    picture->SetLayerDrawFlag("BackGround", false);
    EXPECT_FALSE(layer->drawn);
    picture->SetLayerDrawFlag("absent", false); // nothing happens
    EXPECT_TRUE(picture->layers[0]->drawn);
}

TEST_F(PsdPictureTest, SetLayerFlagMatchesPartsOfNames)
{
    std::unique_ptr<PsdPicture> picture = Picture(
        "[a]\nback=0 0\nbuttons/play_in=0 0\nbuttons/play_ac=0 0\nmybuttons/x=0 0\nfx/a=0 0\n");
    picture->SetLayerFlag("BUTTONS/", false);
    std::string hidden;
    for (const PsdPictureLayer* layer : picture->layers)
        hidden += layer->drawn ? "." : "h";
    EXPECT_EQ(hidden, ".hhh.");
    picture->SetLayerFlag("", true);
    for (const PsdPictureLayer* layer : picture->layers)
        EXPECT_TRUE(layer->drawn) << layer->name;
}

TEST_F(PsdPictureTest, OffsetMovesPositionsAndHomesButNotDrawOffsets)
{
    std::unique_ptr<PsdPicture> picture = Picture("[a]\na=10 20\nb=-1 -2\n");
    picture->layers[0]->offsetX = 7;
    picture->layers[1]->x = 100; // moved by a user since loading
    picture->Offset(5, -3);
    EXPECT_EQ(Describe(*picture), "a 15 17 0|b 105 -5 0");
    EXPECT_EQ(picture->layers[0]->homeX, 15);
    EXPECT_EQ(picture->layers[0]->homeY, 17);
    EXPECT_EQ(picture->layers[1]->homeX, 4);
    EXPECT_EQ(picture->layers[1]->homeY, -5);
    EXPECT_EQ(picture->layers[0]->offsetX, 7);
    EXPECT_EQ(picture->layers[0]->offsetY, 0);
}

TEST_F(PsdPictureTest, LoadsDrawsAndReleasesLayerImages)
{
    dir.WriteFile("pic/back.tga", Tga(4, 3, 0xFF0000FF));
    dir.WriteFile("pic/Sub/Dot.tga", Tga(1, 1, 0xFFFF0000));
    std::unique_ptr<PsdPicture> picture = Picture("[a]\nback=1 1 0 0 0 0 0\nsub/dot=2 2 0 0 0 0 1\n");
    EXPECT_EQ(picture->layers[0]->image, nullptr);
    picture->LoadFlaggedImages();
    ASSERT_NE(picture->layers[0]->image, nullptr);
    ASSERT_NE(picture->layers[1]->image, nullptr);
    EXPECT_FALSE(picture->layers[0]->loadPending);
    EXPECT_EQ(picture->layers[0]->image->name, "pic/back");

    Rect rect;
    EXPECT_TRUE(picture->GetLayerRect(rect, "Back", false));
    EXPECT_EQ(rect, Rect(1, 1, 4, 3));
    EXPECT_TRUE(picture->layers[0]->drawn);
    EXPECT_TRUE(picture->GetLayerRect(rect, "SUB/DOT", true));
    EXPECT_EQ(rect, Rect(2, 2, 1, 1));
    EXPECT_FALSE(picture->layers[1]->drawn);
    picture->layers[1]->drawn = true;
    EXPECT_FALSE(picture->GetLayerRect(rect, "absent", true));
    EXPECT_EQ(rect, Rect());

    MemoryImage dest{nullptr};
    dest.Resize(8, 8);
    {
        Graphics g(&dest);
        picture->DrawAll(g);
    }
    EXPECT_EQ(dest.GetPixel(0, 0) & 0xFFFFFF, 0u);
    EXPECT_TRUE(Near(dest.GetPixel(1, 1), 0xFF0000FFu));
    EXPECT_TRUE(Near(dest.GetPixel(4, 3), 0xFF0000FFu));
    EXPECT_TRUE(Near(dest.GetPixel(2, 2), 0xFFFF0000u)); // the higher z on top
    EXPECT_EQ(dest.GetPixel(5, 1) & 0xFFFFFF, 0u);

    // Hidden layers are not drawn; draw offsets and the origin move a layer.
    dest.Resize(8, 8);
    picture->layers[0]->drawn = false;
    picture->layers[1]->offsetX = 3;
    {
        Graphics g(&dest);
        picture->DrawAll(g);
        picture->DrawLayer(picture->layers[1], g, Point(0, 4));
    }
    EXPECT_EQ(dest.GetPixel(1, 1) & 0xFFFFFF, 0u);
    EXPECT_TRUE(Near(dest.GetPixel(5, 2), 0xFFFF0000u));
    EXPECT_TRUE(Near(dest.GetPixel(5, 6), 0xFFFF0000u));

    // A flagged release frees the image; the layer can be loaded again.
    picture->layers[0]->releasePending = true;
    picture->UpdateFlagged();
    EXPECT_EQ(picture->layers[0]->image, nullptr);
    EXPECT_FALSE(picture->layers[0]->releasePending);
    EXPECT_NE(picture->layers[1]->image, nullptr);
    picture->layers[0]->loadPending = true;
    picture->LoadFlaggedImages();
    EXPECT_NE(picture->layers[0]->image, nullptr);

    // Loading a layer that has its image keeps that image.
    Image* kept = picture->layers[1]->image;
    picture->LoadLayerImage(picture->layers[1]);
    EXPECT_EQ(picture->layers[1]->image, kept);
}

TEST_F(PsdPictureTest, MirroredLayersDrawMirrored)
{
    const std::vector<uint32_t> pixels = {0xFF0000FF, 0xFF00FF00, 0xFFFF0000};
    dir.WriteFile("pic/row.tga", MakeTga(3, 1, 32, 0x28, pixels));
    std::unique_ptr<PsdPicture> picture = Picture("[a]\nrow=0 0\n", true);
    picture->layers[0]->mirrored = true;
    DDImage dest(app.display.get());
    dest.Resize(3, 1);
    {
        Graphics g(&dest);
        picture->DrawAll(g);
    }
    EXPECT_TRUE(Near(dest.GetPixel(0, 0), 0xFFFF0000u));
    EXPECT_TRUE(Near(dest.GetPixel(1, 0), 0xFF00FF00u));
    EXPECT_TRUE(Near(dest.GetPixel(2, 0), 0xFF0000FFu));
}

int gCallbackCalls = 0;
void CountingCallback(Graphics&, PsdPictureLayer& layer)
{
    ++gCallbackCalls;
    layer.offsetY = 99;
}

TEST_F(PsdPictureTest, DrawCallbackReplacesTheImageOnlyForLayersWithAnImage)
{
    dir.WriteFile("pic/img.tga", Tga(2, 2, 0xFF00FF00));
    std::unique_ptr<PsdPicture> picture = Picture("[a]\nimg=0 0\nnoimage=0 0\n");
    picture->LoadLayerImage(picture->FindLayer("img"));
    for (PsdPictureLayer* layer : picture->layers)
        layer->drawCallback = CountingCallback;
    MemoryImage dest{nullptr};
    dest.Resize(2, 2);
    gCallbackCalls = 0;
    {
        Graphics g(&dest);
        picture->DrawAll(g);
    }
    EXPECT_EQ(gCallbackCalls, 1);
    EXPECT_EQ(picture->FindLayer("img")->offsetY, 99);
    EXPECT_EQ(picture->FindLayer("noimage")->offsetY, 0);
    EXPECT_EQ(dest.GetPixel(0, 0) & 0xFFFFFF, 0u); // the image itself is not drawn
}

TEST_F(PsdPictureTest, MissingImageIsReportedOnceAndDrawsAsNothing)
{
    LogCapture log;
    dir.WriteFile("pic/there.tga", Tga(2, 2, 0xFF00FF00));
    std::unique_ptr<PsdPicture> picture = Picture("[a]\nthere=0 0 0 0 0 0 0\nghost_layer_xq=0 0 0 0 0 0 1\n", true);
    PsdPictureLayer* ghost = picture->FindLayer("ghost_layer_xq");
    EXPECT_EQ(ghost->image, nullptr);
    ghost->loadPending = true;
    picture->LoadFlaggedImages();
    picture->LoadLayerImage(ghost);
    EXPECT_EQ(ghost->image, nullptr);

    MemoryImage dest{nullptr};
    dest.Resize(2, 2);
    {
        Graphics g(&dest);
        picture->DrawAll(g);
    }
    EXPECT_TRUE(Near(dest.GetPixel(1, 1), 0xFF00FF00u));
    EXPECT_EQ(log.Count("ghost_layer_xq"), 1) << log.All();
    EXPECT_EQ(log.Count("\"pic/\""), 1) << log.All();
    EXPECT_EQ(log.Count("there"), 0) << log.All();
}

TEST_F(PsdPictureTest, AbsurdNumbersAndCountsAreRefusedWithTheirLine)
{
    std::string tooMany = "[a]\n";
    for (int i = 0; i <= PsdPicture::kMaxLayers; ++i)
        tooMany += "l" + std::to_string(i) + "=0 0\n";
    struct Case {
        std::string text;
        std::string line;
    };
    const Case cases[] = {
        {"[a]\r\nok=1 2\r\n\r\nbad=1 2 3 4 5 6 99999999999\r\n", "line 4"},
        {"[a]\nok=1 2\rbad=-1048577 0\n", "line 3"},
        {"[a]\n\n\nbad=2147483648\n", "line 4"},
        {"[a]\nbad=" + std::string(400, '9') + "\n", "line 2"},
        {tooMany, "line " + std::to_string(PsdPicture::kMaxLayers + 2)},
    };
    for (const Case& c : cases) {
        LogCapture log;
        std::unique_ptr<PsdPicture> picture = Picture(c.text, true);
        EXPECT_TRUE(picture->layers.empty()) << c.line;
        EXPECT_EQ(log.Count("\"pic/\" refused: layers.ini " + c.line + ":"), 1) << log.All();
    }

    // Numbers at the limit, and beyond it after the first comma, are fine.
    std::unique_ptr<PsdPicture> picture = Picture("[a]\nedge=1048576 -1048576 0 0 0 0 -1048576, 99999999999\n");
    EXPECT_EQ(Describe(*picture), "edge 1048576 -1048576 -1048576");

    // A file too large to be a layer list.
    LogCapture log;
    std::string huge = "[a]\n" + std::string(size_t(PsdPicture::kMaxFileSize), ' ') + "\nx=1 1\n";
    EXPECT_TRUE(Picture(huge)->layers.empty());
    EXPECT_EQ(log.Count("larger than"), 1) << log.All();
}

TEST_F(PsdPictureTest, LayerListCutShortIsReportedWithItsLastLine)
{
    const std::string whole = "[a]\r\nback = 0 0 10 10 255 0 1\r\nfront = 5 6 10 10 255 0 2\r\n";
    struct Case {
        std::string text;
        const char* report; // empty: none
        const char* layers;
    };
    const Case cases[] = {
        {whole, "", "back 0 0 1|front 5 6 2"},
        {whole.substr(0, whole.size() - 2), "", "back 0 0 1|front 5 6 2"}, // last line whole, no end
        {whole.substr(0, whole.find("10 10 255 0 2")), "line 3 (\"front = 5 6 \")", "front 5 6 0|back 0 0 1"},
        {whole.substr(0, whole.find(" = 5")), "line 3 (\"front\")", "back 0 0 1"},
        {"[a]\nback = 0 0 1 1 1 1 1\r\n[b", "line 3 (\"[b\")", "back 0 0 1"},
        {"[a]", "", ""},
    };
    for (const Case& c : cases) {
        LogCapture log;
        std::unique_ptr<PsdPicture> picture = Picture(c.text);
        EXPECT_EQ(Describe(*picture), c.layers) << c.text;
        const std::string report = std::string("\"pic/\": layers.ini ends inside ") + c.report;
        if (*c.report)
            EXPECT_EQ(log.Count(report), 1) << log.All();
        else
            EXPECT_FALSE(log.Contains("ends inside")) << log.All();
    }
}

TEST_F(PsdPictureTest, ReadsThroughTheArchiveWithoutRegardToCase)
{
    ScopedPak pak;
    ASSERT_TRUE(WritePakArchive(dir / "game.dat", {{"data\\gui\\menu\\layers.ini", "[m]\nLogo=3 4 0 0 0 0 1\n", {}},
                                                   {"data\\gui\\menu\\LOGO.tga", Tga(2, 1, 0xFF123456), {}}}));
    ASSERT_TRUE(pak->AddPakFile("game.dat"));
    PsdPicture picture("Data\\GUI\\Menu\\", true);
    ASSERT_EQ(Describe(picture), "logo 3 4 1");
    ASSERT_NE(picture.layers[0]->image, nullptr);
    EXPECT_EQ(picture.layers[0]->image->width, 2);
}

TEST_F(PsdPictureTest, ClearLeavesSharedImagesToTheirOwner)
{
    dir.WriteFile("pic/a.tga", Tga(1, 1, 0xFF00FF00));
    std::unique_ptr<PsdPicture> picture = Picture("[a]\na=0 0\n", true);
    std::unique_ptr<Image> owned(picture->layers[0]->image);
    ASSERT_NE(owned, nullptr);
    picture->sharedImages = true;
    picture->Clear();
    EXPECT_TRUE(picture->layers.empty());
    EXPECT_TRUE(picture->directory.empty());
    EXPECT_EQ(owned->width, 1); // still alive
}

TEST_F(PsdPictureTest, LoadReplacesTheLayersHeld)
{
    std::unique_ptr<PsdPicture> picture = Picture("[a]\na=0 0\nb=0 0\n");
    dir.WriteFile("other/layers.ini", "[x]\nc=1 1\n");
    picture->Load("other/", false);
    EXPECT_EQ(Describe(*picture), "c 1 1 0");
    EXPECT_EQ(picture->directory, "other/");
}

} // namespace
} // namespace Quib
