// The trash dialog and the mini-game help dialog: laid out from their
// layout, they fade out when closed and then report back once.
#include "src/game/quest/QstTrashDialog.h"
#include "src/game/quest/QstTutorDialog.h"
#include "tests/quest/PoolTestSupport.h"

#include <gtest/gtest.h>

namespace Quib::Testing {
namespace {

PsdPicture* MakeTrashLayout()
{
    auto* layout = new PsdPicture;
    layout->layers.push_back(MakeOpaqueLayer("dark", 0, 0, 1024, 768));
    layout->layers.push_back(MakeOpaqueLayer("back", 300, 150, 400, 360));
    layout->layers.push_back(MakeOpaqueLayer("bottom", 300, 500, 400, 70));
    layout->layers.push_back(MakeOpaqueLayer("placeholders/item", 420, 190, 160, 160));
    layout->layers.push_back(MakeOpaqueLayer("placeholders/text", 340, 370, 320, 90));
    layout->layers.push_back(MakeOpaqueLayer("close/close_in", 415, 520, 170, 44));
    layout->layers.push_back(MakeOpaqueLayer("close/close_ac", 415, 520, 170, 44));
    return layout;
}

struct DoneCounter {
    void Done() { ++calls; }
    int calls = 0;
};

class TrashDialogTest : public ::testing::Test {
protected:
    TrashDialogTest()
        : texts(u"[Interface]\r\nTrashDialog=You found %s, 100%%!\r\n"
                u"[TrashDialog]\r\nnowhere:ghost_pool=a ghost\r\n[Tutor]\r\nsafe=Turn the dial.\r\n")
    {
    }

    PoolLogCapture log;
    PoolTextsScope texts;
    DoneCounter counter;
};

TEST_F(TrashDialogTest, DialogWithoutItsItemStillClosesAndReportsOnce)
{
    auto* dialog = new QstTrashDialog(nullptr, "nowhere:ghost", Delegate(&counter, &DoneCounter::Done),
                                      MakeTrashLayout());
    EXPECT_TRUE(log.Contains("Trash dialog: item \"nowhere:ghost\" not found"));
    EXPECT_EQ(dialog->fly, nullptr);
    EXPECT_EQ(dialog->text, u"You found a ghost, 100%!");
    EXPECT_EQ(dialog->x, 300);
    EXPECT_EQ(dialog->height, 420);
    EXPECT_EQ(dialog->textRect.x, 40);
    EXPECT_FALSE(dialog->layout->FindLayer("dark")->drawn);
    EXPECT_FALSE(dialog->layout->FindLayer("placeholders/item")->drawn);
    for (int i = 0; i < 40; ++i)
        dialog->Update();
    EXPECT_EQ(dialog->progress, 1.0f);
    EXPECT_EQ(counter.calls, 0);
    dialog->ButtonDepress(0);
    for (int i = 0; i < 40; ++i)
        dialog->Update();
    EXPECT_EQ(counter.calls, 1);
    EXPECT_TRUE(dialog->finished);
    delete dialog; // no application to delete it later
}

TEST_F(TrashDialogTest, HelpDialogShowsItsTextAndCallsBackWhenFaded)
{
    auto* dialog = new QstTutorDialog(nullptr, "safe", false, MakeTrashLayout());
    dialog->closeDelegate = Delegate(&counter, &DoneCounter::Done);
    EXPECT_EQ(dialog->text, u"Turn the dial.");
    for (int i = 0; i < 40; ++i)
        dialog->Update();
    dialog->ButtonDepress(1);
    dialog->Update();
    EXPECT_EQ(dialog->alpha, 1.0f);
    dialog->ButtonDepress(0);
    for (int i = 0; i < 40; ++i)
        dialog->Update();
    EXPECT_EQ(counter.calls, 1);
    delete dialog;
}

} // namespace
} // namespace Quib::Testing
