#include "src/screens/PopupAppear.h"

#include "src/screens/DarkBack.h"
#include "src/screens/PopupAnimation.h"

namespace Quib {

bool PopupAppear::Update(Widget& popup)
{
    return StepPopupOrRemove(popup, progress, target);
}

void PopupAppear::Close()
{
    target = 0.0f;
    DismissBackdrop(darkBack);
}

} // namespace Quib
