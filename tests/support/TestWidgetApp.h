#pragma once
// An application for widget tests: owns a manager of the given size,
// records cursor refreshes and closed dialogs, and runs a scripted callback
// as its loop step so nested loops can be driven from a test.

#include "framework/widgets/DeferredDeleteQueue.h"
#include "framework/widgets/WidgetApp.h"
#include "framework/widgets/WidgetManager.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Quib::Testing {

class TestWidgetApp : public WidgetApp {
public:
    // Registers itself as the widget application (SetWidgetApp) and gives
    // the manager bounds, widget-space and window rectangles of that size.
    explicit TestWidgetApp(int width = 800, int height = 600);
    // Deletes what is still queued, then the manager; unregisters.
    ~TestWidgetApp() override;

    WidgetManager* GetWidgetManager() override { return manager.get(); }
    int GetCursorNum() const override { return cursorNum; }
    void SetCursorNum(int number) override { cursorNum = number; }
    // Records the cursor number at each refresh.
    void RefreshCursor() override { cursorRefreshes.push_back(cursorNum); }
    // Runs onAppStep (false without one) as one nested step.
    bool AppStep(bool* updated) override;
    // Records the id, then runs onCloseDialog when set.
    void CloseDialog(int dialogId) override;
    DialogListener* GetDialogListener() override { return dialogListener; }
    void QueueDeferredDelete(Widget* widget) override { deferredDeletes.Queue(widget); }
    void CopyToClipboard(const std::string& text) override { clipboard = text; }
    std::string GetClipboardText() override { return clipboard; }
    bool UsesSystemCaret() const override { return systemCaret; }

    // Deletes the queued widgets unless a step is running.
    void FlushDeferredDeletes() { deferredDeletes.Flush(); }

    std::unique_ptr<WidgetManager> manager;
    int cursorNum = 0;
    std::vector<int> cursorRefreshes;
    std::function<bool(TestWidgetApp&)> onAppStep;
    int appSteps = 0;
    bool lastStepUpdated = false; // what AppStep reports through updated
    std::vector<int> closedDialogs;
    std::function<void(int)> onCloseDialog;
    DialogListener* dialogListener = nullptr;
    DeferredDeleteQueue deferredDeletes;
    std::string clipboard;
    bool systemCaret = false;

private:
    WidgetApp* mPrevious = nullptr;
};

} // namespace Quib::Testing
