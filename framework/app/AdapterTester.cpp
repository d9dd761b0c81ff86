#include "framework/app/AdapterTester.h"

#include "framework/app/DDInterface.h"
#include "framework/graphics/SoftwareGraphicsAdapter.h"
#include "platform/Presenter.h"

namespace Quib {

void AdapterTester::RunWithCache(DDInterface& display, Window*)
{
    Presenter* presenter = display.GetPresenter();
    SoftwareGraphicsAdapter software;
    GraphicsAdapter* adapter = presenter ? presenter->Adapter() : nullptr;
    if (!adapter)
        adapter = &software;
    if (presenter) {
        const SurfacePixelFormat screen = presenter->ScreenFormat();
        if (screen.bitCount == 16 || screen.bitCount == 32)
            test.surfaceFormat = screen;
    }
    test.minVideoMemoryMB = minVideoMemoryMB;
    test.recVideoMemoryMB = recVideoMemoryMB;
    test.RunWithCache(adapter);
    failureReason = test.failureReason;
    warning = test.warning;
    freshResult = test.freshResult;
}

} // namespace Quib
