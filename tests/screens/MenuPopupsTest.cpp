// The menu popups over the generated layouts: the name-entry dialog typed
// into, the profile screen's create, rename, delete and close paths, the
// options popup, the exit confirmation and the credits board.
#include "framework/app/QuibAppBase.h"
#include "framework/files/Singletone.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SysFont.h"
#include "framework/widgets/WidgetFlags.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/TextCodecs.h"
#include "src/GameResources.h"
#include "src/Profiles.h"
#include "src/UserFolders.h"
#include "src/game/quest/PsdPicture.h"
#include "src/screens/AboutScreen.h"
#include "src/screens/DarkBack.h"
#include "src/screens/ExitScreen.h"
#include "src/screens/Options.h"
#include "src/screens/ProfileScreen.h"
#include "src/screens/ScaleButton.h"
#include "src/screens/ScaleSlider.h"
#include "src/screens/ScreenModeTester.h"
#include "src/screens/TGameButton.h"
#include "src/screens/TPsdEditDialog.h"
#include "src/screens/TProfileItem.h"
#include "tests/support/AppTestSupport.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDisplays.h"

#include <gtest/gtest.h>

#include <deque>
#include <initializer_list>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace Quib::MenuPopupsTests {
namespace {

using namespace Testing;

constexpr int kEnter = 13;
constexpr int kEscape = 27;

// The widget's centre in screen coordinates.
Point ScreenCentre(Widget& widget)
{
    int sx = widget.width / 2;
    int sy = widget.height / 2;
    for (WidgetContainer* w = &widget; w; w = w->parent) {
        if (auto* asWidget = dynamic_cast<Widget*>(w)) {
            sx += asWidget->x;
            sy += asWidget->y;
        }
    }
    return Point(sx, sy);
}

void ClickAt(WidgetManager& manager, Point p, ClickCode code = CLICK_LEFT)
{
    manager.HandleMouseMove(p.x, p.y);
    manager.HandleMouseDown(p.x, p.y, code);
    manager.HandleMouseUp(p.x, p.y, code);
}

void Type(WidgetManager& manager, const std::u16string& text)
{
    for (char16_t ch : text)
        manager.HandleKeyChar(ch);
}

// An application with a display working in the generated data, profiles in
// a scratch folder, and real fonts for the texts.
class MenuPopupsTest : public ::testing::Test {
protected:
    MenuPopupsTest() : cwd(QUIB_GAME_DATA)
    {
        MakeTestDisplay(app, kDisplayLayouts[0]);
        app.appWidth = 1024;
        app.appHeight = 768;
        app.widgetManager->width = 1024;
        app.widgetManager->height = 768;
        const std::string path = users.Path();
        SetUserDataFolder(std::u16string(path.begin(), path.end()));
        saved = {FONT_HEAD, FONT_TEXT, FONT_TEXT_BOLD, FONT_BUTTON};
        FONT_HEAD = &head;
        FONT_TEXT = &text;
        FONT_TEXT_BOLD = &bold;
        FONT_BUTTON = &bold;
    }
    ~MenuPopupsTest() override
    {
        app.widgetManager->DetachAllChildren(true, false);
        FONT_HEAD = saved[0];
        FONT_TEXT = saved[1];
        FONT_TEXT_BOLD = saved[2];
        FONT_BUTTON = saved[3];
        SingletoneBase::DestroyAll();
    }

    // Updates the whole tree n times and lets the deferred deletions run.
    void Updates(int n)
    {
        for (int i = 0; i < n; ++i) {
            app.widgetManager->UpdateFrame();
            app.ProcessDeferredDeletes();
        }
    }

    template <class W>
    bool InTree(W* widget)
    {
        for (Widget* child : app.widgetManager->children)
            if (child == widget)
                return true;
        return false;
    }

    struct FreshSingletons {
        FreshSingletons() { SingletoneBase::DestroyAll(); }
    } fresh;
    QuibAppBase app;
    TempDir users;
    ScopedWorkingDirectory cwd;
    SysFont head{"DejaVu Serif", 26, true, false, false};
    SysFont text{"DejaVu Sans", 16, false, false, false};
    SysFont bold{"DejaVu Sans", 16, true, false, false};
    std::vector<Font*> saved;
};

// ---- The name-entry dialog ----

TEST_F(MenuPopupsTest, NameFieldRefusesSpacesAndAnEleventhCharacterAndHidesOkWhileEmpty)
{
    std::u16string name = u"Old";
    auto* dialog = new TPsdEditDialog("ProfDlgRenameOk", "ProfDlgRenameCancel", "ProfDlgRenameText", &name, true);
    app.widgetManager->AttachChild(dialog);
    ASSERT_NE(dialog->edit, nullptr);
    EXPECT_EQ(dialog->edit->text, u"Old");
    EXPECT_TRUE(dialog->okButton->visible);
    struct Case {
        std::u16string text;
        bool accepted;
        bool okShown;
    };
    const Case cases[] = {
        {u"", true, false},         {u"Anna", true, true},        {u"An na", false, true},
        {u"ABCDEFGHIJ", true, true}, {u"ABCDEFGHIJK", false, true}, {u" ", false, true},
    };
    for (const Case& c : cases) {
        const std::u16string before = name;
        const bool okBefore = dialog->okButton->visible;
        EXPECT_EQ(dialog->AllowText(0, c.text), c.accepted) << std::string(c.text.begin(), c.text.end());
        EXPECT_EQ(name, c.accepted ? c.text : before);
        EXPECT_EQ(dialog->okButton->visible, c.accepted ? c.okShown : okBefore);
        EXPECT_EQ(dialog->okButton->disabled, !dialog->okButton->visible);
        EXPECT_EQ(dialog->layout->FindLayer("left_button")->drawn, dialog->okButton->visible);
    }
    delete dialog;
}

TEST_F(MenuPopupsTest, TypedNameReachesTheCallerAndEnterAnswersOk)
{
    std::u16string name;
    auto* dialog = new TPsdEditDialog("ProfDlgCreateOk", "ProfDlgCreateCancel", "ProfDlgCreateText", &name, false);
    app.widgetManager->AttachChild(dialog);
    EXPECT_EQ(app.widgetManager->focusWidget, dialog->edit);
    // Enter with an empty name does nothing: OK is hidden.
    app.widgetManager->HandleKeyDown(kEnter);
    EXPECT_EQ(dialog->result, DIALOG_NO_RESULT);
    Type(*app.widgetManager, u"Mia Lou"); // the space is refused
    EXPECT_EQ(name, u"MiaLou");
    EXPECT_EQ(dialog->edit->text, u"MiaLou");
    // Escape without a cancel button does nothing either.
    app.widgetManager->HandleKeyDown(kEscape);
    EXPECT_EQ(dialog->result, DIALOG_NO_RESULT);
    app.widgetManager->HandleKeyDown(kEnter);
    EXPECT_EQ(dialog->result, TPsdEditDialog::kOk);
    delete dialog;
}

TEST_F(MenuPopupsTest, ANoticeCentresItsOnlyButtonAndIgnoresRightClicks)
{
    auto* both = new TPsdEditDialog("ProfDlgDeleteYes", "ProfDlgDeleteNo", "ProfDlgDeleteText", nullptr, true);
    auto* notice = new TPsdEditDialog("ProfDlgExistsOk", "", "ProfDlgExistsText", nullptr, false);
    ASSERT_NE(both->cancelButton, nullptr);
    EXPECT_EQ(notice->cancelButton, nullptr);
    EXPECT_EQ(notice->edit, nullptr);
    EXPECT_FALSE(notice->layout->FindLayer("right_button")->drawn);
    EXPECT_FALSE(notice->layout->FindLayer("profile_bar")->drawn);
    EXPECT_TRUE(both->layout->FindLayer("right_button")->drawn);
    // Halfway between the two places of the two-button dialog.
    const int middle = (both->okButton->x + both->cancelButton->x + both->cancelButton->width) / 2;
    EXPECT_NEAR(notice->okButton->x + notice->okButton->width / 2, middle, 1);
    app.widgetManager->AttachChild(notice);
    ClickAt(*app.widgetManager, ScreenCentre(*notice->okButton), CLICK_RIGHT);
    EXPECT_EQ(notice->result, DIALOG_NO_RESULT);
    ClickAt(*app.widgetManager, ScreenCentre(*notice->okButton));
    EXPECT_EQ(notice->result, TPsdEditDialog::kOk);
    delete notice;
    // Escape cancels where there is a cancel button.
    app.widgetManager->AttachChild(both);
    both->AllowKey(0, kEscape);
    EXPECT_EQ(both->result, TPsdEditDialog::kCancel);
    delete both;
}

// ---- The profile screen ----

// A script of answers: each question is answered by typing the text (when
// the dialog has a name field) and pressing Enter, or by Escape.
struct Answer {
    std::string messageKey; // the question expected
    std::u16string typed;
    bool ok = true;
};

class ProfileScreenTest : public MenuPopupsTest {
protected:
    ProfileScreen* Open(bool createMode = false)
    {
        back = new DarkBack(Delegate(), 0);
        screen = new ProfileScreen([this](const std::u16string& n) { delegateNames.push_back(n); }, back);
        if (createMode)
            screen->EnterCreateMode();
        back->closeDelegate = Delegate(screen, &ProfileScreen::Close);
        screen->ask = [this](const std::string& okKey, const std::string& cancelKey, const std::string& messageKey,
                             std::u16string* name, bool showCancel) {
            asked.push_back(messageKey + (showCancel ? "+cancel" : ""));
            auto dialog = std::make_unique<TPsdEditDialog>(okKey, cancelKey, messageKey, name, showCancel);
            app.widgetManager->AttachChild(dialog.get());
            if (answers.empty() || answers.front().messageKey != messageKey) {
                ADD_FAILURE() << "unexpected question " << messageKey;
                return int(TPsdEditDialog::kCancel);
            }
            const Answer a = answers.front();
            answers.pop_front();
            if (dialog->edit) {
                // Clear what is there, then type.
                dialog->edit->SetText(u"", true);
                Type(*app.widgetManager, a.typed);
            }
            if (dialog->edit) {
                app.widgetManager->HandleKeyDown(a.ok ? kEnter : kEscape);
            } else {
                // Without a name field the keys are not the dialog's: click.
                TGameButton* button = a.ok || !dialog->cancelButton ? dialog->okButton : dialog->cancelButton;
                ClickAt(*app.widgetManager, ScreenCentre(*button));
            }
            return int(dialog->result);
        };
        app.widgetManager->AttachChild(back);
        app.widgetManager->AttachChild(screen);
        return screen;
    }
    // The profiles made, one of them current, the screen open and faded in.
    void OpenWith(std::initializer_list<const char16_t*> names, const char16_t* current)
    {
        Profiles& profiles = Profiles::Instance();
        for (const char16_t* n : names)
            ASSERT_TRUE(profiles.AddProfile(n)) << Utf16ToUtf8(n);
        profiles.SelectProfile(current);
        Open();
        Updates(40);
    }
    // Runs until the screen has gone (or n updates).
    void RunUntilClosed(int n = 200)
    {
        for (int i = 0; i < n && InTree(screen); ++i)
            Updates(1);
    }

    DarkBack* back = nullptr;
    ProfileScreen* screen = nullptr;
    std::vector<std::u16string> delegateNames;
    std::vector<std::string> asked;
    std::deque<Answer> answers;
};

TEST_F(ProfileScreenTest, WithoutProfilesANameIsAskedAtOnceTypedAndMadeCurrent)
{
    Profiles& profiles = Profiles::Instance();
    ASSERT_TRUE(profiles.HasNoProfiles());
    answers = {{"ProfDlgCreateText", u"Mia"}};
    Open(true);
    Updates(33); // opening: no question yet
    EXPECT_TRUE(asked.empty());
    Updates(3);
    EXPECT_EQ(asked, (std::vector<std::string>{"ProfDlgCreateText"})); // no cancel without a profile
    RunUntilClosed();
    EXPECT_FALSE(InTree(screen));
    EXPECT_EQ(delegateNames, (std::vector<std::u16string>{u"Mia"}));
    EXPECT_EQ(profiles.CurrentName(), u"Mia");
    EXPECT_TRUE(profiles.HasProfile(u"Mia"));
}

TEST_F(ProfileScreenTest, CreateRefusesATakenNameAndASixthProfile)
{
    Profiles& profiles = Profiles::Instance();
    ASSERT_NO_FATAL_FAILURE(OpenWith({u"Ann", u"Bob"}, u"Ann"));
    answers = {{"ProfDlgCreateText", u"Bob"}, {"ProfDlgExistsText", u""}};
    screen->ButtonPress(ProfileScreen::kCreate);
    EXPECT_EQ(asked, (std::vector<std::string>{"ProfDlgCreateText+cancel", "ProfDlgExistsText"}));
    EXPECT_EQ(profiles.CopyKeysToVector().size(), 2u);
    EXPECT_FALSE(screen->closeRequest);
    for (const char16_t* n : {u"Cy", u"Di", u"Ed"})
        ASSERT_TRUE(profiles.AddProfile(n));
    asked.clear();
    answers = {{"ProfDlgNoMoreText", u""}};
    screen->ButtonPress(ProfileScreen::kCreate);
    EXPECT_EQ(asked, (std::vector<std::string>{"ProfDlgNoMoreText"}));
    EXPECT_EQ(profiles.CopyKeysToVector().size(), 5u);
}

TEST_F(ProfileScreenTest, RenameKeepsTheProfileCurrentAndBackHandsTheNewNameToTheMenu)
{
    Profiles& profiles = Profiles::Instance();
    ASSERT_NO_FATAL_FAILURE(OpenWith({u"Ann", u"Bob"}, u"Bob"));
    EXPECT_EQ(screen->items[1]->name, u"Bob");
    EXPECT_TRUE(screen->items[1]->selected);
    EXPECT_FALSE(screen->items[0]->selected);
    EXPECT_TRUE(screen->items[2]->name.empty());
    answers = {{"ProfDlgRenameText", u"Carla"}};
    screen->ButtonPress(ProfileScreen::kRename);
    EXPECT_TRUE(profiles.HasProfile(u"Carla"));
    EXPECT_FALSE(profiles.HasProfile(u"Bob"));
    EXPECT_EQ(profiles.CurrentName(), u"Carla");
    EXPECT_EQ(screen->startingName, u"Carla");
    EXPECT_TRUE(delegateNames.empty()); // the menu learns it on Back
    app.widgetManager->HandleKeyDown(kEscape); // Escape is Back
    RunUntilClosed();
    EXPECT_EQ(delegateNames, (std::vector<std::u16string>{u"Carla"}));
    EXPECT_EQ(profiles.CurrentName(), u"Carla");
}

TEST_F(ProfileScreenTest, ClickingASlotChoosesItAndDeletingTheLastProfileAsksForANewOne)
{
    Profiles& profiles = Profiles::Instance();
    ASSERT_NO_FATAL_FAILURE(OpenWith({u"Ann", u"Bob"}, u"Ann"));
    // An empty slot ignores the click.
    ClickAt(*app.widgetManager, ScreenCentre(*screen->items[3]));
    EXPECT_EQ(screen->chosenName, u"Ann");
    ClickAt(*app.widgetManager, ScreenCentre(*screen->items[1]));
    EXPECT_EQ(screen->chosenName, u"Bob");
    EXPECT_TRUE(screen->items[1]->selected);
    EXPECT_FALSE(screen->items[0]->selected);
    // Delete answered No keeps everything.
    answers = {{"ProfDlgDeleteText", u"", false}};
    screen->ButtonPress(ProfileScreen::kDelete);
    EXPECT_TRUE(profiles.HasProfile(u"Bob"));
    answers = {{"ProfDlgDeleteText", u""}};
    screen->ButtonPress(ProfileScreen::kDelete);
    EXPECT_FALSE(profiles.HasProfile(u"Bob"));
    EXPECT_TRUE(screen->chosenName.empty());
    EXPECT_EQ(screen->startingName, u"Ann");
    // Back without a choice only tells so.
    asked.clear();
    answers = {{"ProfDlgAnyProfileText", u""}};
    screen->ButtonPress(ProfileScreen::kBack);
    EXPECT_EQ(asked, (std::vector<std::string>{"ProfDlgAnyProfileText"}));
    EXPECT_FALSE(screen->closeRequest);
    // Deleting the current and last profile clears the starting name and
    // asks for a new name without a cancel button.
    ClickAt(*app.widgetManager, ScreenCentre(*screen->items[0]));
    asked.clear();
    answers = {{"ProfDlgDeleteText", u""}, {"ProfDlgCreateText", u"Zoe"}};
    screen->ButtonPress(ProfileScreen::kDelete);
    EXPECT_EQ(asked, (std::vector<std::string>{"ProfDlgDeleteText+cancel", "ProfDlgCreateText"}));
    EXPECT_TRUE(screen->startingName.empty());
    RunUntilClosed();
    EXPECT_EQ(profiles.CopyKeysToVector(), (std::vector<std::u16string>{u"Zoe"}));
    EXPECT_EQ(profiles.CurrentName(), u"Zoe");
}

TEST_F(ProfileScreenTest, ABackdropClickWithNoNameChosenKeepsThePreviousProfile)
{
    Profiles& profiles = Profiles::Instance();
    ASSERT_NO_FATAL_FAILURE(OpenWith({u"Ann", u"Bob"}, u"Ann"));
    screen->SelectItem(u"Bob");
    answers = {{"ProfDlgDeleteText", u""}}; // Bob goes: no name is chosen now
    screen->ButtonPress(ProfileScreen::kDelete);
    ASSERT_TRUE(screen->chosenName.empty());
    ClickAt(*app.widgetManager, Point(5, 5)); // the backdrop
    RunUntilClosed();
    EXPECT_FALSE(InTree(screen));
    EXPECT_TRUE(delegateNames.empty());
    EXPECT_EQ(profiles.CurrentName(), u"Ann");
}

TEST_F(ProfileScreenTest, ABackdropClickAfterChoosingAnotherSlotSwitchesAndTellsTheMenu)
{
    Profiles& profiles = Profiles::Instance();
    ASSERT_NO_FATAL_FAILURE(OpenWith({u"Ann", u"Bob"}, u"Ann"));
    ClickAt(*app.widgetManager, ScreenCentre(*screen->items[1]));
    ClickAt(*app.widgetManager, Point(5, 5));
    RunUntilClosed();
    EXPECT_EQ(profiles.CurrentName(), u"Bob");
    EXPECT_EQ(delegateNames, (std::vector<std::u16string>{u"Bob"}));
}

TEST_F(ProfileScreenTest, InCreateModeNothingOfTheScreenIsSeen)
{
    for (bool createMode : {false, true}) {
        Open(createMode);
        Updates(34);
        for (TProfileItem* item : screen->items)
            EXPECT_EQ(item->visible, !createMode);
        EXPECT_EQ(screen->backButton->visible, !createMode);
        EXPECT_EQ(screen->items[0]->emptyText, u"A free place");
        MemoryImage target(nullptr);
        target.Resize(screen->width, screen->height);
        Graphics g(&target);
        g.ReplaceClip(0, 0, screen->width, screen->height);
        screen->Draw(g);
        int painted = 0;
        for (int y = 0; y < target.height; y += 7)
            for (int x = 0; x < target.width; x += 7)
                painted += (target.GetPixel(x, y) >> 24) != 0;
        EXPECT_EQ(painted > 0, !createMode) << createMode;
        app.widgetManager->DetachAllChildren(true, false);
    }
}

// ---- Options ----

TEST_F(MenuPopupsTest, OptionsSlidersSetTheVolumesAndTheCursorSwitchFlips)
{
    app.SetMusicVolume(0.25);
    app.SetSfxVolume(0.5);
    app.customCursors = true;
    auto* back = new DarkBack(Delegate(), 0);
    auto* options = new Options(nullptr, back);
    back->closeDelegate = Delegate(options, &Options::Close);
    app.widgetManager->AttachChild(back);
    app.widgetManager->AttachChild(options);
    EXPECT_NEAR(options->musicSlider->value, 0.25, 1e-9);
    EXPECT_NEAR(options->soundSlider->value, 0.5, 1e-9);
    EXPECT_TRUE(options->cursorsOnButton->visible);
    EXPECT_FALSE(options->cursorsOffButton->visible);
    // Windowed now: the full-screen button shows.
    EXPECT_TRUE(options->fullScreenButton->visible);
    EXPECT_FALSE(options->windowedButton->visible);
    Updates(40);

    options->musicSlider->SetValue(0.75);
    options->SliderValueChanged(Options::kMusic, 0.75);
    options->SliderValueChanged(Options::kSound, 0.125);
    EXPECT_NEAR(app.GetMusicVolume(), 0.75, 1e-9);
    EXPECT_NEAR(app.GetSfxVolume(), 0.125, 1e-9);
    ClickAt(*app.widgetManager, ScreenCentre(*options->cursorsOnButton));
    EXPECT_FALSE(app.customCursors);
    EXPECT_FALSE(options->cursorsOnButton->visible);
    EXPECT_TRUE(options->cursorsOffButton->visible);
    ClickAt(*app.widgetManager, ScreenCentre(*options->cursorsOffButton));
    EXPECT_TRUE(app.customCursors);

    // A switch that did not give the mode asked for shows the note and
    // leaves the buttons; a good one hides it again.
    options->OnScreenModeChanged(false);
    EXPECT_TRUE(options->showNote);
    EXPECT_TRUE(options->fullScreenButton->visible);
    options->OnScreenModeChanged(true);
    EXPECT_FALSE(options->showNote);

    // Its tester is one of the application's dialogs until it closes.
    ScreenModeTester* tester = options->tester;
    ASSERT_NE(tester, nullptr);
    EXPECT_EQ(app.dialogMap.count(ScreenModeTester::kDialogId), 1u);
    ClickAt(*app.widgetManager, ScreenCentre(*options->closeButton));
    Updates(40);
    EXPECT_FALSE(InTree(options));
    EXPECT_FALSE(InTree(back));
    EXPECT_EQ(app.dialogMap.count(ScreenModeTester::kDialogId), 0u);
}

TEST_F(MenuPopupsTest, OptionsThumbsStartWhereTheStoredVolumesAre)
{
    struct Case {
        double music, sound;
    };
    for (const Case c : {Case{0.0, 1.0}, Case{0.3, 0.85}, Case{0.62, 0.07}}) {
        SCOPED_TRACE(c.music);
        app.SetMusicVolume(c.music);
        app.SetSfxVolume(c.sound);
        auto* options = new Options(nullptr, nullptr);
        app.widgetManager->AttachChild(options);
        Updates(40); // fully open
        for (const auto& [slider, stored, track] :
             {std::tuple<ScaleSlider*, double, const char*>{options->musicSlider, c.music, "scroll/music_line"},
              {options->soundSlider, c.sound, "scroll/sound_line"}}) {
            SCOPED_TRACE(track);
            Rect r;
            options->layout->GetLayerRect(r, track, false);
            EXPECT_EQ(Rect(slider->x, slider->y, slider->width, slider->height), r);
            EXPECT_NEAR(slider->value, stored, 1e-9);
            const int range = slider->Length() - slider->ThumbLength();
            ASSERT_GT(range, 0);
            EXPECT_EQ(slider->ThumbPosition(), int(stored * range));
            // Taking the thumb and letting it go leaves it where it was.
            const Point at = options->GetScreenPosition();
            const int tx = at.x + slider->x + slider->ThumbPosition() + slider->ThumbLength() / 2;
            const int ty = at.y + slider->y + slider->height / 2;
            ClickAt(*app.widgetManager, Point(tx, ty));
            EXPECT_NEAR(slider->value, stored, 1e-9);
        }
        options->Close();
        Updates(40);
        EXPECT_FALSE(InTree(options));
    }
}

TEST(OptionsSaved, ChangesInThePopupComeBackOnTheNextStart)
{
    HeadlessAppEnvironment env;
    {
        TestApp first;
        first.registryKey = "Quib Test\\Options";
        first.customCursors = true;
        auto options = std::make_unique<Options>(nullptr, nullptr);
        options->SliderValueChanged(Options::kMusic, 0.3);
        options->SliderValueChanged(Options::kSound, 0.6);
        options->ButtonDepress(Options::kCursorsOn); // the system cursor from now on
        options.reset();
        first.ProcessDeferredDeletes();
        first.SaveRegistrySettings();
    }
    TestApp second;
    second.registryKey = "Quib Test\\Options";
    second.LoadRegistrySettings();
    EXPECT_NEAR(second.GetMusicVolume(), 0.3, 0.01);
    EXPECT_NEAR(second.GetSfxVolume(), 0.6, 0.01);
    EXPECT_FALSE(second.customCursors);
    // The next popup starts from what was kept.
    Options again(nullptr, nullptr);
    EXPECT_NEAR(again.musicSlider->value, 0.3, 0.01);
    EXPECT_NEAR(again.soundSlider->value, 0.6, 0.01);
    EXPECT_TRUE(again.cursorsOffButton->visible);
    EXPECT_FALSE(again.cursorsOnButton->visible);
}

// ---- Exit confirmation ----

TEST_F(MenuPopupsTest, ExitNoClosesYesAndEscapeQuit)
{
    struct Case {
        const char* name;
        int action; // 0 no button, 1 yes button, 2 Escape, 3 backdrop
        bool quits;
    };
    const Case cases[] = {{"no", 0, false}, {"yes", 1, true}, {"escape", 2, true}, {"backdrop", 3, false}};
    for (const Case& c : cases) {
        app.exiting = false;
        ExitScreen* popup = ShowExitScreen(app.widgetManager.get());
        Updates(40);
        switch (c.action) {
        case 0:
            ClickAt(*app.widgetManager, ScreenCentre(*popup->noButton));
            break;
        case 1:
            ClickAt(*app.widgetManager, ScreenCentre(*popup->yesButton));
            break;
        case 2:
            app.widgetManager->HandleKeyDown(kEscape);
            break;
        default:
            ClickAt(*app.widgetManager, Point(3, 3));
            break;
        }
        EXPECT_EQ(bool(app.exiting), c.quits) << c.name;
        if (!c.quits) {
            Updates(40);
            EXPECT_FALSE(InTree(popup)) << c.name;
        } else {
            app.widgetManager->DetachAllChildren(true, false);
        }
    }
    app.exiting = false;
}

// ---- Credits ----

TEST_F(MenuPopupsTest, CreditsRenderOnceScrollAndStopAfterTheLogos)
{
    AboutScreen credits;
    credits.SetBounds(0, 0, 1024, 768);
    ASSERT_NE(credits.creditsImage, nullptr);
    EXPECT_GT(credits.creditsImage->width, 100);
    EXPECT_GT(credits.creditsImage->height, 40);
    ASSERT_NE(credits.logosLayer, nullptr);
    EXPECT_FALSE(credits.logosLayer->drawn);
    EXPECT_FALSE(credits.fadeLayer->drawn);
    EXPECT_EQ(credits.scrollPosition, 768.0f);
    const int total = credits.creditsImage->height + credits.logosLayer->image->height;
    const int updates = 2 * (768 + total) + 1;
    for (int i = 0; i < updates - 1; ++i)
        credits.Update();
    EXPECT_TRUE(credits.scrolling);
    credits.Update();
    EXPECT_FALSE(credits.scrolling);
    // Drawing never leaves the picture.
    MemoryImage target(nullptr);
    target.Resize(1024, 768);
    Graphics g(&target);
    g.ReplaceClip(0, 0, 1024, 768);
    credits.Draw(g);
    // A click leaves once, whenever it comes.
    credits.OnMouseDownButton(10, 10, 0, 1);
    credits.OnMouseDownButton(10, 10, 0, 1);
    EXPECT_TRUE(credits.leaving);
}

} // namespace
} // namespace Quib::MenuPopupsTests
