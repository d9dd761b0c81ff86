#include "src/game/ispy/ISpyHost.h"

#include "framework/files/ProcessLog.h"
#include "src/game/Scenario.h"
#include "src/game/ispy/ISpy.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "src/game/quest/QstScene.h"
#include "src/game/quest/QstTrashDialog.h"
#include "src/game/quest/SBackFromHOGData.h"
#include "src/screens/DarkBack.h"
#include "src/screens/HintTimer.h"
#include "src/screens/HintWidget.h"

namespace Quib {

bool ISpyHost::GetSceneMusicId(const std::string& sceneName, std::string& musicId)
{
    QstScene* scene = QstGameControllerScene::Instance().GetOrLoadScene(sceneName);
    if (!scene)
        return false;
    musicId = scene->GetClusterName();
    return true;
}

void ISpyHost::BackFromHOG(const SBackFromHOGData& data)
{
    QstGameControllerScene& scenes = QstGameControllerScene::Instance();
    QstScene* scene = scenes.GetOrLoadScene(data.sceneName);
    if (!scene) {
        QUIB_LOG_ERROR("Hidden-object level won, but its scene \"%s\" cannot be had", data.sceneName);
        return;
    }
    scene->BackFromHOG(data, scenes.GetPoolData(scene->GetClusterName()));
}

void ISpyHost::ReturnToScene(const std::string& sceneName) { Scenario::Instance().StartLevel(sceneName); }

void ISpyHost::ShowItemDialog(ISpy& board, const std::string& itemRef)
{
    auto* backdrop = new DarkBack(Delegate(), 0);
    auto* dialog = new QstTrashDialog(backdrop, itemRef, Delegate(&board, &ISpy::OnDialogClosed));
    backdrop->closeDelegate = Delegate(dialog, &QstTrashDialog::Close);
    // Above the help boxes still shown, so its button can be reached.
    backdrop->zOrder = kItemDialogZOrder;
    dialog->zOrder = kItemDialogZOrder;
    board.AttachChild(backdrop);
    board.AttachChild(dialog);
}

void ISpyHost::OpenInGameMenu(ISpy&) { ProcessLog::GetInstance()->LogInfo("Hidden-object board: no in-game menu yet"); }

Widget* ISpyHost::CreateHintWidget(ISpy& board, PsdPicture& interfaceLayout)
{
    ISpy* owner = &board;
    return new HintWidget(
        &GetHintTimer(), [owner] { return owner->RequestHint(); },
        [owner](const std::u16string& text, float seconds) { owner->ShowTooltip(text, seconds); }, interfaceLayout,
        "clock_small");
}

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
