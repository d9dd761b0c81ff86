#include "src/game/quest/QstEffects.h"

#include "framework/widgets/WidgetManager.h"
#include "src/GameApp.h"
#include "src/game/GameControllerCommon.h"
#include "src/particles/ParticlesRef.h"
#include "src/particles/cGlobalParticles.h"

namespace Quib {

bool StartQuestParticles(const std::string& name, const Point* pos)
{
    cGlobalParticles* particles = cGlobalParticles::Instance();
    if (!particles)
        return false;
    Point at;
    if (pos) {
        at = *pos;
    } else if (GameApp* app = GetGameApp(); app && app->GetWidgetManager()) {
        at = Point(app->GetWidgetManager()->mouseX, app->GetWidgetManager()->mouseY);
    }
    std::unique_ptr<ParticlesRef> ref = particles->NewEffect(name, true);
    if (!ref)
        return false;
    ref->Emit(TPoint<float>(static_cast<float>(at.x), static_cast<float>(at.y)));
    return true; // the handle goes; the effect runs on to its end
}

void AddGameProgress()
{
    if (GameControllerCommon* controller = GameControllerCommon::Existing())
        controller->Player().AddProgressPart();
}

} // namespace Quib
