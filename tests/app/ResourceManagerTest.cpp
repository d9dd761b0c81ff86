#include "framework/app/QuibAppBase.h"
#include "framework/app/ResourceManager.h"
#include "framework/files/ProcessLog.h"
#include "framework/graphics/BMFont.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/SysFont.h"
#include "framework/sound/DSoundManager.h"
#include "platform/headless/CapturingSink.h"
#include "platform/headless/HeadlessAudio.h"
#include "tests/support/ScopedPak.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDisplays.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Quib {
namespace {

using namespace Testing;

const std::string kFixtures = std::string(QUIB_TEST_DATA) + "/resources";

// Replaces every "%F" of the text with the file name.
std::string WithFile(std::string text, const std::string& file)
{
    for (size_t at = text.find("%F"); at != std::string::npos; at = text.find("%F", at + file.size()))
        text.replace(at, 2, file);
    return text;
}

// The manager of an application with a display, working in the fixture
// folder, its sounds going to a headless device.
class ResourceManagerTest : public ::testing::Test {
protected:
    ResourceManagerTest() : cwd(kFixtures)
    {
        MakeTestDisplay(app, kDisplayLayouts[0]);
        manager = app.resourceManager.get();
        manager->soundManager = &sounds;
    }

    // Parses the manifest text (written to a file of its own).
    bool Parse(const std::string& xml)
    {
        path = dir.WriteFile("manifest.xml", xml);
        return manager->ParseManifest(path);
    }
    bool ParseFixture() { return manager->ParseManifest("data\\properties\\resources.xml"); }

    ResourceManager::ImageRes* ImageRecord(const std::string& id)
    {
        auto it = manager->imageMap.find(id);
        return it == manager->imageMap.end() ? nullptr : static_cast<ResourceManager::ImageRes*>(it->second.get());
    }
    DDImage* Image(const std::string& id) { return manager->GetImageThrow(id).GetRecordImage(); }
    static std::vector<uint32_t> Words(DDImage* image)
    {
        const uint32_t* p = image->Pixels();
        return std::vector<uint32_t>(p, p + size_t(image->width) * size_t(image->height));
    }
    // The error text the getter throws for the id.
    std::string ImageThrow(const std::string& id)
    {
        try {
            manager->GetImageThrow(id);
        } catch (const ResourceManagerException& e) {
            return e.errorText;
        }
        return "(nothing thrown)";
    }

    ScopedWorkingDirectory cwd;
    ScopedPak pak;
    CapturingSink sink;
    TempDir dir;
    std::string path;
    HeadlessAudioDevice device;
    DSoundManager sounds{&device, &device, false};
    QuibAppBase app;
    ResourceManager* manager = nullptr;
};

TEST_F(ResourceManagerTest, ReadsTheFixtureManifestWithEveryKindOfRecord)
{
    ASSERT_TRUE(ParseFixture()) << manager->GetErrorText();
    std::vector<std::string> images, fonts, sounds_;
    for (auto& [id, res] : manager->imageMap)
        images.push_back(id + "=" + res->path + "@" + res->group);
    for (auto& [id, res] : manager->fontMap)
        fonts.push_back(id + "=" + res->path);
    for (auto& [id, res] : manager->soundMap)
        sounds_.push_back(id + "=" + res->path + "@" + res->group);
    EXPECT_EQ(images,
              (std::vector<std::string>{"IMAGE_BLANK=!blank@Common", "IMAGE_CELS=images/cels.png@Common",
                                        "IMAGE_GRIDDED=images/cels.png@Common",
                                        "IMAGE_MASKED=images/cels.png@Common", "IMAGE_PROGRAM=!program@Common",
                                        "IMAGE_plain=images/plain.png@Common"}));
    EXPECT_EQ(fonts, (std::vector<std::string>{"FONT_SYSTEM=Tahoma", "FONT_TINY=fonts/tiny.fnt",
                                               "FONT_TINY_COPY=!ref:FONT_TINY"}));
    EXPECT_EQ(sounds_, (std::vector<std::string>{"SOUND_BEEP=sounds/beep@Game"}));
    EXPECT_EQ(manager->groups["Common"].size(), 9u);
    EXPECT_EQ(manager->groups["Game"].size(), 1u);

    auto* masked = ImageRecord("IMAGE_MASKED");
    EXPECT_EQ(masked->alphaImage, "images/mask.png");
    EXPECT_EQ(ImageRecord("IMAGE_GRIDDED")->alphaGrid, "images/grid.png");
    EXPECT_FALSE(ImageRecord("IMAGE_GRIDDED")->palletize);
    EXPECT_TRUE(masked->palletize);
    EXPECT_TRUE(ImageRecord("IMAGE_PROGRAM")->program);
    EXPECT_EQ(masked->attributes.at(u"alphaimage"), u"mask.png");
    auto* font = static_cast<ResourceManager::FontRes*>(manager->fontMap["FONT_SYSTEM"].get());
    EXPECT_TRUE(font->sysFont);
    EXPECT_EQ(font->pointSize, 10);
    EXPECT_TRUE(font->bold);
    EXPECT_TRUE(font->italic);
    EXPECT_FALSE(font->underline);
    auto* beep = static_cast<ResourceManager::SoundRes*>(manager->soundMap["SOUND_BEEP"].get());
    EXPECT_DOUBLE_EQ(beep->volume, 0.5);
    EXPECT_EQ(beep->pan, -200);
    EXPECT_EQ(beep->soundId, -1);
}

TEST_F(ResourceManagerTest, LoadsGroupsAndHandsResourcesOutById)
{
    ASSERT_TRUE(ParseFixture());
    ASSERT_TRUE(manager->LoadResources("Common")) << manager->GetErrorText();
    EXPECT_EQ(manager->loadedGroups, (std::set<std::string>{"Common"}));

    DDImage* cels = Image("IMAGE_CELS");
    ASSERT_NE(cels, nullptr);
    EXPECT_TRUE(cels->IsPaletteForm()); // four colours: palettized
    EXPECT_EQ(cels->width, 4);
    EXPECT_EQ(cels->rows, 2);
    EXPECT_EQ(cels->cols, 2);
    EXPECT_EQ(cels->GetPixel(0, 0), 0xFF102030u);
    EXPECT_EQ(cels->GetPixel(3, 3), 0xFFA0B0C0u);
    ASSERT_NE(cels->animation, nullptr);
    EXPECT_EQ(cels->animation->type, ImageAnimation::TYPE_PINGPONG);
    EXPECT_EQ(cels->animation->frameMap, (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(cels->animation->totalTime, 10);
    EXPECT_EQ(ImageLib::AlphaOnlyColor, 0xFFFFFFu);

    DDImage* plain = Image("IMAGE_plain");
    EXPECT_FALSE(plain->IsPaletteForm());
    EXPECT_EQ(plain->textureFlags & 0xD, 0xDu); // a4r4g4b4, a8r8g8b8, min subdivide
    EXPECT_TRUE(plain->purgeBits);
    EXPECT_EQ(plain->bits, nullptr); // released after loading: the display copy holds it
    EXPECT_TRUE(plain->nativeAlpha);
    EXPECT_EQ(plain->GetPixel(0, 0), 0xFFFF0000u);

    DDImage* blank = Image("IMAGE_BLANK");
    ASSERT_NE(blank, nullptr);
    EXPECT_EQ(blank->width, 0);

    Font* tiny = manager->GetFontThrow("FONT_TINY");
    ASSERT_NE(tiny, nullptr);
    EXPECT_NE(dynamic_cast<BMFont*>(tiny), nullptr);
    Font* copy = manager->GetFontThrow("FONT_TINY_COPY");
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, tiny);
    EXPECT_EQ(copy->WidthOfText(std::u16string_view(u"AB"), 1, 1, 0),
              tiny->WidthOfText(std::u16string_view(u"AB"), 1, 1, 0));
    EXPECT_NE(dynamic_cast<SysFont*>(manager->GetFontThrow("FONT_SYSTEM")), nullptr);
    EXPECT_EQ(manager->FindLoadedFont("FONT_TINY"), tiny);
    EXPECT_EQ(manager->FindLoadedFont("IMAGE_CELS"), nullptr);

    // The sound group is not loaded yet.
    EXPECT_THROW(manager->GetSoundThrow("SOUND_BEEP"), ResourceManagerException);
    EXPECT_EQ(manager->GetErrorText(), "Sound resource not found: SOUND_BEEP");
    ASSERT_TRUE(manager->LoadResources("Game")) << manager->GetErrorText();
    const int beep = manager->GetSoundThrow("SOUND_BEEP");
    EXPECT_EQ(beep, 0);
    EXPECT_EQ(sounds.GetNumSounds(), 1);
}

TEST_F(ResourceManagerTest, CutUpImagesTakeTheirAlphaPictures)
{
    ASSERT_TRUE(ParseFixture());
    ASSERT_TRUE(manager->LoadResources("Common")) << manager->GetErrorText();

    // The alpha picture: its low byte becomes each pixel's alpha.
    const std::vector<uint32_t> masked = Words(Image("IMAGE_MASKED"));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(masked[size_t(i)] >> 24, uint32_t(i * 16)) << i;
    EXPECT_EQ(masked[0] & 0xFFFFFF, 0x102030u);

    // The alpha grid goes into every one of the 2 x 2 cels.
    const std::vector<uint32_t> gridded = Words(Image("IMAGE_GRIDDED"));
    const uint32_t cel[4] = {0x11, 0x22, 0x33, 0x44};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(gridded[size_t(y * 4 + x)] >> 24, cel[(y % 2) * 2 + x % 2]) << x << "," << y;
    EXPECT_EQ(gridded[15] & 0xFFFFFF, 0xA0B0C0u);
}

// Two records of one picture file whose loads change it differently
// (alpha, cel grid, animation) never share the picture; records that load
// it alike do.
TEST_F(ResourceManagerTest, RecordsShareAPictureOnlyWhenTheyMakeItAlike)
{
    ASSERT_TRUE(
        Parse("<ResourceManifest><Resources id=\"g\">"
              "<Image id=\"PLAIN\" path=\"images/cels.png\"/>"
              "<Image id=\"SAME\" path=\"IMAGES/CELS.PNG\"/>"
              "<Image id=\"MASK\" path=\"images/cels.png\" alphaimage=\"images/mask.png\"/>"
              "<Image id=\"GRID\" path=\"images/cels.png\" rows=\"2\" cols=\"2\" alphagrid=\"images/grid.png\"/>"
              "<Image id=\"CELS\" path=\"images/cels.png\" rows=\"2\" cols=\"2\"/>"
              "<Image id=\"CELS2\" path=\"images/cels.png\" cols=\"2\" rows=\"2\"/>"
              "<Image id=\"ANIM\" path=\"images/cels.png\" cols=\"2\" rows=\"2\" anim=\"loop\"/>"
              "</Resources></ResourceManifest>"));
    ASSERT_TRUE(manager->LoadResources("g")) << manager->GetErrorText();
    DDImage* plain = Image("PLAIN");
    DDImage* mask = Image("MASK");
    DDImage* grid = Image("GRID");
    EXPECT_EQ(Image("SAME"), plain);
    EXPECT_NE(mask, plain);
    EXPECT_NE(grid, plain);
    EXPECT_NE(grid, mask);
    // A cel grid or an animation is the picture's own too.
    DDImage* cels = Image("CELS");
    EXPECT_EQ(Image("CELS2"), cels);
    EXPECT_NE(cels, plain);
    EXPECT_NE(Image("ANIM"), cels);
    EXPECT_EQ(plain->rows, 1);
    EXPECT_EQ(cels->rows, 2);
    EXPECT_EQ(cels->animation, nullptr);
    EXPECT_NE(Image("ANIM")->animation, nullptr);
    EXPECT_EQ(plain->GetPixel(0, 0) >> 24, 0xFFu);

    const std::vector<uint32_t> maskBefore = Words(mask);
    const std::vector<uint32_t> gridBefore = Words(grid);
    plain->Pixels()[0] = 0x12345678;
    plain->NotePixelsEdited();
    EXPECT_EQ(Words(mask), maskBefore);
    EXPECT_EQ(Words(grid), gridBefore);
    mask->Pixels()[5] = 0;
    mask->NotePixelsEdited();
    EXPECT_EQ(plain->GetPixel(1, 1) >> 24, 0xFFu);
}

TEST_F(ResourceManagerTest, DefaultsApplyToLaterElementsAcrossGroups)
{
    ASSERT_TRUE(Parse("<ResourceManifest>"
                      "<Resources id=\"a\"><SetDefaults path=\"images\\\" idprefix=\"IMG_\"/>"
                      "<Image path=\"x.png\"/><Image path=\"sub\\y.tga\" id=\"Y\"/></Resources>"
                      "<Resources id=\"b\"><Image path=\"dir.v2/z\"/><SetDefaults path=\"\" idprefix=\"P/\"/>"
                      "<Image path=\"w.png\" alphaimage=\"w_a.png\" alphagrid=\"g.png\"/>"
                      "<Sound path=\"!raw\" volume=\"x\" pan=\"7z\"/></Resources>"
                      "</ResourceManifest>"));
    EXPECT_EQ(manager->imageMap.at("IMG_x")->path, "images/x.png");
    EXPECT_EQ(manager->imageMap.at("IMG_Y")->path, "images/sub\\y.tga");
    EXPECT_EQ(manager->imageMap.at("IMG_z")->path, "images/dir.v2/z");
    EXPECT_EQ(manager->imageMap.at("IMG_z")->group, "b");
    EXPECT_EQ(manager->imageMap.at("Pw")->path, "/w.png");
    EXPECT_EQ(ImageRecord("Pw")->alphaImage, "/w_a.png");
    EXPECT_EQ(ImageRecord("Pw")->alphaGrid, "/g.png");
    auto* raw = static_cast<ResourceManager::SoundRes*>(manager->soundMap.at("P!raw").get());
    EXPECT_EQ(raw->path, "!raw");
    EXPECT_DOUBLE_EQ(raw->volume, -1.0); // no number: unchanged
    EXPECT_EQ(raw->pan, 7);
}

struct AnimationCase {
    const char* attributes;
    int32_t type;
    int32_t frameCount;
    int32_t frameDelay;
    std::vector<int32_t> frameMap;
    std::vector<int32_t> perFrameDelays;
    int32_t totalTime;
};

TEST_F(ResourceManagerTest, AnimationsAreCompleted)
{
    const AnimationCase cases[] = {
        {"anim=\"PINGPONG\" rows=\"4\" framedelay=\"0\"", 2, 6, 1, {0, 1, 2, 3, 2, 1}, {}, 6},
        {"anim=\"pingpong\" cols=\"1\" framemap=\"3,4\"", 2, 2, 1, {3, 4}, {}, 2},
        {"anim=\"once\" rows=\"3\" framedelay=\"7\" begindelay=\"50\"", 1, 3, 7, {}, {50, 7, 7}, 64},
        {"anim=\"loop\" cols=\"2\" framedelay=\"4\" enddelay=\"9\"", 3, 2, 4, {}, {4, 9}, 13},
        {"anim=\"Loop\" framemap=\"4,,7\" framedelay=\"2\"", 3, 3, 2, {4, 0, 7}, {}, 6},
        {"anim=\"once\" cols=\"4\" framedelay=\"3\" perframedelay=\"5,-1,8,9,10\"", 1, 4, 3, {}, {5, 3, 8, 9}, 25},
        {"anim=\"once\" cols=\"3\" perframedelay=\"\"", 1, 3, 1, {}, {1, 1, 1}, 3},
        {"anim=\"none\" rows=\"3\" framedelay=\"9\"", 0, 1, 1, {}, {}, 0},
        {"rows=\"2\" framemap=\"1\"", 0, 1, 1, {}, {}, 0},
        {"anim=\"loop\" rows=\"2\" framedelay=\"2147483647\" perframedelay=\"2147483647,2147483647\"",
         3,
         2,
         2147483647,
         {},
         {2147483647, 2147483647},
         2147483647},
    };
    for (const AnimationCase& c : cases) {
        ResourceManager fresh(&app);
        manager = &fresh;
        ASSERT_TRUE(Parse(std::string("<ResourceManifest><Resources id=\"a\"><Image path=\"x\" ") + c.attributes +
                          "/></Resources></ResourceManifest>"))
            << c.attributes << ": " << fresh.GetErrorText();
        const ImageAnimation& anim = ImageRecord("x")->animation;
        EXPECT_EQ(anim.type, c.type) << c.attributes;
        EXPECT_EQ(anim.frameCount, c.frameCount) << c.attributes;
        EXPECT_EQ(anim.frameDelay, c.frameDelay) << c.attributes;
        EXPECT_EQ(anim.frameMap, c.frameMap) << c.attributes;
        EXPECT_EQ(anim.perFrameDelays, c.perFrameDelays) << c.attributes;
        EXPECT_EQ(anim.totalTime, c.totalTime) << c.attributes;
    }
}

struct ErrorCase {
    const char* manifest;
    const char* error; // "%F" stands for the manifest's file name
};

TEST_F(ResourceManagerTest, BrokenManifestsAreReportedWithTheirPlace)
{
    const ErrorCase cases[] = {
        {"", "Expecting ResourceManifest tag on Line 1 in File '%F'"},
        {"<?xml version=\"1.0\"?>\n<Manifest/>", "Expecting ResourceManifest tag on Line 2 in File '%F'"},
        {"<ResourceManifest><Other/></ResourceManifest>", "Invalid Section 'Other' on Line 1 in File '%F'"},
        {"<ResourceManifest>\nhello</ResourceManifest>", "Element Not Expected 'hello' on Line 2 in File '%F'"},
        {"<ResourceManifest><Resources><Image path=\"x\"/></Resources></ResourceManifest>",
         "No id specified. on Line 1 in File '%F'"},
        {"<ResourceManifest><Resources id=\"a\"><Image path=\"x.png\"/>\n<Image path=\"dir/x.tga\"/>"
         "</Resources></ResourceManifest>",
         "Resource already defined. on Line 2 in File '%F'"},
        {"<ResourceManifest>\n<Resources id=\"a\">\n<Image path=\"x.png\">\n<Sound path=\"s\"/>\n</Image>\n"
         "</Resources></ResourceManifest>",
         "Unexpected element found. on Line 4 in File '%F'"},
        {"<ResourceManifest><Resources id=\"a\"><Image path=\"x.png\"><!-- note --></Image>"
         "</Resources></ResourceManifest>",
         "Unexpected element found. on Line 1 in File '%F'"},
        {"<ResourceManifest><Resources id=\"a\"><Image id=\"x\"/></Resources></ResourceManifest>",
         "No path specified. on Line 1 in File '%F'"},
        {"<ResourceManifest><Resources id=\"a\"><Font path=\"\"/></Resources></ResourceManifest>",
         "No path specified. on Line 1 in File '%F'"},
        {"<ResourceManifest><Resources id=\"a\"><Image path=\"x\" "
         "anim=\"sideways\"/></Resources></ResourceManifest>",
         "Invalid animation type. on Line 1 in File '%F'"},
        {"<ResourceManifest><Resources id=\"a\"><Font path=\"!sys:Tahoma\" size=\"0\"/></Resources>"
         "</ResourceManifest>",
         "SysFont needs point size on Line 1 in File '%F'"},
        {"<ResourceManifest><Resources id=\"a\">\n<Image path=\"x\" rows=\"0\"/></Resources></ResourceManifest>",
         "Invalid cel grid: rows 0 and cols 1 must be from 1 to 4096. on Line 2 in File '%F'"},
        {"<ResourceManifest><Resources id=\"a\"><Image path=\"x\" cols=\"-3\"/></Resources></ResourceManifest>",
         "Invalid cel grid: rows 1 and cols -3 must be from 1 to 4096. on Line 1 in File '%F'"},
        {"<ResourceManifest><Resources id=\"a\"><Image path=\"x\" rows=\"99999999999\"/></Resources>"
         "</ResourceManifest>",
         "Invalid cel grid: rows 2147483647 and cols 1 must be from 1 to 4096. on Line 1 in File '%F'"},
        {"<ResourceManifest><Resources id=\"a\"><Picture path=\"x\"/></Resources></ResourceManifest>",
         "Invalid Section 'Picture' on Line 1 in File '%F'"},
        {"<ResourceManifest><Resources id=\"a\">junk</Resources></ResourceManifest>",
         "Element Not Expected 'junk' on Line 1 in File '%F'"},
        {"<ResourceManifest><Resources id=\"a\"><Image path=\"x\"/>\n",
         "Unexpected End of File on Line 2 in File '%F'"},
        {"<ResourceManifest><Resources id=\"a\"></Image>",
         "End 'Image' Doesn't Match Start 'Resources' on Line 1 in File '%F'"},
    };
    for (const ErrorCase& c : cases) {
        ResourceManager fresh(&app);
        manager = &fresh;
        EXPECT_FALSE(Parse(c.manifest)) << c.manifest;
        EXPECT_EQ(fresh.GetErrorText(), WithFile(c.error, path)) << c.manifest;
        EXPECT_EQ(fresh.parser, nullptr);
    }
}

TEST_F(ResourceManagerTest, ErrorsNameTheirLineAndFile)
{
    std::string xml = "<ResourceManifest>\n<Resources id=\"a\">\n";
    for (int line = 3; line < 12; ++line)
        xml += "<Image path=\"p" + std::to_string(line) + "\"/>\n";
    xml += "<Image path=\"p3\"/>\n</Resources></ResourceManifest>\n";
    EXPECT_FALSE(Parse(xml));
    EXPECT_EQ(manager->GetErrorText(), "Resource already defined. on Line 12 in File '" + path + "'");
    // What was read before the error stays defined.
    EXPECT_EQ(manager->imageMap.size(), 9u);
}

TEST_F(ResourceManagerTest, AMissingManifestIsNamedWithoutAPlace)
{
    EXPECT_FALSE(manager->ParseManifest("data\\properties\\missing.xml"));
    EXPECT_EQ(manager->GetErrorText(), "Resource file not found: data\\properties\\missing.xml");
}

TEST_F(ResourceManagerTest, ResourcesOfDifferentKindsMayShareAnId)
{
    EXPECT_TRUE(Parse("<ResourceManifest><Resources id=\"a\"><Image path=\"beep.png\"/><Sound path=\"beep\"/>"
                      "<Font path=\"x\\beep.fnt\"/></Resources><Resources id=\"a\"><Image path=\"other\"/>"
                      "</Resources></ResourceManifest>"))
        << manager->GetErrorText();
    EXPECT_EQ(manager->imageMap.count("beep"), 1u);
    EXPECT_EQ(manager->soundMap.count("beep"), 1u);
    EXPECT_EQ(manager->fontMap.count("beep"), 1u);
    EXPECT_EQ(manager->groups["a"].size(), 4u); // both elements of the group join one list
}

TEST_F(ResourceManagerTest, ProgramResourcesAreNeverLoaded)
{
    ASSERT_TRUE(ParseFixture());
    ASSERT_TRUE(manager->LoadResources("Common"));
    EXPECT_EQ(ImageRecord("IMAGE_PROGRAM")->image.GetRecordImage(), nullptr);
    EXPECT_EQ(ImageThrow("IMAGE_PROGRAM"), "Image resource not found: IMAGE_PROGRAM");
    // An older error text wins.
    EXPECT_EQ(ImageThrow("NOWHERE"), "Image resource not found: IMAGE_PROGRAM");
    EXPECT_THROW(manager->GetFontThrow("FONT_NONE"), ResourceManagerException);
    EXPECT_EQ(manager->GetErrorText(), "Image resource not found: IMAGE_PROGRAM");
}

TEST_F(ResourceManagerTest, GroupsLoadOnceAndCanBeUnloadedAndLoadedAgain)
{
    ASSERT_TRUE(ParseFixture());
    ASSERT_TRUE(manager->LoadResources("Common"));
    ASSERT_TRUE(manager->LoadResources("Game"));
    DDImage* cels = Image("IMAGE_CELS");
    Font* tiny = manager->GetFontThrow("FONT_TINY");
    const size_t shared = app.sharedImages.Size();

    // Loaded again: nothing is loaded anew.
    EXPECT_TRUE(manager->LoadResources("Common"));
    EXPECT_EQ(Image("IMAGE_CELS"), cels);
    EXPECT_EQ(manager->GetFontThrow("FONT_TINY"), tiny);
    EXPECT_TRUE(manager->LoadResources("NeverDeclared"));
    EXPECT_TRUE(manager->groups["NeverDeclared"].empty());

    // One group unloaded: its records stay defined, the other group stays.
    manager->DeleteResources("Common");
    EXPECT_EQ(ImageRecord("IMAGE_CELS")->image.GetRecordImage(), nullptr);
    EXPECT_THROW(manager->GetFontThrow("FONT_TINY"), ResourceManagerException);
    EXPECT_EQ(manager->GetSoundThrow("SOUND_BEEP"), 0);
    EXPECT_EQ(manager->loadedGroups, (std::set<std::string>{"Game", "NeverDeclared"}));
    app.PurgeReleasedSharedImages();
    EXPECT_LT(app.sharedImages.Size(), shared);

    // Everything unloaded, then loaded again.
    manager->DeleteResources("");
    EXPECT_EQ(sounds.GetNumSounds(), 0);
    EXPECT_TRUE(manager->loadedGroups.empty());
    ASSERT_TRUE(manager->LoadResources("Common"));
    ASSERT_TRUE(manager->LoadResources("Game"));
    EXPECT_EQ(Image("IMAGE_CELS")->GetPixel(0, 0), 0xFF102030u);
    EXPECT_EQ(manager->GetSoundThrow("SOUND_BEEP"), 0);
}

// A group naming missing files loads everything else and reports each
// missing file with its place in the manifest.
TEST_F(ResourceManagerTest, MissingFilesAreEachReportedAndTheRestLoads)
{
    TempDir logDir;
    ProcessLog* log = ProcessLog::GetInstance();
    const bool logOpen = log->Open(logDir / "log.html");
    ASSERT_TRUE(Parse("<ResourceManifest>\n<Resources id=\"g\">\n"
                      "<Image id=\"GONE\" path=\"images/gone.png\"/>\n"
                      "<Image id=\"CELS\" path=\"images/cels.png\"/>\n"
                      "<Image id=\"NOALPHA\" path=\"images/plain.png\" alphaimage=\"images/nomask.png\"/>\n"
                      "<Font id=\"NOFONT\" path=\"fonts/none.fnt\"/>\n"
                      "<Font id=\"PICTURE\" path=\"fonts/tiny.fnt\" image=\"fonts/tiny_0.png\" tags=\"x\"/>\n"
                      "<Font id=\"NOREF\" path=\"!ref:NOFONT\"/>\n"
                      "<Sound id=\"NOSOUND\" path=\"sounds/none\"/>\n"
                      "<Sound id=\"BEEP\" path=\"sounds/beep\"/>\n"
                      "</Resources></ResourceManifest>"));
    EXPECT_FALSE(manager->LoadResources("g"));
    const std::string first = "Failed to load image: images/gone.png on Line 3 in File '" + path + "'";
    EXPECT_EQ(manager->GetErrorText(), first);
    EXPECT_TRUE(manager->loadedGroups.empty());
    EXPECT_EQ(Image("CELS")->width, 4);
    EXPECT_NE(manager->GetSoundThrow("BEEP"), -1);
    EXPECT_EQ(ImageRecord("NOALPHA")->image.GetRecordImage(), nullptr);

    if (!logOpen)
        GTEST_SKIP() << "the process log is already open";
    const std::string html = TempDir::ReadFile(logDir / "log.html");
    for (const char* missing :
         {"Failed to load image: images/gone.png on Line 3", "Failed to load image: images/nomask.png on Line 5",
          "Failed to load font: fonts/none.fnt on Line 6", "Failed to load font: fonts/tiny.fnt on Line 7",
          "Ref font not found: NOFONT on Line 8", "Failed to load sound: sounds/none on Line 9",
          "(resource NOSOUND of group g)"})
        EXPECT_NE(html.find(missing), std::string::npos) << missing;
}

TEST_F(ResourceManagerTest, AlphaPicturesOfTheWrongSizeAreRefused)
{
    ASSERT_TRUE(Parse("<ResourceManifest><Resources id=\"a\">"
                      "<Image id=\"A\" path=\"images/plain.png\" alphaimage=\"images/mask.png\"/></Resources>"
                      "<Resources id=\"b\"><Image id=\"B\" path=\"images/cels.png\" cols=\"2\" "
                      "alphagrid=\"images/mask.png\"/></Resources>"
                      "<Resources id=\"c\"><Image id=\"C\" path=\"images/cels.png\" rows=\"4\" cols=\"4\" "
                      "alphagrid=\"images/grid.png\"/></Resources></ResourceManifest>"));
    EXPECT_FALSE(manager->LoadResources("a"));
    EXPECT_EQ(manager->GetErrorText(),
              "AlphaImage size mismatch between images/plain.png and images/mask.png on Line 1 in File '" + path +
                  "'");
    EXPECT_FALSE(manager->LoadResources("b"));
    EXPECT_EQ(manager->GetErrorText(),
              "GridAlphaImage size mismatch between images/cels.png and images/mask.png on Line 1 in File '" +
                  path + "'");
    EXPECT_FALSE(manager->LoadResources("c"));
    EXPECT_EQ(manager->GetErrorText().find("GridAlphaImage size mismatch"), 0u);
}

TEST_F(ResourceManagerTest, SoundsFailWithoutASoundManagerOrFreeIds)
{
    ASSERT_TRUE(ParseFixture());
    manager->soundManager = nullptr;
    EXPECT_FALSE(manager->LoadResources("Game"));
    EXPECT_EQ(manager->GetErrorText().find("Failed to load sound: sounds/beep on Line "), 0u);
    manager->soundManager = &sounds;
    for (unsigned id = 0; id < unsigned(DSoundManager::kMaxSounds); ++id)
        ASSERT_TRUE(sounds.LoadSound(id, "sounds\\beep"));
    EXPECT_FALSE(manager->LoadResources("Game"));
    EXPECT_EQ(manager->GetErrorText().find("Out of free sound ids on Line "), 0u);
}

TEST_F(ResourceManagerTest, NextResourceStopsAtAFailure)
{
    ASSERT_TRUE(Parse("<ResourceManifest><Resources id=\"g\"><Image id=\"A\" path=\"images/cels.png\"/>"
                      "<Image id=\"B\" path=\"gone.png\"/><Image id=\"C\" path=\"images/plain.png\"/>"
                      "</Resources></ResourceManifest>"));
    manager->StartLoadResources("g");
    EXPECT_TRUE(manager->LoadNextResource());
    EXPECT_FALSE(manager->LoadNextResource());
    EXPECT_TRUE(manager->HadError());
    EXPECT_FALSE(manager->LoadNextResource()); // held by the error
    EXPECT_EQ(ImageRecord("C")->image.GetRecordImage(), nullptr);
}

} // namespace
} // namespace Quib
