// Data and saved states the puzzles refuse or survive: bad combinations,
// saved codes and tile lists, missing pictures, a win whose field is gone.
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/FileNames.h"
#include "platform/TextCodecs.h"
#include "src/GameSettings.h"
#include "src/Profiles.h"
#include "src/UserFolders.h"
#include "src/game/minigames/DelayActor.h"
#include "src/game/minigames/QstFieldLock15.h"
#include "src/game/minigames/QstFieldMusicBox.h"
#include "src/game/minigames/QstFieldSeif.h"
#include "src/game/minigames/QstMinigameMakers.h"
#include "src/game/quest/QstScene.h"
#include "src/game/quest/QstXmlElement.h"
#include "src/game/quest/Layer/SLoadLayerDataCont.h"
#include "tests/support/AppTestSupport.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <array>
#include <memory>

namespace Quib::Mg1Test {
namespace {

struct MendErrors {
    std::vector<std::string> texts;
    QstXmlErrorHandler Handler()
    {
        return {this, [](void* self, const std::string& error, TiXmlElement*) {
                    static_cast<MendErrors*>(self)->texts.push_back(error);
                    return false;
                }};
    }
};

class MinigameMends : public ::testing::Test {
protected:
    MinigameMends() : cwd(env.temp.Path())
    {
        RegisterMinigames1Kinds();
        app.appWidth = 1024;
        app.appHeight = 768;
        app.Initialize();
        app.inMainLoop = true;
        SetUserDataFolder(Utf8ToUtf16(env.temp / "user"));
        env.temp.WriteFile("res/game.ini", "[Game]\r\nMinigameSkipTime=30\r\n[Clusters]\r\nroom=room\r\n");
        ClearDirectoryCache();
        LoadGameSettings();
        Profiles::Instance().AddProfile(u"mender");
        Profiles::Instance().SelectProfile(u"mender");
    }
    ~MinigameMends() override { SetUserDataFolder(u"."); }

    // A field of the kind read from the element text, without a scene.
    template <class Kind>
    std::unique_ptr<Kind> Read(const std::string& xml, const char* type, bool* loaded = nullptr)
    {
        document = std::make_unique<TiXmlDocument>();
        document->Parse(xml.c_str());
        QstXmlElement element(document->RootElement(), errors.Handler());
        auto field = std::make_unique<Kind>(nullptr, nullptr, type);
        const bool ok = field->DoInitFromXML(element, context);
        if (loaded)
            *loaded = ok;
        return field;
    }
    // Loads a saved puzzle state (attributes of a Field element).
    static bool LoadSaved(QstFieldMinigame& field, const std::string& attributes)
    {
        TiXmlDocument saved;
        saved.Parse(("<Field name=\"f\" " + attributes + "/>").c_str());
        QstXmlElement element(saved.RootElement(), QstXmlErrorHandler());
        return field.LoadState(element);
    }

    Testing::HeadlessAppEnvironment env;
    Testing::ScopedWorkingDirectory cwd;
    Testing::TestApp app;
    MendErrors errors;
    SLoadLayerDataCont context;
    std::unique_ptr<TiXmlDocument> document;
};

TEST_F(MinigameMends, SafeRefusesCombinationsThatCannotBeEntered)
{
    for (const char* combination : {"", "1123", "12a4", "7 1", "-12"}) {
        bool loaded = true;
        errors.texts.clear();
        Read<QstFieldSeif>(std::string("<Field name=\"vault\" mask=\"v/\" type=\"safe\" combination=\"") + combination +
                               "\"><OnWin/></Field>",
                           "safe", &loaded);
        EXPECT_FALSE(loaded) << combination;
        ASSERT_EQ(errors.texts.size(), 1u) << combination;
        EXPECT_NE(errors.texts[0].find("\"vault\""), std::string::npos) << errors.texts[0];
    }
    bool loaded = false;
    errors.texts.clear();
    Read<QstFieldSeif>("<Field name=\"vault\" mask=\"v/\" type=\"safe\" combination=\"9051\"><OnWin/></Field>", "safe",
                       &loaded);
    EXPECT_TRUE(loaded);
    EXPECT_TRUE(errors.texts.empty());
}

TEST_F(MinigameMends, SafeSceneWithBadCombinationIsReportedWithSceneAndField)
{
    env.temp.WriteFile("data/scenes/room.xml",
                       "<Scene ambient_sounds=\"none\"><Field name=\"main\" mask=\"main/\"/>"
                       "<Field name=\"vault\" mask=\"v/\" type=\"safe\" combination=\"4455\"><OnWin/></Field></Scene>");
    env.temp.WriteFile("data/scenes/room/layers.ini", "[layers]\r\n");
    ClearDirectoryCache();
    QstScene scene("room");
    scene.LoadLevel();
    EXPECT_TRUE(scene.LoadFailed());
    bool named = false;
    for (const auto& box : env.sink.boxes)
        named = named || (box.text.find("\"vault\"") != std::string::npos &&
                          box.text.find("\"room\"") != std::string::npos);
    EXPECT_TRUE(named) << "a message names the scene and the field";
}

TEST_F(MinigameMends, SafeIgnoresSavedCodesThatDoNotFit)
{
    auto safe = Read<QstFieldSeif>(
        "<Field name=\"vault\" mask=\"v/\" type=\"safe\" combination=\"905\"><OnWin/></Field>", "safe");
    for (const char* saved : {"cur_combination=\"9x\" ang=\"1\"", "cur_combination=\"99\" ang=\"1\"",
                              "cur_combination=\"9051\" ang=\"1\"", "cur_combination=\"90\" ang=\"nan\"",
                              "cur_combination=\":\" ang=\"1\""}) {
        EXPECT_TRUE(LoadSaved(*safe, saved)) << saved;
        EXPECT_TRUE(safe->entered.empty()) << saved;
        for (const auto& spot : safe->digits)
            EXPECT_FALSE(spot.pressed) << saved;
        EXPECT_TRUE(safe->dialTargets.empty()) << saved;
    }
    EXPECT_TRUE(LoadSaved(*safe, "cur_combination=\"90\" ang=\"7.0\""));
    EXPECT_EQ(safe->entered, "90");
    EXPECT_TRUE(safe->digits[9].pressed && safe->digits[0].pressed);
    EXPECT_TRUE(safe->IsOpened());
    EXPECT_LT(safe->dialAngle, 6.2831855f) << "kept in [0, 2 pi)";
    // Without "ang" the saved state is refused.
    EXPECT_FALSE(LoadSaved(*safe, "cur_combination=\"9\""));
}

TEST_F(MinigameMends, TileLockAcceptsOnlyArrangementsOfTheNineTiles)
{
    auto lock = Read<QstFieldLock15>("<Field name=\"tiles\" mask=\"t/\" type=\"lock15\" key1=\"a\" key2=\"a\" "
                                     "key3=\"a\" key4=\"a\"><OnWin/></Field>",
                                     "lock15");
    const auto before = lock->Arrangement();
    for (const char* parts : {"0,1,2", "0,0,1,2,3,4,5,6,7", "0,1,2,3,4,5,6,7,9", "0,1,2,3,4,5,6,7,8,8",
                              "-1,1,2,3,4,5,6,7,8", "a,b,c,d,e,f,g,h,i", "0,1,2,3,4,5,6,7,", ",0,1,2,3,4,5,6,7",
                              "0,1,2,3,4,5,6,7,80", "8,7,6,5,4,3,2,1,1"}) {
        EXPECT_TRUE(LoadSaved(*lock, std::string("lock0=\"0\" parts=\"") + parts + "\"")) << parts;
        EXPECT_EQ(lock->Arrangement(), before) << parts;
    }
    EXPECT_TRUE(LoadSaved(*lock, "lock0=\"0\" parts=\"8,7,6,5,4,3,2,1,0\""));
    const std::array<int32_t, 9> reversed{8, 7, 6, 5, 4, 3, 2, 1, 0};
    EXPECT_EQ(lock->Arrangement(), reversed);
    std::array<int32_t, 9> homes{};
    EXPECT_TRUE(QstFieldLock15::ParseArrangement("1,2,0,3,4,5,6,7,8", homes));
    EXPECT_FALSE(QstFieldLock15::ParseArrangement("", homes));
}

TEST_F(MinigameMends, MusicBoxWithoutPicturesNeitherCrashesNorLocks)
{
    bool loaded = false;
    auto box = Read<QstFieldMusicBox>("<Field name=\"box\" mask=\"m/\" type=\"musicbox\"><OnWin/></Field>",
                                      "musicbox", &loaded);
    EXPECT_TRUE(loaded);
    EXPECT_FALSE(box->HasAllPictures());
    box->Layout();
    box->OnMouseMove(10, 10);
    box->OnMouseDownButton(10, 10, 0, 1);
    box->ButtonDepress(QstFieldMusicBox::kPlayButtonId);
    EXPECT_TRUE(box->playing);
    for (int i = 0; i < 100; ++i)
        box->Update(0.02f);
    EXPECT_FALSE(box->playing) << "no pin: the drum rolls back and waits";
    MemoryImage target(nullptr);
    target.Resize(64, 64);
    Graphics g(&target);
    box->Draw(g);
    box->UnloadLayers();
}

TEST_F(MinigameMends, WinWhoseFieldIsGoneRunsNothing)
{
    auto safe = Read<QstFieldSeif>(
        "<Field name=\"vault\" mask=\"v/\" type=\"safe\" combination=\"905\"><OnWin/></Field>", "safe");
    auto* actor = new DelayActor(safe.get());
    EXPECT_EQ(actor->GetOwner(), safe.get());
    safe->Win();
    EXPECT_TRUE(safe->IsFinishing());
    safe->Win(); // a second solve changes nothing
    safe.reset();
    EXPECT_EQ(actor->GetOwner(), nullptr);
    delete actor;             // the owner is gone: nothing to run
    app.FlushDeferredDeletes(); // the actor queued by Win finds no owner either
}

} // namespace
} // namespace Quib::Mg1Test
