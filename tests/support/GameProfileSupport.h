#pragma once
// The game's settings and a selected profile in a scratch user folder, for
// tests that read the generated data without an application. Header-only: it
// needs the game library, which only the game's test programs link.
#include "framework/files/ProcessLog.h"
#include "framework/files/Singletone.h"
#include "platform/FileNames.h"
#include "platform/TextCodecs.h"
#include "platform/headless/CapturingSink.h"
#include "src/GameSettings.h"
#include "src/Profiles.h"
#include "src/UserFolders.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace Quib::Testing {

// Fresh singletons, the user folder, the settings and the profile; with
// openLog the process log goes to log.html in the user folder.
inline void BeginGameProfile(const std::string& userFolder, const std::u16string& profile, bool openLog)
{
    SingletoneBase::DestroyAll();
    ClearDirectoryCache();
    if (openLog)
        ProcessLog::GetInstance()->Open(userFolder + "/log.html");
    SetUserDataFolder(Utf8ToUtf16(userFolder));
    LoadGameSettings();
    Profiles::Instance().AddProfile(profile);
    Profiles::Instance().SelectProfile(profile);
}

// The scenes forgotten, the singletons gone, the user folder back.
inline void EndGameProfile()
{
    QstGameControllerScene::Instance().ClearLevels();
    SingletoneBase::DestroyAll();
    SetUserDataFolder(u".");
}

// A test in the generated data's folder with a fresh profile in a scratch
// user folder, the process log written there and its message boxes caught.
class GameProfileTest : public ::testing::Test {
protected:
    explicit GameProfileTest(const std::u16string& profile) : cwd(QUIB_GAME_DATA)
    {
        BeginGameProfile(user.Path(), profile, true);
    }
    ~GameProfileTest() override { EndGameProfile(); }

    TempDir user;
    ScopedWorkingDirectory cwd;
    CapturingSink sink;
};

} // namespace Quib::Testing
