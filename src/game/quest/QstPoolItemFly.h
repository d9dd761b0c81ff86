#pragma once
#include "framework/graphics/DrawTransform.h"
#include "src/game/quest/FlyPath.h"
#include "src/game/quest/FlyToPoolListener.h"
#include "src/game/quest/QstPoolItemExtBase.h"

#include <functional>
#include <memory>
#include <string>

namespace Quib {

class QstItem;
class QstItemStateDraw;

// An item flying from its place in the scene into the inventory strip.
class QstPoolItemFly : public QstPoolItemExtBase, public FlyToPoolListener {
public:
    // Runs a follow-up action by name in the current scene.
    using ActionRunner = std::function<void(const std::string& actionName)>;

    QstPoolItemFly(QstItem* item, const std::string& stateName, const TPoint<float>& from, const TPoint<float>& to,
                   const std::string& followUpAction);
    // A flight that has not arrived is completed: the follow-up action runs
    // (when a scene can run it) and the arrival callback is called.
    ~QstPoolItemFly() override;

    void Draw(Graphics& g) override;
    void Update(float seconds) override;
    void OnArrived() override;
    float Progress() const { return path.Progress(); }

    // The runner used for follow-up actions; by default the scene
    // controller's current scene.
    static void SetActionRunner(ActionRunner runner);

    std::unique_ptr<QstItemStateDraw> picture;
    FlyPath path;
    std::function<void()> arrivalCallback; // the pool marks its entry placed
    std::string followUpAction;
    TPoint<float> start;
    TPoint<float> end;
    DrawTransform transform;

private:
    void Arrive();
    bool mArrivalHandled = false;
};

} // namespace Quib
