#include "src/game/ispy/ISpyHost.h"

#include "framework/files/ProcessLog.h"
#include "src/game/Scenario.h"
#include "src/game/ispy/HogReturnData.h"

namespace Quib {

bool ISpyHost::GetSceneMusicId(const std::string&, std::string&) { return false; }

void ISpyHost::BackFromHOG(const HogReturnData& data)
{
    ProcessLog::GetInstance()->LogInfo("Hidden-object level won for scene \"%s\" (%s)", data.sceneName,
                                       data.wonAction);
}

void ISpyHost::ReturnToScene(const std::string& sceneName) { Scenario::Instance().StartLevel(sceneName); }

void ISpyHost::ShowItemDialog(ISpy&, const std::string&, std::function<void()> closed)
{
    if (closed)
        closed();
}

void ISpyHost::OpenInGameMenu(ISpy&) {}

void ISpyHost::ShowHogHelp(ISpy&, int, PsdPicture&) {}

Widget* ISpyHost::CreateHintWidget(ISpy&, PsdPicture&) { return nullptr; }

namespace {

ISpyHost*& InstalledHost()
{
    static ISpyHost* host = nullptr;
    return host;
}

} // namespace

ISpyHost& GetISpyHost()
{
    static ISpyHost plain;
    ISpyHost* host = InstalledHost();
    return host ? *host : plain;
}

ISpyHost* SetISpyHost(ISpyHost* host)
{
    ISpyHost* before = InstalledHost();
    InstalledHost() = host;
    return before;
}

} // namespace Quib
