#include "tests/support/TestWidgetApp.h"

namespace Quib::Testing {

TestWidgetApp::TestWidgetApp(int width, int height) : manager(std::make_unique<WidgetManager>(this))
{
    manager->width = width;
    manager->height = height;
    manager->widgetSpaceRect = Rect(0, 0, width, height);
    manager->windowRect = Rect(0, 0, width, height);
    mPrevious = TheWidgetApp();
    SetWidgetApp(this);
}

TestWidgetApp::~TestWidgetApp()
{
    while (deferredDeletes.StepDepth() > 0)
        deferredDeletes.LeaveStep();
    deferredDeletes.Flush();
    manager.reset();
    if (TheWidgetApp() == this)
        SetWidgetApp(mPrevious);
}

bool TestWidgetApp::AppStep(bool* updated)
{
    ++appSteps;
    deferredDeletes.EnterStep();
    const bool running = onAppStep ? onAppStep(*this) : false;
    deferredDeletes.LeaveStep();
    if (updated)
        *updated = lastStepUpdated;
    return running;
}

void TestWidgetApp::CloseDialog(int dialogId)
{
    closedDialogs.push_back(dialogId);
    if (onCloseDialog)
        onCloseDialog(dialogId);
}

} // namespace Quib::Testing
