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

void ClosePopupWithBackdrop(float& target, DarkBack*& backdrop)
{
    target = 0.0f;
    if (backdrop) {
        backdrop->fadeTarget = 0.0f;
        backdrop->removeWhenFaded = true;
        backdrop = nullptr;
    }
}

void PopupAppear::Close()
{
    ClosePopupWithBackdrop(target, darkBack);
}

} // namespace Quib
