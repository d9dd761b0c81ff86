#include "src/screens/PopupAppear.h"

#include "src/screens/DarkBack.h"
#include "src/screens/PopupAnimation.h"

namespace Quib {

bool PopupAppear::Update(Widget& popup)
{
    if (!StepPopupProgress(progress, target) || target != 0.0f)
        return false;
    RemoveAndDeleteWidget(&popup);
    return true;
}

void PopupAppear::Close()
{
    target = 0.0f;
    if (darkBack) {
        darkBack->fadeTarget = 0.0f;
        darkBack->removeWhenFaded = true;
        darkBack = nullptr;
    }
}

} // namespace Quib
