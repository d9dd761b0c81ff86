#include "src/game/quest/QstPoolItemFly.h"

#include "src/game/GameControllerCommon.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemPictureDraw.h"
#include "src/game/quest/QstItemStateDraw.h"
#include "src/game/quest/QstScene.h"

namespace Quib {

namespace {

QstPoolItemFly::ActionRunner& Runner()
{
    static QstPoolItemFly::ActionRunner runner;
    return runner;
}

// The current scene runs the action; nothing when no scene is active.
void RunInCurrentScene(const std::string& actionName)
{
    if (Runner()) {
        Runner()(actionName);
        return;
    }
    GameControllerCommon* common = GameControllerCommon::Existing();
    auto* scene = common ? dynamic_cast<QstScene*>(common->activeLevel) : nullptr;
    if (scene)
        scene->DoCreateAction(nullptr, actionName, true, true);
}

} // namespace

void QstPoolItemFly::SetActionRunner(ActionRunner runner)
{
    Runner() = std::move(runner);
}

QstPoolItemFly::QstPoolItemFly(QstItem* item, const std::string& stateName, const TPoint<float>& from,
                               const TPoint<float>& to, const std::string& followUp)
    : picture(std::make_unique<QstItemStateDraw>(item)), path(this), followUpAction(followUp), start(from), end(to)
{
    picture->SetState(stateName, true);
    path.Start(from, to);
    picture->x = from.x - picture->w / 2.0f;
    picture->y = from.y - picture->h / 2.0f;
}

QstPoolItemFly::~QstPoolItemFly()
{
    // Completed here, not from the path's teardown, while every member is
    // still alive.
    path.listener = nullptr;
    Arrive();
}

void QstPoolItemFly::Update(float seconds)
{
    path.Step(seconds);
    picture->x = path.position.x - picture->w / 2.0f;
    picture->y = path.position.y - picture->h / 2.0f;
}

void QstPoolItemFly::Draw(Graphics& g)
{
    DrawItemPicture(g, *picture, picture->x, picture->y, 1.0f, transform);
}

void QstPoolItemFly::OnArrived()
{
    Arrive();
}

void QstPoolItemFly::Arrive()
{
    if (mArrivalHandled)
        return;
    mArrivalHandled = true;
    if (!followUpAction.empty())
        RunInCurrentScene(followUpAction);
    if (arrivalCallback) {
        auto callback = std::move(arrivalCallback);
        arrivalCallback = nullptr;
        callback();
    }
    done = true;
}

} // namespace Quib
