#include "src/game/quest/QstActor.h"

#include "framework/files/ProcessLog.h"
#include "src/GameSettings.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/quest/QstBoardHooks.h"
#include "src/game/quest/QstBook.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemState.h"
#include "src/game/quest/QstPoolData.h"
#include "src/game/quest/QstScene.h"
#include "src/game/quest/SBackFromHOGData.h"
#include "src/game/quest/actions/QstActionToHOG.h"
#include "src/game/quest/actions/QstActionToMovie.h"

namespace Quib {

QstActor::QstActor(QstScene* scene) : scene(scene) {}

QstActor::~QstActor() = default;

QstPoolData* QstActor::GetPool()
{
    if (!pool && scene)
        pool = QstGameControllerScene::Instance().GetPoolData(scene->GetClusterName());
    return pool;
}

QstItem* QstActor::ResolveItem(const std::string& ref)
{
    return scene && !ref.empty() ? scene->ResolveItem(ref) : nullptr;
}

QstActionData* QstActor::FindActionData(const std::string& name)
{
    return scene ? scene->FindActionData(name) : nullptr;
}

QstScene* QstActor::SplitSceneRef(std::string& ref)
{
    const size_t colon = ref.find(':');
    if (colon == std::string::npos)
        return scene;
    const std::string sceneName = ref.substr(0, colon);
    ref.erase(0, colon + 1);
    return QstGameControllerScene::Instance().GetOrLoadScene(sceneName);
}

namespace {

// The script's own item when the reference is empty and there is one,
// else the item the reference names.
QstItem* PickItem(QstActor& actor, QstItem* own, const std::string& ref)
{
    if (!ref.empty() || !own)
        return actor.ResolveItem(ref);
    return own;
}

} // namespace

void QstActor::SetItemState(QstItem* own, const std::string& ref, const std::string& state, bool immediately)
{
    if (QstItem* item = PickItem(*this, own, ref))
        item->SetState(state, immediately);
}

void QstActor::UpdatePoolItem(QstItem* own, const std::string& ref)
{
    QstItem* item = PickItem(*this, own, ref);
    if (!item || !scene)
        return;
    // The pool of this scene's cluster, asked by name.
    if (QstPoolData* clusterPool = QstGameControllerScene::Instance().GetPoolData(scene->GetClusterName()))
        clusterPool->UpdateItemPicture(item);
}

void QstActor::AddPopupField(const std::string& ref)
{
    std::string field = ref;
    if (QstScene* target = SplitSceneRef(field))
        target->AddPopupField(field, true);
}

void QstActor::DisablePopupClose(const std::string& ref)
{
    std::string field = ref;
    if (QstScene* target = SplitSceneRef(field))
        target->DisableFieldClose(field);
}

void QstActor::ToPool(QstItem* own, const std::string& ref, const std::string& newState, const std::string& followUp,
                      const std::string& dstRef, bool noFly, const std::string& flyFromRef,
                      const TPoint<float>* flyFromPos)
{
    QstItem* item = PickItem(*this, own, ref);
    if (!item) {
        QUIB_LOG_ERROR("QstActor::ToPool: Item \"%s\" not found", ref);
        return;
    }
    QstItem* destination = dstRef.empty() ? nullptr : ResolveItem(dstRef);
    QstItem* flyFrom = flyFromRef.empty() ? nullptr : ResolveItem(flyFromRef);
    QstPoolData* target = GetPool();
    if (!target) {
        QUIB_LOG_ERROR("QstActor::ToPool: no inventory for item \"%s\"", item->GetName());
        return;
    }
    target->AddItem(item, newState, followUp, destination, noFly, flyFrom, flyFromPos);
}

void QstActor::RemoveFromPool(QstItem* own, const std::string& ref)
{
    QstItem* item = PickItem(*this, own, ref);
    if (!item) {
        QUIB_LOG_ERROR("QstActor::RemoveFromPool: Item \"%s\" not found", ref);
        return;
    }
    if (QstPoolData* target = GetPool())
        target->RemoveItem(item);
}

void QstActor::ToHOG(QstItem* own, const QstActionDataToHOG& data)
{
    const bool skipHog = GetGameIniInt("SkipHOG", "Game", -1, 0) == 1;
    SBackFromHOGData back;
    back.sceneName = scene ? scene->GetSceneName() : std::string();
    back.wonActions = data.winGroupName;
    back.SetItem(own && scene ? scene->GetItem(own->GetName()) : nullptr);
    back.foundItems = data.items;
    back.noToPool = data.noToPool;
    back.hogItem = data.hogItem;
    if (skipHog) {
        if (scene)
            scene->BackFromHOG(back, GetPool());
        return;
    }
    if (QstBoardHooks* hooks = QstBoardHooks::Get())
        hooks->StartHOG(data.sceneName, back);
    else
        QUIB_LOG_ERROR("QstActor::ToHOG: no board for the hidden-object level \"%s\"", data.sceneName);
}

void QstActor::ToMovie(QstItem* own, const QstActionDataToMovie& data)
{
    SMovieReturnData back;
    back.nextScene = data.nextScene;
    back.onDoneGroup = data.onDoneName;
    back.sceneName = scene ? scene->GetSceneName() : std::string();
    back.itemRef = own ? own->GetFullName() : std::string();
    if (QstBoardHooks* hooks = QstBoardHooks::Get())
        hooks->StartMovie(data.movieName, back);
    else
        QUIB_LOG_ERROR("QstActor::ToMovie: no board for the movie \"%s\"", data.movieName);
}

void QstActor::GoToScene(const std::string& sceneName)
{
    if (QstBoardHooks* hooks = QstBoardHooks::Get())
        hooks->GoToScene(sceneName);
    else
        QUIB_LOG_ERROR("QstActor::GoToScene: no board for the scene \"%s\"", sceneName);
}

std::string QstActor::GetItemStateName(const std::string& ref)
{
    QstItem* item = ResolveItem(ref);
    if (!item || !item->GetCurrentState())
        return std::string();
    return item->GetCurrentState()->GetName();
}

bool QstActor::HasItem(const std::string& ref)
{
    return ResolveItem(ref) != nullptr;
}

void QstActor::SetGroupVisible(const std::string& group, bool visible, bool immediately)
{
    if (scene)
        scene->SetGroupVisible(group, visible, immediately);
}

void QstActor::CloseTopPopupField()
{
    if (scene)
        scene->CloseTopPopupField();
}

void QstActor::ShowMessage(const std::u16string& text, float duration)
{
    // The scene on screen shows bubbles; an action of another loaded scene
    // speaks through it too.
    QstScene* target = scene;
    GameControllerCommon* common = GameControllerCommon::Existing();
    QstGameControllerScene* scenes = QstGameControllerScene::Existing();
    if (common && scenes && !common->ActiveLevelName().empty())
        if (QstScene* current = scenes->FindLoadedScene(common->ActiveLevelName()))
            target = current;
    if (target)
        target->ShowMessage(text, duration);
}

void QstActor::AddJournalRecord(const std::string& record)
{
    QstBook::AddRecord(record);
}

} // namespace Quib
