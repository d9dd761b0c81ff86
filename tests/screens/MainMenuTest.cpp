#include "framework/files/ProcessLog.h"
#include "framework/files/Singletone.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SysFont.h"
#include "platform/headless/CapturingSink.h"
#include "src/GameResources.h"
#include "src/UserFolders.h"
#include "src/game/quest/PsdPicture.h"
#include "src/particles/EmitterFile.h"
#include "src/particles/ParticlesCommon.h"
#include "src/screens/ContinueRequest.h"
#include "src/screens/DarkBack.h"
#include "src/screens/ExitScreen.h"
#include "src/screens/Options.h"
#include "src/screens/ProfileScreen.h"
#include "src/screens/FlashingLayer.h"
#include "src/screens/MainMenu.h"
#include "src/screens/MovieStartData.h"
#include "src/screens/TGameButton.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDisplays.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Quib::MainMenuTests {
namespace {

using namespace Testing;

// The process log, opened once, with its entries caught for one test.
class MenuLog {
public:
    MenuLog()
    {
        // The log is a singleton: open it again after the singletons went.
        static TempDir* dir = new TempDir;
        ProcessLog::GetInstance()->Open(*dir / "log.html");
    }
    int Count(std::string_view text) const
    {
        return int(std::count_if(sink.debugLines.begin(), sink.debugLines.end(),
                                 [&](const std::string& line) { return line.find(text) != std::string::npos; }));
    }
    int Count() const { return Count("Main menu:"); }

    CapturingSink sink;
};

TEST(ContinueRequest, SplitsLastSceneIntoKindNameAndReturnData)
{
    struct Case {
        bool hasLastScene;
        const char* value;
        const char* kind;
        const char* name;
        const char* returnData;
        bool fresh;
    };
    const Case cases[] = {
        {true, "scene:harbour", "scene", "harbour", "", false},
        {true, "hog:attic/1,harbour,open,harbour:box,0,list2,1,key", "hog", "attic/1",
         "harbour,open,harbour:box,0,list2,1,key", false},
        {true, "movie:intro", "movie", "intro", "", false},
        {true, "movie:intro,harbour,hold,bell", "movie", "intro", "harbour,hold,bell", false},
        {true, "nocolon", "nocolon", "nocolon", "", false},
        {true, "nocolon,data", "nocolon", "nocolon", "data", false},
        {true, "scene:a:b", "scene", "a:b", "", false},        // the first colon splits
        {true, "hog:x,a:b,c", "hog", "x", "a:b,c", false},      // the first comma cuts first
        {true, ",only", "", "", "only", false},
        {true, "", "", "", "", false},
        {false, "ignored", "scene", "hold", "", true},          // a new profile starts afresh
    };
    for (const Case& c : cases) {
        const ContinueRequest r = ContinueRequest::Make(false, c.hasLastScene, c.value, "hold");
        EXPECT_EQ(r.kind, c.kind) << c.value;
        EXPECT_EQ(r.name, c.name) << c.value;
        EXPECT_EQ(r.returnData, c.returnData) << c.value;
        EXPECT_EQ(r.freshStart, c.fresh) << c.value;
        EXPECT_FALSE(r.gameComplete);
    }
}

TEST(ContinueRequest, AfterTheGameIsCompletePlayAlwaysStartsTheFinalMovie)
{
    for (bool hasLastScene : {false, true}) {
        const ContinueRequest r = ContinueRequest::Make(true, hasLastScene, "hog:attic,harbour", "hold");
        EXPECT_EQ(r.kind, "movie");
        EXPECT_EQ(r.name, "final");
        EXPECT_EQ(r.returnData, "");
        EXPECT_TRUE(r.gameComplete);
        EXPECT_FALSE(r.freshStart);
    }
}

TEST(MovieStartData, ReadsThreeTextsAndAnOptionalItemReference)
{
    struct Case {
        const char* text;
        MovieStartData expected;
    };
    const Case cases[] = {
        {"", {"", "", "", ""}},
        {"level2", {"level2", "", "", ""}},
        {"level2,harbour,bell", {"level2", "harbour", "bell", ""}},
        {"level2,harbour,,", {"level2", "harbour", "", ""}},
        {"level2, harbour ,bell,harbour:key", {"level2", "harbour", "bell", "harbour:key"}},
        {"a,b,c,d:e,extra", {"a", "b", "c", "d:e"}},
    };
    for (const Case& c : cases) {
        const MovieStartData r = MovieStartData::Read(c.text);
        EXPECT_EQ(r.level, c.expected.level) << c.text;
        EXPECT_EQ(r.returnScene, c.expected.returnScene) << c.text;
        EXPECT_EQ(r.sound, c.expected.sound) << c.text;
        EXPECT_EQ(r.itemReference, c.expected.itemReference) << c.text;
    }
}

TEST(FlashingLayer, CyclesDarkFlashFlickerFadeInUpdateSteps)
{
    PsdPictureLayer layer;
    FlashingLayer flash(&layer);
    EXPECT_FALSE(layer.drawn);
    EXPECT_EQ(flash.state, FlashingLayer::Dark);
    EXPECT_GE(flash.duration, 1.0f);
    EXPECT_LE(flash.duration, 5.0f);

    // Updates spent in each state over three cycles, and the alpha range.
    std::vector<std::pair<int32_t, int>> runs;
    std::map<int32_t, std::pair<float, float>> alphas;
    for (int i = 0; i < 6000 && runs.size() < 13; ++i) {
        flash.Step();
        if (runs.empty() || runs.back().first != flash.state)
            runs.push_back({flash.state, 0});
        ++runs.back().second;
        auto [it, added] = alphas.try_emplace(flash.state, flash.alpha, flash.alpha);
        it->second.first = std::min(it->second.first, flash.alpha);
        it->second.second = std::max(it->second.second, flash.alpha);
    }
    ASSERT_EQ(runs.size(), 13u);
    runs.pop_back(); // cut short
    // Dark, flash in 0.1, flicker 0.1, fade out 0.2, dark 1..3, ...
    const int32_t order[] = {FlashingLayer::Dark, FlashingLayer::FlashIn, FlashingLayer::Flicker,
                             FlashingLayer::FadeOut};
    for (size_t i = 0; i < runs.size(); ++i) {
        EXPECT_EQ(runs[i].first, order[i % 4]) << i;
        const int n = runs[i].second;
        switch (runs[i].first) {
        case FlashingLayer::FlashIn:
        case FlashingLayer::Flicker:
            EXPECT_NEAR(n, 20, 1) << i;
            break;
        case FlashingLayer::FadeOut:
            EXPECT_NEAR(n, 40, 1) << i;
            break;
        default:
            if (i == 0)
                EXPECT_LE(n, 1001); // first wait: 1..5 (partly spent before the count)
            else {
                EXPECT_GE(n, 199) << i;
                EXPECT_LE(n, 601) << i;
            }
        }
    }
    EXPECT_EQ(alphas[FlashingLayer::Dark], std::make_pair(0.0f, 0.0f));
    EXPECT_GE(alphas[FlashingLayer::FlashIn].first, 0.0f);
    EXPECT_NEAR(alphas[FlashingLayer::FlashIn].second, 1.0f, 0.01f);
    EXPECT_NEAR(alphas[FlashingLayer::Flicker].first, 0.4f, 0.01f);
    EXPECT_NEAR(alphas[FlashingLayer::Flicker].second, 1.2f, 0.01f);
    EXPECT_NEAR(alphas[FlashingLayer::FadeOut].first, 0.0f, 0.03f);
    EXPECT_NEAR(alphas[FlashingLayer::FadeOut].second, 1.0f, 0.03f);
}

// A main menu in a display-backed application, working in a scratch folder
// (or the generated data), with a bold font for the name.
class MainMenuTest : public ::testing::Test {
protected:
    MainMenuTest() : cwd(dir.Path())
    {
        MakeTestDisplay(app, kDisplayLayouts[0]);
        const std::string path = users.Path();
        SetUserDataFolder(std::u16string(path.begin(), path.end()));
        oldFont = FONT_TEXT_BOLD;
        FONT_TEXT_BOLD = &font;
    }
    ~MainMenuTest() override
    {
        FONT_TEXT_BOLD = oldFont;
        // The profiles go while the file layer is still there.
        SingletoneBase::DestroyAll();
    }

    // Every pixel of the picture is untouched.
    static bool Blank(MemoryImage& image)
    {
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
                if (image.GetPixel(x, y) != 0)
                    return false;
        return true;
    }

    // The singletons of earlier tests go first.
    struct FreshSingletons {
        FreshSingletons() { SingletoneBase::DestroyAll(); }
    } fresh;
    QuibAppBase app;
    TempDir users;
    TempDir dir;
    ScopedWorkingDirectory cwd;
    MenuLog log;
    SysFont font{"DejaVu Sans", 16, true, false, false};
    Font* oldFont = nullptr;
};

TEST_F(MainMenuTest, TheNameIsRenderedOnceAndAnEmptyNameDrawsNothing)
{
    MainMenu menu;
    menu.namePlaceholder = Rect(100, 80, 2, 2);
    struct Case {
        std::u16string name;
        bool drawn;
    };
    const Case cases[] = {{u"", false}, {u"Annelie", true}};
    for (const Case& c : cases) {
        menu.SetPlayerName(c.name);
        ASSERT_NE(menu.nameImage, nullptr);
        EXPECT_EQ(menu.nameImage->width > 0, c.drawn);
        if (c.drawn) {
            // Around the letters the image stays transparent.
            EXPECT_EQ(menu.nameImage->GetPixel(0, 0) >> 24, 0u);
            EXPECT_EQ(menu.nameImage->GetPixel(menu.nameImage->width - 1, menu.nameImage->height - 1) >> 24, 0u);
        }
        EXPECT_EQ(menu.nameX, 100 - menu.nameImage->width / 2);
        EXPECT_EQ(menu.nameY, 80 - font.Ascent());
        MemoryImage target(nullptr);
        target.Resize(240, 160);
        Graphics g(&target);
        g.ReplaceClip(0, 0, 240, 160);
        menu.Draw(g);
        EXPECT_EQ(!Blank(target), c.drawn);
        if (c.drawn) {
            // Pale yellow (255, 243, 152) where the name is drawn opaque.
            uint32_t brightest = 0;
            for (int y = 0; y < 160; ++y)
                for (int x = 0; x < 240; ++x)
                    brightest = std::max(brightest, target.GetPixel(x, y));
            EXPECT_GE(brightest >> 24, 0xf0u) << std::hex << brightest;
            EXPECT_NEAR(int((brightest >> 16) & 0xff), 255, 8) << std::hex << brightest;
            EXPECT_NEAR(int((brightest >> 8) & 0xff), 243, 8) << std::hex << brightest;
            EXPECT_NEAR(int(brightest & 0xff), 152, 8) << std::hex << brightest;
        }
    }
}

TEST_F(MainMenuTest, WithoutAFontTheNameIsLoggedAndNotDrawn)
{
    FONT_TEXT_BOLD = nullptr;
    MainMenu menu;
    menu.SetPlayerName(u"Annelie");
    EXPECT_EQ(menu.playerName, u"Annelie");
    EXPECT_EQ(menu.nameImage, nullptr);
    EXPECT_EQ(log.Count("no font for the player's name"), 1);
}

TEST_F(MainMenuTest, ButtonIdsOpenTheirPopupsOverABackdrop)
{
    struct Case {
        int id;
        bool popup;
        const char* kind;
    };
    // Credits switch boards through the game application (none here).
    const Case cases[] = {
        {MainMenu::kProfiles, true, "profiles"}, {MainMenu::kOptions, true, "options"},
        {MainMenu::kExit, true, "exit"},         {MainMenu::kCredits, false, "credits"},
        {5, false, "5"},                         {-1, false, "-1"},
    };
    for (const Case& c : cases) {
        MainMenu menu;
        menu.ButtonDepress(c.id);
        ASSERT_EQ(menu.children.size(), c.popup ? 2u : 0u) << c.kind;
        if (!c.popup)
            continue;
        auto it = menu.children.begin();
        EXPECT_NE(dynamic_cast<DarkBack*>(*it), nullptr) << c.kind;
        Widget* popup = *++it;
        const bool rightKind = c.id == MainMenu::kProfiles ? dynamic_cast<ProfileScreen*>(popup) != nullptr
                               : c.id == MainMenu::kOptions ? dynamic_cast<Options*>(popup) != nullptr
                                                            : dynamic_cast<ExitScreen*>(popup) != nullptr;
        EXPECT_TRUE(rightKind) << c.kind;
        menu.DetachAllChildren(true, false);
    }
}

TEST_F(MainMenuTest, StartingARequestNamesWhatWasAskedFor)
{
    MainMenu menu;
    struct Case {
        const char* lastScene;
        bool hasLastScene;
        const char* line;
    };
    const Case cases[] = {
        {"", false, "the scene \"hold\" was asked for (fresh start)"},
        {"scene:harbour", true, "the scene \"harbour\" was asked for (continued)"},
        {"hog:attic,harbour,open", true, "hidden-object level \"attic\" was asked for, return data \"harbour,open\""},
        {"movie:intro", true,
         "movie \"intro\" was asked for, then level \"\", return scene \"\", sound \"\", item \"\""},
        {"movie:intro,l2,harbour,bell,harbour:key", true,
         "movie \"intro\" was asked for, then level \"l2\", return scene \"harbour\", sound \"bell\", item "
         "\"harbour:key\""},
        {"garden:x", true, "LastScene \"garden\" is of no known kind"},
    };
    for (const Case& c : cases) {
        menu.StartRequest(ContinueRequest::Make(false, c.hasLastScene, c.lastScene, "hold"));
        EXPECT_EQ(log.Count(c.line), 1) << c.lastScene;
    }
}

TEST_F(MainMenuTest, WithoutAProfileTheProfileScreenOpensInTheFirstUpdateAfterBecomingCurrent)
{
    for (bool noProfile : {false, true}) {
        MenuLog caught;
        MainMenu menu;
        menu.noProfile = noProfile;
        menu.Update();
        menu.OnBecameCurrent();
        EXPECT_TRUE(menu.children.empty());
        menu.Update();
        menu.Update();
        ProfileScreen* screen = nullptr;
        for (Widget* child : menu.children)
            if (auto* found = dynamic_cast<ProfileScreen*>(child))
                screen = found;
        EXPECT_EQ(screen != nullptr, noProfile);
        if (screen) {
            EXPECT_TRUE(screen->createMode);
        }
        menu.DetachAllChildren(true, false);
    }
}

// The menu over the generated data.
class MainMenuDataTest : public MainMenuTest {
protected:
    MainMenuDataTest() : dataCwd(QUIB_GAME_DATA) { LoadParticleFiles(); }
    ~MainMenuDataTest() override { UnloadParticleFiles(); }

    ScopedWorkingDirectory dataCwd;
};

TEST_F(MainMenuDataTest, ButtonsTakeTheirPicturesFromTheLayout)
{
    MainMenu menu;
    menu.LoadImages();
    menu.OnStart();
    ASSERT_EQ(menu.buttons.size(), 5u);
    const char* names[] = {"play", "here", "options", "credits", "exit"};
    for (size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(names[i]);
        TGameButton* button = menu.buttons[i];
        EXPECT_EQ(button->id, int(i));
        EXPECT_EQ(button->parent, &menu);
        const std::string base = std::string("buttons/") + names[i];
        PsdPictureLayer* in = menu.layout->FindLayer(base + "_in");
        PsdPictureLayer* down = menu.layout->FindLayer(base + "_dn");
        ASSERT_NE(in, nullptr);
        ASSERT_NE(down, nullptr);
        EXPECT_EQ(button->normalImage, in->image);
        ASSERT_NE(button->downImage, nullptr);
        EXPECT_EQ(button->downImage, down->image);
        EXPECT_EQ(button->downOffset, Point(down->x - button->x, down->y - button->y));
        for (const char* state : {"_in", "_ac", "_dn"})
            EXPECT_FALSE(menu.layout->FindLayer(base + state)->drawn) << state;
    }
    // Only the ropes, the title and the name tag are left for the layout to draw.
    std::vector<std::string> drawn;
    for (const PsdPictureLayer* layer : menu.layout->layers)
        if (layer->drawn)
            drawn.push_back(layer->name);
    EXPECT_EQ(drawn, (std::vector<std::string>{"ropes", "title", "name_tag"}));
    EXPECT_EQ(menu.flashingLayers.size(),
              size_t(std::count_if(menu.layout->layers.begin(), menu.layout->layers.end(),
                                   [](const PsdPictureLayer* l) { return l->name.starts_with("fx/"); })));
    EXPECT_GT(menu.flashingLayers.size(), 0u);
    EXPECT_NE(menu.namePlaceholder.x, 0);

    // A name the layout lacks gives a button without pictures.
    menu.AddMenuButton(9, "none_in", "none_ac", "none_dn");
    TGameButton* missing = menu.buttons.back();
    EXPECT_EQ(missing->normalImage, nullptr);
    EXPECT_EQ(missing->downImage, nullptr);
    EXPECT_EQ(log.Count("Particle"), 0) << "every effect is found";
}

TEST_F(MainMenuDataTest, TheWholeNameTagAnswersTheMouse)
{
    MainMenu menu;
    menu.LoadImages();
    menu.OnStart();
    TGameButton* here = menu.buttons[size_t(MainMenu::kProfiles)];
    PsdPictureLayer* tag = menu.layout->FindLayer("name_tag");
    ASSERT_NE(tag, nullptr);
    auto* picture = dynamic_cast<MemoryImage*>(tag->image);
    ASSERT_NE(picture, nullptr);
    int onTag = 0;
    int answered = 0;
    for (int y = 0; y < picture->height; y += 3) {
        for (int x = 0; x < picture->width; x += 3) {
            if ((picture->GetPixel(x, y) >> 24) < 200)
                continue;
            ++onTag;
            const int lx = tag->x + x - here->x;
            const int ly = tag->y + y - here->y;
            if (lx >= 0 && ly >= 0 && lx < here->width && ly < here->height && here->AcceptsPoint(lx, ly))
                ++answered;
        }
    }
    ASSERT_GT(onTag, 1000);
    EXPECT_GE(answered, onTag * 97 / 100) << "of " << onTag << " points on the tag";
}

TEST_F(MainMenuDataTest, TheMenuEffectsExistAndOnlyThePassingLightEnds)
{
    struct Case {
        const char* name;
        bool looping;
    };
    const Case cases[] = {{"1_Sky", true}, {"12_lght_l", true}, {"hg_house_2", true}, {"lightarrow", false}};
    for (const Case& c : cases) {
        std::unique_ptr<ParticlesCommon> effect = CreateParticlesByName(c.name);
        effect->SetLooping(c.looping);
        effect->StartAt(TPoint<float>(500.0f, 100.0f));
        EXPECT_FALSE(effect->IsFinished()) << c.name;
        int updates = 0;
        while (!effect->IsFinished() && updates < 4000) {
            effect->Update(MainMenu::kEffectStep);
            ++updates;
        }
        EXPECT_EQ(effect->IsFinished(), !c.looping) << c.name;
        if (!c.looping) {
            EXPECT_LT(updates, 600) << c.name; // gone within 3 s of effect time
        }
    }
}

TEST_F(MainMenuDataTest, TheBoardInterfaceEffectsExistAndOnlyTheCompassOneEnds)
{
    // As the board starts them: the journal's news until it is opened, the
    // charged compass once.
    for (const auto& [name, ends] : {std::pair<const char*, bool>{"notebook", false}, {"clock_big", true}}) {
        std::unique_ptr<ParticlesCommon> effect = CreateParticlesByName(name);
        ASSERT_NE(effect, nullptr) << name;
        effect->StartAt(TPoint<float>(30.0f, 30.0f));
        int updates = 0;
        while (!effect->IsFinished() && updates < 1000) {
            effect->Update(0.01f);
            ++updates;
        }
        EXPECT_EQ(effect->IsFinished(), ends) << name;
    }
    EXPECT_EQ(log.Count("Particle"), 0) << "every effect is found";
}

TEST_F(MainMenuDataTest, PassingLightsComeAndGoWhileTheMenuRuns)
{
    MainMenu menu;
    menu.LoadImages();
    menu.OnStart();
    size_t most = 0;
    int seen = 0;
    for (int i = 0; i < 3000; ++i) {
        const size_t before = menu.passingEffects.size();
        menu.Update();
        seen += menu.passingEffects.size() > before;
        most = std::max(most, menu.passingEffects.size());
    }
    EXPECT_GE(seen, 10); // one every 100 to 300 updates
    EXPECT_LE(most, 4u);  // finished ones are deleted
}

} // namespace
} // namespace Quib::MainMenuTests
