#include "src/screens/ScreenModeTester.h"

namespace Quib {

ScreenModeTester::ScreenModeTester(std::function<void(bool)> onChanged)
    : Dialog(kDialogId, false, u"", u"", u"", 0), changed(std::move(onChanged))
{
    mouseVisible = false;
}

void ScreenModeTester::OnScreenModeChanged(bool windowed)
{
    if (changed)
        changed(windowed);
}

} // namespace Quib
