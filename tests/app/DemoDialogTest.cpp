#include "framework/app/DemoDialog.h"
#include "framework/app/MarkerListBox.h"
#include "framework/app/QuibAppBase.h"
#include "framework/app/RegistryString.h"
#include "framework/graphics/Font.h"
#include "framework/widgets/DialogButton.h"
#include "framework/widgets/EditWidget.h"
#include "framework/widgets/ScrollbarWidget.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/SettingsFile.h"
#include "platform/WindowMessages.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace Quib {
namespace {

using namespace Testing;

// An application whose loop runs scripted steps, one per application
// step, and closes when they are used up.
class ScriptedApp : public QuibAppBase {
public:
    ScriptedApp()
    {
        widgetManager->width = 800;
        widgetManager->height = 600;
        widgetManager->widgetSpaceRect = Rect(0, 0, 800, 600);
        widgetManager->windowRect = Rect(0, 0, 800, 600);
    }

    bool AppStep(bool* updated) override
    {
        if (updated)
            *updated = false;
        if (steps.empty())
            return false;
        deferredDeletes.EnterStep();
        const std::function<void()> step = std::move(steps.front());
        steps.pop_front();
        step();
        deferredDeletes.LeaveStep();
        ++stepsRun;
        return true;
    }

    std::deque<std::function<void()>> steps;
    int stepsRun = 0;
};

struct ProcedureCall {
    int message;
    int control;
    int code;
    bool operator==(const ProcedureCall&) const = default;
};

Point Centre(const Widget& w)
{
    const Point p = w.GetScreenPosition();
    return Point(p.x + w.width / 2, p.y + w.height / 2);
}

class DemoDialogTest : public ::testing::Test {
protected:
    // A procedure recording its calls and handing the dialog to `onCall`.
    DemoDialog::Procedure Recorder(std::function<void(DemoDialog&, const ProcedureCall&)> onCall)
    {
        return [this, onCall](DemoDialog& d, int message, int control, int code) {
            dialog = &d;
            calls.push_back({message, control, code});
            onCall(d, calls.back());
        };
    }
    void Click(const Point& p, ClickCode code)
    {
        WidgetManager& wm = *app.widgetManager;
        wm.HandleMouseMove(p.x, p.y);
        wm.HandleMouseDown(p.x, p.y, code);
        wm.HandleMouseUp(p.x, p.y, code);
    }

    ScriptedApp app;
    DemoDialog* dialog = nullptr;
    std::vector<ProcedureCall> calls;
};

TEST_F(DemoDialogTest, JumpToTimeTakesTheTypedTextOnEnter)
{
    std::u16string entered;
    app.steps.push_back([&] { app.widgetManager->HandleKeyChar(u'2'); });
    app.steps.push_back([&] { app.widgetManager->HandleKeyChar(u':'); });
    app.steps.push_back([&] { app.widgetManager->HandleKeyDown(VK_RETURN); });
    const int result = ShowJumpToTimeDialog(app, Recorder([&](DemoDialog& d, const ProcedureCall& call) {
                                                if (call.message == DEMO_DIALOG_INIT) {
                                                    d.SetItemText(DEMO_ID_ITEM, u"1:30");
                                                    d.SelectItemText(DEMO_ID_ITEM);
                                                } else if (call.control == DEMO_ID_OK) {
                                                    entered = d.GetItemText(DEMO_ID_ITEM, 500);
                                                    d.EndDialog(DEMO_ID_OK);
                                                }
                                            }));
    EXPECT_EQ(result, DEMO_ID_OK);
    EXPECT_EQ(entered, u"2:"); // the selected text was replaced
    EXPECT_EQ(calls, (std::vector<ProcedureCall>{{DEMO_DIALOG_INIT, 0, 0}, {DEMO_DIALOG_COMMAND, DEMO_ID_OK, 0}}));
    EXPECT_EQ(app.stepsRun, 3);
    EXPECT_TRUE(app.dialogMap.empty()); // closed
}

TEST_F(DemoDialogTest, JumpToTimeIsLaidOutInDialogUnitsAndItsButtonsAnswer)
{
    Rect okBounds, cancelBounds, editBounds, bounds;
    app.steps.push_back([&] {
        bounds = dialog->GetBounds();
        okBounds = dialog->yesButton->GetBounds();
        cancelBounds = dialog->noButton->GetBounds();
        editBounds = dialog->edit->GetBounds();
        Click(Centre(*dialog->noButton), CLICK_LEFT);
    });
    const int result = ShowJumpToTimeDialog(app, Recorder([](DemoDialog& d, const ProcedureCall& call) {
                                                if (call.message == DEMO_DIALOG_COMMAND)
                                                    d.EndDialog(call.control * 10);
                                            }));
    EXPECT_EQ(result, DEMO_ID_CANCEL * 10);
    EXPECT_EQ(calls.back(), (ProcedureCall{DEMO_DIALOG_COMMAND, DEMO_ID_CANCEL, 0}));
    ASSERT_NE(dialog, nullptr);
    // 4 horizontal and 8 vertical units per base unit of the font.
    const DemoDialog units(DemoDialog::JUMP_TO_TIME, nullptr);
    const int bx = units.baseUnitX;
    const int by = units.baseUnitY;
    EXPECT_EQ(Point(bounds.x, bounds.y), Point(10 * bx / 4, 10 * by / 8));
    EXPECT_EQ(editBounds.width, 190 * bx / 4);
    EXPECT_EQ(editBounds.height, 15 * by / 8);
    EXPECT_EQ(okBounds.width, 60 * bx / 4);
    EXPECT_EQ(cancelBounds.x - okBounds.x, 100 * bx / 4 - 30 * bx / 4);
    EXPECT_EQ(cancelBounds.y, okBounds.y);
    EXPECT_EQ(dialog->yesButton->label, u"Ok");
    EXPECT_EQ(dialog->noButton->label, u"Cancel");
    EXPECT_EQ(dialog->header, u"Jump To Time");
}

TEST_F(DemoDialogTest, WithoutAProcedureOkAndEscapeEndTheDialog)
{
    app.steps.push_back([&] { app.widgetManager->HandleKeyDown(VK_ESCAPE); });
    EXPECT_EQ(ShowJumpToTimeDialog(app, nullptr), DEMO_ID_CANCEL);
    app.steps.push_back([&] {
        DemoDialog* d = static_cast<DemoDialog*>(app.dialogMap.at(DemoDialog::kJumpToTimeDialogId));
        Click(Centre(*d->yesButton), CLICK_LEFT);
    });
    EXPECT_EQ(ShowJumpToTimeDialog(app, nullptr), DEMO_ID_OK);
}

TEST_F(DemoDialogTest, ADialogTheApplicationLeavesGivesMinusOne)
{
    EXPECT_EQ(ShowMarkerListDialog(app, nullptr), -1);
    EXPECT_TRUE(app.dialogMap.empty());
}

TEST_F(DemoDialogTest, MarkerListReportsTheLineDoubleClicked)
{
    int64_t target = -1;
    app.steps.push_back([&] {
        MarkerListBox& list = *dialog->list;
        const Point origin = list.GetScreenPosition();
        const int lineHeight = list.GetFont().Height();
        Click(Point(origin.x + 20, origin.y + lineHeight + lineHeight / 2), CLICK_LEFT); // selects only
    });
    app.steps.push_back([&] {
        MarkerListBox& list = *dialog->list;
        const Point origin = list.GetScreenPosition();
        const int lineHeight = list.GetFont().Height();
        Click(Point(origin.x + 20, origin.y + 2 * lineHeight + 1), CLICK_LEFT_DOUBLE);
    });
    const int result = ShowMarkerListDialog(
        app, Recorder([&](DemoDialog& d, const ProcedureCall& call) {
            if (call.message == DEMO_DIALOG_INIT) {
                d.AddListLine(DEMO_ID_ITEM, u"start (00:10:00)", 100);
                d.AddListLine(DEMO_ID_ITEM, u"middle (00:05:00)", 30100);
                d.AddListLine(DEMO_ID_ITEM, u"a marker with a name far too long for the list (00:01:00)", 54100);
            } else if (call.control == DEMO_ID_ITEM && call.code == DEMO_NOTIFY_DOUBLE_CLICK) {
                target = d.GetListData(DEMO_ID_ITEM, d.GetListSelection(DEMO_ID_ITEM));
                d.EndDialog(DEMO_ID_OK);
            }
        }));
    EXPECT_EQ(result, DEMO_ID_OK);
    EXPECT_EQ(target, 54100);
    EXPECT_EQ(calls.size(), 2u); // the single click told nothing
    ASSERT_NE(dialog, nullptr);
}

TEST_F(DemoDialogTest, MarkerListScrollsToItsWidestLineAndLastLine)
{
    MarkerListBox* list = nullptr;
    int extent = 0, width = 0, lines = 0;
    bool vertical = false, horizontal = false;
    app.steps.push_back([&] {
        list = dialog->list.get();
        extent = list->extent;
        width = list->width;
        lines = int(list->lines.size());
        vertical = list->verticalBar->visible;
        horizontal = list->horizontalBar->visible;
        app.widgetManager->HandleKeyDown(VK_ESCAPE);
    });
    const int result = ShowMarkerListDialog(app, Recorder([&](DemoDialog& d, const ProcedureCall& call) {
                                                if (call.message == DEMO_DIALOG_INIT) {
                                                    for (int i = 0; i < 200; ++i)
                                                        d.AddListLine(DEMO_ID_ITEM,
                                                                      std::u16string(i == 50 ? 120 : 5, u'W'), i);
                                                } else if (call.control == DEMO_ID_CANCEL) {
                                                    d.EndDialog(DEMO_ID_CANCEL);
                                                }
                                            }));
    EXPECT_EQ(result, DEMO_ID_CANCEL);
    EXPECT_EQ(lines, 200);
    EXPECT_GT(extent, width);
    EXPECT_TRUE(vertical);
    EXPECT_TRUE(horizontal);
}

TEST(RegistryWriteString, WritesTheTextAsAStringValue)
{
    TempDir dir;
    SettingsFile settings(dir / "key.settings");
    EXPECT_TRUE(RegistryWriteString(settings, "DemoJumpTime", "1:30"));
    EXPECT_TRUE(RegistryWriteString(settings, "Test3D\\RuntimeError", "DrawPrimitive: DDERR_GENERIC"));
    SettingsFile reread(dir / "key.settings");
    std::string text;
    ASSERT_TRUE(reread.ReadString("DemoJumpTime", text));
    EXPECT_EQ(text, "1:30");
    ASSERT_TRUE(reread.ReadString("Test3D\\RuntimeError", text));
    EXPECT_EQ(text, "DrawPrimitive: DDERR_GENERIC");

    // Through a write function: the bytes and their count, as REG_SZ.
    std::vector<std::string> writes;
    const RegistryWriteFunction write = [&](std::string_view name, uint32_t type, const void* data, size_t size) {
        writes.push_back(std::string(name) + "/" + std::to_string(type) + "/" +
                         std::string(static_cast<const char*>(data), size));
        return name != "refused";
    };
    EXPECT_TRUE(RegistryWriteString(write, "A", "xyz"));
    EXPECT_FALSE(RegistryWriteString(write, "refused", ""));
    EXPECT_FALSE(RegistryWriteString(RegistryWriteFunction(), "A", "x"));
    EXPECT_EQ(writes, (std::vector<std::string>{"A/1/xyz", "refused/1/"}));
}

} // namespace
} // namespace Quib
