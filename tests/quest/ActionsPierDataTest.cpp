// The generated demo scene "pier" loads from the game's data tree and its
// scripts, which use every action kind the harbour does not, play through.
#include "framework/files/ProcessLog.h"
#include "framework/files/Singletone.h"
#include "platform/FileNames.h"
#include "platform/TextCodecs.h"
#include "platform/headless/CapturingSink.h"
#include "src/GameSettings.h"
#include "src/Profiles.h"
#include "src/UserFolders.h"
#include "src/game/quest/QstBoardHooks.h"
#include "src/game/quest/QstField.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemState.h"
#include "src/game/quest/QstPoolData.h"
#include "src/game/quest/QstScene.h"
#include "src/game/quest/SBackFromHOGData.h"
#include "src/particles/cGlobalParticles.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace Quib::Testing {
namespace {

class QaPierBoards : public QstBoardHooks {
public:
    QaPierBoards() { QstBoardHooks::Set(this); }
    ~QaPierBoards() override { QstBoardHooks::Set(nullptr); }
    void StartHOG(const std::string& level, const SBackFromHOGData& data) override
    {
        calls.push_back("hog " + level);
        back = data;
    }
    void StartMovie(const std::string& movie, const SMovieReturnData& data) override
    {
        calls.push_back("movie " + movie + " " + data.onDoneGroup);
    }
    void GoToScene(const std::string& scene) override { calls.push_back("scene " + scene); }
    std::vector<std::string> calls;
    SBackFromHOGData back;
};

class ActionsPierDataTest : public ::testing::Test {
protected:
    ActionsPierDataTest() : cwd(QUIB_GAME_DATA)
    {
        SingletoneBase::DestroyAll();
        ClearDirectoryCache();
        ProcessLog::GetInstance()->Open(user / "log.html");
        SetUserDataFolder(Utf8ToUtf16(user.Path()));
        LoadGameSettings();
        Profiles::Instance().AddProfile(u"deckhand");
        Profiles::Instance().SelectProfile(u"deckhand");
    }
    ~ActionsPierDataTest() override
    {
        QstGameControllerScene::Instance().ClearLevels();
        SingletoneBase::DestroyAll();
        SetUserDataFolder(u".");
    }
    static QstScene* Pier() { return QstGameControllerScene::Instance().GetOrLoadScene("pier"); }
    static std::string StateOf(QstScene* scene, const char* item)
    {
        QstItem* found = scene->GetItem(item);
        return found && found->GetCurrentState() ? found->GetCurrentState()->name : "<none>";
    }
    static void Click(QstScene* scene, const char* item)
    {
        QstItem* found = scene->GetItem(item);
        ASSERT_NE(found, nullptr) << item;
        scene->DoCreateAction(found, std::string(item) + "." + found->GetCurrentState()->name + "_OnClick", true,
                              true);
    }
    static void Frames(QstScene* scene, int count)
    {
        for (int i = 0; i < count; ++i)
            scene->UpdateScene(0.1f);
    }

    TempDir user;
    ScopedWorkingDirectory cwd;
    CapturingSink sink;
    QaPierBoards boards;
};

TEST_F(ActionsPierDataTest, ThePierLoadsAndItsScriptsPlayThrough)
{
    QstScene* pier = Pier();
    ASSERT_FALSE(pier->LoadFailed());
    EXPECT_TRUE(sink.boxes.empty());
    EXPECT_TRUE(pier->refusedActionData.empty());
    QstPoolData* pool = QstGameControllerScene::Instance().GetPoolData(pier->GetClusterName());
    EXPECT_EQ(pier->GetClusterName(), "harbour");

    // The lamp waits for the harbour's lantern.
    Click(pier, "lamp");
    EXPECT_EQ(StateOf(pier, "lamp"), "dark");
    QstScene* harbour = QstGameControllerScene::Instance().GetOrLoadScene("harbour");
    harbour->GetItem("lantern")->SetState("lit", true);
    const size_t effects = cGlobalParticles::Instance()->EffectCount();
    Click(pier, "lamp");
    EXPECT_EQ(StateOf(pier, "lamp"), "lit");
    // The sparkles run on their own: no handle holds them.
    ASSERT_EQ(cGlobalParticles::Instance()->EffectCount(), effects + 1);
    EXPECT_EQ(cGlobalParticles::Instance()->RefAt(effects), nullptr);

    // The crate opens; a second later the lights come on.
    Click(pier, "crate");
    EXPECT_EQ(StateOf(pier, "crate"), "open");
    EXPECT_EQ(StateOf(pier, "rope"), "normal");
    Frames(pier, 12);
    EXPECT_TRUE(pier->runningActions.Empty());

    // The rope flies into the inventory and moors the boat.
    Click(pier, "rope");
    EXPECT_TRUE(pool->HasItem(pier->GetItem("rope")));
    pier->DoCreateAction(pier->GetItem("rope"), "rope.pool_OnUse00", true, true);
    EXPECT_EQ(StateOf(pier, "boat"), "moored");
    EXPECT_EQ(StateOf(pier, "sail"), "normal");
    EXPECT_FALSE(pool->HasItem(pier->GetItem("rope")));

    // The locker cannot be closed but by its lever.
    Click(pier, "locker");
    ASSERT_EQ(pier->onScreenFields.back(), pier->GetField("locker"));
    EXPECT_FALSE(pier->GetField("locker")->closable);
    Click(pier, "lever");
    EXPECT_EQ(StateOf(pier, "lever"), "down");

    // Boards: the wreck's level, the sign's movie, the boat's way back.
    Click(pier, "wreck");
    Click(pier, "sign");
    Click(pier, "boat");
    // The sail waits for the study's chart and the workshop's compass.
    Click(pier, "sail");
    EXPECT_EQ(boards.calls.size(), 3u);
    for (const char* ref : {"study:chart", "workshop:compass"}) {
        QstItem* item = QstScene::GetItemByRef(ref);
        ASSERT_NE(item, nullptr) << ref;
        item->SetState("pool", true);
    }
    Click(pier, "sail");
    EXPECT_EQ(boards.calls, (std::vector<std::string>{"hog hog_pier", "movie storm pier_storm_OnDone", "scene harbour",
                                                      "movie mov_22 pier_last_voyage_OnDone"}));
    pier->BackFromHOG(boards.back, pool);
    EXPECT_EQ(StateOf(pier, "wreck"), "searched");
    Frames(pier, 20);
    EXPECT_EQ(boards.calls.size(), 4u);
    EXPECT_TRUE(pier->runningActions.Empty());
}

} // namespace
} // namespace Quib::Testing
