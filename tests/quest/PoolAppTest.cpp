// The inventory widget, the journal and the trash dialog inside a running
// headless application: attached to and detached from the widget manager,
// and closing and deleting themselves through the application's steps.
#include "framework/widgets/WidgetManager.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/PlayerInfo.h"
#include "src/game/quest/QstBook.h"
#include "src/game/quest/QstBookRecord.h"
#include "src/game/quest/QstPoolData.h"
#include "src/game/quest/QstPoolExtBoard.h"
#include "src/game/quest/QstPoolWidget.h"
#include "src/game/quest/QstTrashDialog.h"
#include "src/screens/DarkBack.h"
#include "tests/quest/PoolTestSupport.h"
#include "tests/support/AppTestSupport.h"

#include <gtest/gtest.h>

namespace Quib::Testing {
namespace {

struct PoolAppDone {
    void Done() { ++calls; }
    int calls = 0;
};

class PoolAppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        app.Initialize();
        ASSERT_TRUE(env.fatalExits.empty());
        app.inMainLoop = true;
        GameControllerCommon::Instance().Player().notebook.clear();
    }
    void TearDown() override { GameControllerCommon::Instance().Player().notebook.clear(); }
    void RunUpdates(int n)
    {
        const int end = app.updateCount + n;
        for (int steps = 0; app.updateCount < end && steps < 1000000; ++steps)
            app.AppStep(nullptr);
        ASSERT_EQ(app.updateCount, end);
    }
    bool OnScreen(Widget* widget) const { return app.widgetManager->ContainsChild(widget); }

    HeadlessAppEnvironment env;
    TestApp app;
};

TEST_F(PoolAppTest, InventoryWidgetBringsItsBoardAlong)
{
    StripLayout layout;
    QstPoolData pool;
    pool.layout = &layout.picture;
    pool.LoadLayout();
    auto* widget = new QstPoolWidget(&pool);
    app.widgetManager->AttachChild(widget);
    EXPECT_TRUE(OnScreen(widget->board.get()));
    EXPECT_EQ(widget->x, StripLayout::kStripX);
    RunUpdates(3);
    app.widgetManager->DetachChild(widget);
    EXPECT_FALSE(OnScreen(widget->board.get()));
    delete widget;
    RunUpdates(1);
}

TEST_F(PoolAppTest, JournalClosesWithItsBackdropAndKeepsItsPage)
{
    QstBook::AddRecordTo("harbour", "1");
    QstBook::AddRecordTo("harbour", "2");
    QstBook::AddRecordTo("harbour", "3");
    PsdPicture layout;
    layout.layers.push_back(MakeOpaqueLayer("frame", 100, 50, 700, 500));
    layout.layers.push_back(MakeOpaqueLayer("buttons/close/close_in", 400, 500, 100, 30));
    layout.layers.push_back(MakeOpaqueLayer("buttons/close/close_ac", 400, 500, 100, 30));
    auto* back = new DarkBack(Delegate(), 0);
    auto* book = new QstBook("harbour", back, &layout);
    back->closeDelegate = Delegate(book, &QstBook::Close);
    app.widgetManager->AttachChild(back);
    app.widgetManager->AttachChild(book);
    EXPECT_EQ(book->zOrder, 100);
    RunUpdates(34);
    EXPECT_EQ(book->progress, 1.0f);
    book->ButtonDepress(1);
    book->ButtonDepress(0);
    RunUpdates(40);
    EXPECT_FALSE(OnScreen(book));
    EXPECT_FALSE(OnScreen(back));
    QstBookRecord record;
    record.Read(*GetJournalEntry("harbour"));
    EXPECT_EQ(record.page, 0);
    EXPECT_FALSE(record.isNew);
}

TEST_F(PoolAppTest, TrashDialogReportsOnceAndLeaves)
{
    auto* layout = new PsdPicture;
    layout->layers.push_back(MakeOpaqueLayer("back", 300, 150, 400, 360));
    layout->layers.push_back(MakeOpaqueLayer("bottom", 300, 500, 400, 70));
    layout->layers.push_back(MakeOpaqueLayer("close/close_in", 415, 520, 170, 44));
    layout->layers.push_back(MakeOpaqueLayer("close/close_ac", 415, 520, 170, 44));
    PoolAppDone done;
    auto* back = new DarkBack(Delegate(), 0);
    auto* dialog = new QstTrashDialog(back, "nowhere:thing", Delegate(&done, &PoolAppDone::Done), layout);
    back->closeDelegate = Delegate(dialog, &QstTrashDialog::Close);
    app.widgetManager->AttachChild(back);
    app.widgetManager->AttachChild(dialog);
    RunUpdates(34);
    // A click on the backdrop closes the dialog.
    app.widgetManager->HandleMouseMove(5, 5);
    app.widgetManager->HandleMouseDown(5, 5, CLICK_LEFT);
    app.widgetManager->HandleMouseUp(5, 5, CLICK_LEFT);
    RunUpdates(40);
    EXPECT_EQ(done.calls, 1);
    EXPECT_FALSE(OnScreen(dialog));
    EXPECT_FALSE(OnScreen(back));
}

} // namespace
} // namespace Quib::Testing
