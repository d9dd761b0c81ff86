// The level controllers: one active level across every kind, the caches,
// and the release and clear calls through the common controller.
#include "framework/files/Singletone.h"
#include "platform/TextCodecs.h"
#include "src/UserFolders.h"
#include "src/game/GameControllerDer.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace Quib {
namespace {

class TestLevel : public LevelBase {
public:
    explicit TestLevel(const std::string& name, int* builds) : LevelBase(name) { ++*builds; }
    void SaveState() override {}
    void LoadState() override {}
};

class HiddenLevel : public TestLevel {
public:
    using TestLevel::TestLevel;
};

template <class L>
class Controller : public GameControllerDer<L> {
public:
    L* Get(const std::string& name)
    {
        this->SetLevelName(name);
        return this->GetLevel([this](const std::string& n) { return std::make_unique<L>(n, &builds); });
    }
    void ForgetActiveLevel() override
    {
        ++forgets;
        GameControllerDer<L>::ForgetActiveLevel();
    }
    int builds = 0;
    int forgets = 0;
};

class ControllersTest : public ::testing::Test {
protected:
    // The player's folders are a fresh one: no profile is current.
    void SetUp() override
    {
        SingletoneBase::DestroyAll();
        SetUserDataFolder(Utf8ToUtf16(user.Path()));
    }
    void TearDown() override
    {
        SingletoneBase::DestroyAll();
        SetUserDataFolder(u".");
    }
    Testing::TempDir user;
};

TEST_F(ControllersTest, TheSameLevelTwiceIsOneObjectAndStaysActive)
{
    Controller<TestLevel> scenes;
    TestLevel* hall = scenes.Get("Hall");
    ASSERT_NE(hall, nullptr);
    EXPECT_EQ(scenes.Get("Hall"), hall);
    EXPECT_EQ(scenes.builds, 1);
    EXPECT_EQ(scenes.forgets, 0);
    EXPECT_EQ(GameControllerCommon::Instance().activeLevel, hall);
    EXPECT_EQ(GameControllerCommon::Instance().ActiveLevelName(), "Hall");
}

TEST_F(ControllersTest, AnotherKindsLevelReleasesTheActiveOneFirst)
{
    Controller<TestLevel> scenes;
    Controller<HiddenLevel> hogs;
    TestLevel* hall = scenes.Get("Hall");
    HiddenLevel* attic = hogs.Get("Attic");
    ASSERT_NE(attic, nullptr);
    EXPECT_EQ(scenes.ActiveLevel(), nullptr);
    EXPECT_EQ(scenes.forgets, 1);
    EXPECT_EQ(GameControllerCommon::Instance().activeLevel, attic);

    // Back to the cached scene: not built again.
    EXPECT_EQ(scenes.Get("Hall"), hall);
    EXPECT_EQ(scenes.builds, 1);
    EXPECT_EQ(hogs.ActiveLevel(), nullptr);
}

TEST_F(ControllersTest, ReleaseAllClearsEveryCacheAndSavesNothingWithoutAProfile)
{
    Controller<TestLevel> scenes;
    Controller<HiddenLevel> hogs;
    scenes.Get("Hall");
    scenes.Get("Deck");
    hogs.Get("Attic");
    GameControllerCommon::Instance().ReleaseAll();
    EXPECT_EQ(GameControllerCommon::Instance().activeLevel, nullptr);
    EXPECT_EQ(scenes.CachedLevelCount(), 0u);
    EXPECT_EQ(hogs.CachedLevelCount(), 0u);
    EXPECT_EQ(hogs.ActiveLevel(), nullptr);
}

TEST_F(ControllersTest, AControllerThatGoesTakesItsActiveLevelAlong)
{
    {
        Controller<TestLevel> scenes;
        scenes.Get("Hall");
    }
    EXPECT_EQ(GameControllerCommon::Instance().activeLevel, nullptr);
    EXPECT_TRUE(GameControllerCommon::Instance().clearCallbacks.empty());
    GameControllerCommon::Instance().ReleaseActiveLevel(); // no stale callback runs
}

TEST_F(ControllersTest, AControllerThatOutlivesTheCommonOneIsClearedByTheNext)
{
    Controller<TestLevel> scenes; // lives on, as the game's controllers do
    scenes.Get("Hall");
    GameControllerCommon::Instance().ReleaseAll();
    EXPECT_EQ(scenes.CachedLevelCount(), 0u);

    // A new run: the common controller is made anew.
    SingletoneBase::DestroyAll();
    scenes.Get("Deck");
    EXPECT_EQ(scenes.CachedLevelCount(), 1u);
    GameControllerCommon::Instance().ReleaseAll();
    EXPECT_EQ(scenes.CachedLevelCount(), 0u);
    EXPECT_EQ(scenes.ActiveLevel(), nullptr);
}

} // namespace
} // namespace Quib
