#include "tests/quest/QstCoreTestSupport.h"

#include "framework/files/ProcessLog.h"
#include "framework/files/Singletone.h"
#include "platform/FileNames.h"
#include "platform/TextCodecs.h"
#include "src/GameSettings.h"
#include "src/Profiles.h"
#include "src/UserFolders.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "src/game/quest/QstScene.h"

namespace Quib::Testing {

QstCoreSceneTest::QstCoreSceneTest() : cwd(dir.Path())
{
    SingletoneBase::DestroyAll();
    ClearDirectoryCache();
    ProcessLog::GetInstance()->Open(dir / "log.html");
    SetUserDataFolder(Utf8ToUtf16(dir / "user"));
    dir.WriteFile("res/game.ini", "[Game]\r\nGenerateHintIds=0\r\n[Clusters]\r\nHarbour=Dock, Pier\r\nTown=Square\r\n");
    dir.WriteFile("res/lang.ini", "[Interface]\r\nNoMoreHints=Nothing to do here.\r\n");
    LoadGameSettings();
    Profiles& profiles = Profiles::Instance();
    profiles.AddProfile(u"tester");
    profiles.SelectProfile(u"tester");
}

QstCoreSceneTest::~QstCoreSceneTest()
{
    QstGameControllerScene::Instance().ClearLevels();
    own.clear();
    SingletoneBase::DestroyAll();
    SetUserDataFolder(u".");
}

void QstCoreSceneTest::WriteScene(const std::string& name, const std::string& xml, const std::string& layers)
{
    dir.WriteFile("data/scenes/" + name + ".xml", xml);
    if (!layers.empty())
        dir.WriteFile("data/scenes/" + name + "/layers.ini", "[layers]\r\n" + layers);
    ClearDirectoryCache();
}

QstScene* QstCoreSceneTest::LoadOwn(const std::string& name)
{
    own.push_back(std::make_unique<QstScene>(name));
    own.back()->LoadLevel();
    return own.back().get();
}

QstScene* QstCoreSceneTest::Registry(const std::string& name)
{
    return QstGameControllerScene::Instance().GetOrLoadScene(name);
}

std::vector<std::string> QstCoreSceneTest::BoxTexts() const
{
    std::vector<std::string> texts;
    for (const auto& box : sink.boxes)
        texts.push_back(box.text);
    return texts;
}

int QstCoreSceneTest::LogCount(const std::string& text) const
{
    int n = 0;
    for (const std::string& line : sink.debugLines)
        n += line.find(text) != std::string::npos;
    return n;
}

void QstCoreSceneTest::ClearCaught()
{
    sink.boxes.clear();
    sink.debugLines.clear();
}

std::string QstCoreLayer(const std::string& name, int x, int y, int z)
{
    return name + " = " + std::to_string(x) + " " + std::to_string(y) + " 0 0 0 0 " + std::to_string(z) + "\r\n";
}

} // namespace Quib::Testing
