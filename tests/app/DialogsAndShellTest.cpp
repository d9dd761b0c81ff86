#include "framework/app/QuibAppBase.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/MessageSink.h"
#include "platform/headless/CapturingSink.h"
#include "platform/headless/FakeClock.h"
#include "platform/headless/HeadlessUrlOpener.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace Quib {
namespace {

using namespace Testing;

// Counts the modal hooks and the exit requests.
struct ShellApp : QuibAppBase {
    void OnModalDialogOpened() override { ++modalOpened; }
    void OnModalDialogClosed() override { ++modalClosed; }
    void RequestExit() override
    {
        ++exitRequests;
        QuibAppBase::RequestExit();
    }
    int modalOpened = 0;
    int modalClosed = 0;
    int exitRequests = 0;
};

TEST(AppDialogs, OpenFindCountAndClose)
{
    ShellApp app;
    app.appWidth = 1024;
    app.appHeight = 768;
    Dialog* d = app.OpenDialog(7, true, u"Head", u"Body", u"", DIALOG_BUTTONS_YES_NO);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->GetBounds().x, 256);
    EXPECT_EQ(d->GetBounds().y, 153);
    EXPECT_EQ(d->GetBounds().width, 512);
    EXPECT_EQ(app.FindDialog(7), d);
    EXPECT_EQ(app.GetDialogCount(), 1);
    EXPECT_EQ(app.modalOpened, 1);

    // Opening the id again closes the old one first.
    Dialog* again = app.OpenDialog(7, false, u"", u"", u"", DIALOG_BUTTONS_OK_CANCEL);
    EXPECT_NE(again, d);
    EXPECT_TRUE(app.deferredDeletes.Contains(d));
    EXPECT_EQ(app.modalClosed, 1);
    EXPECT_EQ(app.GetDialogCount(), 1);

    EXPECT_FALSE(app.CloseDialog(99, true, true));
    EXPECT_EQ(app.GetDialogCount(), 1);

    // Taken out of the books only: still a widget of the manager, not
    // deleted.
    EXPECT_TRUE(app.CloseDialog(7, false, false));
    EXPECT_EQ(app.FindDialog(7), nullptr);
    EXPECT_TRUE(app.widgetManager->ContainsChild(again));
    EXPECT_FALSE(app.deferredDeletes.Contains(again));
    app.widgetManager->DetachChild(again);
    delete again;

    // Shown under an id of its own and closed by the pointer.
    auto* other = new Dialog(1, false, u"", u"", u"", DIALOG_BUTTONS_FOOTER);
    app.ShowDialog(50, other);
    EXPECT_EQ(app.FindDialog(50), other);
    app.CloseDialog(other);
    EXPECT_EQ(app.FindDialog(50), nullptr);
    EXPECT_TRUE(app.deferredDeletes.Contains(other));
    app.FlushDeferredDeletes();
}

TEST(AppMessageBoxes, GoThroughTheSinkWithPopupState)
{
    CapturingSink sink;
    sink.answers = {IDNO};
    ShellApp app;
    app.windowed = false;
    app.widgetManager->keyTable[0x41] = 1;
    app.ctrlDown = true;
    EXPECT_EQ(app.ShowMessageBoxA("Keep it?", "Question", MB_YESNO), IDNO);
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].text, "Keep it?");
    EXPECT_EQ(sink.boxes[0].style, unsigned(MB_YESNO));
    EXPECT_FALSE(app.popupShown);
    EXPECT_EQ(app.widgetManager->keyTable[0x41], 0);
    EXPECT_FALSE(app.ctrlDown);

    EXPECT_EQ(app.ShowMessageBoxW(u"\u20ac", u"W", MB_OK), IDOK);
    EXPECT_EQ(sink.boxes.back().text, "\x80");

    app.ShowFatalErrorA("broken");
    EXPECT_EQ(sink.boxes.back().caption, "FATAL ERROR");
    EXPECT_EQ(sink.boxes.back().style, unsigned(MB_ICONERROR));
    app.stringTable["FATAL_ERROR"] = u"Oh no";
    app.ShowFatalErrorW(u"broken");
    EXPECT_EQ(sink.boxes.back().caption, "Oh no");

    const size_t shown = sink.boxes.size();
    app.exiting = true;
    app.ShowFatalErrorA("too late");
    EXPECT_EQ(sink.boxes.size(), shown);
}

TEST(AppMessageBoxes, ScreenSaversLogInstead)
{
    CapturingSink sink;
    TempDir dir;
    ScopedWorkingDirectory cwd(dir.Path());
    dir.WriteFile("ScrError.txt", "from an earlier run\n");
    ShellApp app;
    app.screenSaverMode = true;
    EXPECT_EQ(app.ShowMessageBoxA("first", "c", MB_YESNO), IDOK);
    app.ShowFatalErrorW(u"second");
    EXPECT_TRUE(sink.boxes.empty());
    const std::string log = TempDir::ReadFile(dir / "ScrError.txt");
    EXPECT_EQ(log.find("earlier"), std::string::npos);
    const size_t first = log.find("first ");
    const size_t second = log.find("second ");
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(second, std::string::npos);
    EXPECT_LT(first, second);
    // "text HH:MM:SS ticks\n"
    EXPECT_EQ(log[first + 6 + 2], ':');
    EXPECT_EQ(log.back(), '\n');
}

TEST(AppShell, OpeningAWebPage)
{
    HeadlessUrlOpener opener;
    opener.pollsUntilDone = 1000; // the opener keeps running
    ScopedFakeClock clock(1000);
    ShellApp app;
    EXPECT_TRUE(app.OpenUrl("https://example.org/", true));
    EXPECT_TRUE(app.OpenUrl("https://example.org/", true)); // under way: nothing more
    EXPECT_EQ(opener.opened.size(), 1u);
    EXPECT_TRUE(app.urlOpening);

    // Still active after 12 s (and timers not stalled): failed.
    clock.Advance(12001);
    app.CheckUrlOpening(clock.Milliseconds());
    EXPECT_FALSE(app.urlOpening);
    EXPECT_EQ(app.exitRequests, 0);

    // Losing the activation for 8 s is done, and the exit follows.
    EXPECT_TRUE(app.OpenUrl("https://example.org/", true));
    app.active = false;
    clock.Advance(8001);
    app.timerResumeTime = clock.Milliseconds() - 4000; // timers came back 4 s ago: wait
    app.CheckUrlOpening(clock.Milliseconds());
    EXPECT_TRUE(app.urlOpening);
    clock.Advance(1001);
    app.CheckUrlOpening(clock.Milliseconds());
    EXPECT_FALSE(app.urlOpening);
    EXPECT_EQ(app.exitRequests, 1);

    // The opener's own outcome ends it at once.
    ShellApp other;
    opener.pollsUntilDone = 1;
    opener.outcomes = {UrlOpenState::Failed};
    EXPECT_TRUE(other.OpenUrl("https://example.org/b", true));
    other.CheckUrlOpening(clock.Milliseconds());
    EXPECT_FALSE(other.urlOpening);
    EXPECT_EQ(other.exitRequests, 0);
    EXPECT_TRUE(other.OpenUrl("https://example.org/b", true));
    other.CheckUrlOpening(clock.Milliseconds());
    EXPECT_EQ(other.exitRequests, 1); // opened

    // An address no opener may take fails at once.
    ShellApp third;
    EXPECT_FALSE(third.OpenUrl("-rf", false));
    EXPECT_FALSE(third.urlOpening);
}

TEST(AppShell, NoProductVersionOrExtraReport)
{
    QuibAppBase app;
    EXPECT_EQ(app.GetProductVersion("/proc/self/exe"), "");
    EXPECT_EQ(app.GetExtraReportText(), "");
}

} // namespace
} // namespace Quib
