// What the player sees on the game's screens, drawn headless on the
// generated data: the in-game menu darkens everything beneath it, tooltips
// stay whole on the screen, and the popups' texts and buttons are filled.
#include "framework/app/DDInterface.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/ImageLib.h"
#include "framework/widgets/ButtonWidget.h"
#include "framework/widgets/WidgetManager.h"
#include "src/Lang.h"
#include "src/game/ispy/ISpy.h"
#include "src/game/ispy/ISpyHost.h"
#include "src/game/quest/QstBookButton.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "src/game/quest/QstTrashDialog.h"
#include "src/game/quest/QstTutorialBox.h"
#include "src/game/quest/QstTutorDialog.h"
#include "src/game/quest/SBackFromHOGData.h"
#include "src/screens/ScaleButton.h"
#include "src/screens/Avatar.h"
#include "src/screens/DarkBack.h"
#include "src/screens/GameBoard.h"
#include "src/screens/HintWidget.h"
#include "src/screens/InGameMenu.h"
#include "src/screens/ToolTip.h"
#include "tests/support/GameFlowSupport.h"
#include "tests/support/WidgetSearch.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace Quib {
namespace ScreenLookTesting {

using namespace Testing;

class ScreenLook : public GameFlowTest {
protected:
    // The software display: its screen image is the frame drawn.
    void PrepareApp(GameFlowApp& game) override { game.auto3D = false; }

    // The whole screen drawn now, as 0xAARRGGBB words.
    std::vector<uint32_t> DrawnScreen()
    {
        WidgetManager& wm = *app->widgetManager;
        wm.InvalidateAll();
        wm.DrawScreen();
        DDImage* drawn = app->display ? app->display->screenImage : nullptr;
        std::vector<uint32_t> pixels;
        if (!drawn)
            return pixels;
        pixels.assign(size_t(drawn->width) * size_t(drawn->height), 0);
        if (!drawn->ReadPictureInto(pixels.data()))
            pixels.clear();
        screenWidth = drawn->width;
        screenHeight = drawn->height;
        if (const char* folder = std::getenv("QUIB_LOOK_SHOTS")) {
            ImageLib::Image frame;
            frame.width = drawn->width;
            frame.height = drawn->height;
            frame.pixels = pixels.data();
            ImageLib::WritePng(std::string(folder) + "/" + std::to_string(shotCount++) + ".png", &frame);
            frame.pixels = nullptr;
        }
        return pixels;
    }
    // The mean of red, green and blue over a rectangle of the screen.
    double Brightness(const std::vector<uint32_t>& pixels, const Rect& r) const
    {
        double sum = 0.0;
        int count = 0;
        for (int y = std::max(r.y, 0); y < std::min(r.y + r.height, screenHeight); ++y)
            for (int x = std::max(r.x, 0); x < std::min(r.x + r.width, screenWidth); ++x) {
                const uint32_t p = pixels[size_t(y) * size_t(screenWidth) + size_t(x)];
                sum += double(((p >> 16) & 0xff) + ((p >> 8) & 0xff) + (p & 0xff)) / 3.0;
                ++count;
            }
        return count ? sum / count : 0.0;
    }
    static Rect ScreenRect(Widget* w)
    {
        const Point at = w->GetScreenPosition();
        return Rect(at.x, at.y, w->width, w->height);
    }

    int screenWidth = 0;
    int screenHeight = 0;
    int shotCount = 0;
};

TEST_F(ScreenLook, TheInGameMenuDarkensTheAvatarAndTheCompassWithTheScene)
{
    GameBoard* board = PlayIntoFirstScene();
    ASSERT_NE(board, nullptr);
    ASSERT_NE(board->avatar, nullptr);
    ASSERT_NE(board->hintWidget, nullptr);
    ButtonWidget* menuButton = FindButton(board, GameBoard::kMenuButton);
    ASSERT_NE(menuButton, nullptr);
    ASSERT_NE(board->bookButton, nullptr);
    Steps(100);
    const Rect places[] = {ScreenRect(board->avatar), ScreenRect(board->hintWidget),
                           ScreenRect(board->bookButton), ScreenRect(menuButton),
                           Rect(300, 100, 400, 300)};
    const std::vector<uint32_t> before = DrawnScreen();
    ASSERT_FALSE(before.empty());

    ClickWidget(menuButton);
    ASSERT_TRUE(StepUntil([&] { return FindChild<InGameMenu>(board) != nullptr; }, 50));
    InGameMenu* menu = FindChild<InGameMenu>(board);
    DarkBack* back = FindChild<DarkBack>(board);
    ASSERT_NE(back, nullptr);
    StepUntil([&] { return menu->appear.progress >= 1.0f && back->fade >= 1.0f; }, 500);
    // The mouse away from everything that lights up under it.
    app->widgetManager->HandleMouseMove(512, 20);
    Steps(5);
    const std::vector<uint32_t> after = DrawnScreen();
    for (const Rect& r : places) {
        const Rect overlap = r.Intersection(ScreenRect(menu));
        if (overlap.width > 0 && overlap.height > 0)
            continue;
        const double was = Brightness(before, r);
        const double is = Brightness(after, r);
        EXPECT_LT(is, was * 0.8) << "not darkened at " << r.x << "," << r.y << " " << r.width << "x" << r.height;
    }
}

TEST_F(ScreenLook, TheCompassTooltipStaysWholeOnTheScreenAndNamesTheCompass)
{
    GameBoard* board = PlayIntoFirstScene();
    ASSERT_NE(board, nullptr);
    ToolTip* tip = FindChild<ToolTip>(board);
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->text, u"");
    // Corners and edges of the screen: the tip is shown in full there.
    const std::u16string text = Lang::Instance()("Interface", "HintToolTip");
    EXPECT_NE(text.find(u"compass"), std::u16string::npos);
    EXPECT_EQ(text.find(u"lantern"), std::u16string::npos);
    const Point at[] = {{1020, 760}, {1023, 10}, {5, 765}, {600, 767}, {1000, 400}};
    for (const Point& p : at) {
        tip->SetText(text, 10.0f);
        app->widgetManager->HandleMouseMove(p.x, p.y);
        Steps(30);
        const Rect r = ScreenRect(tip);
        EXPECT_GE(r.x, 0) << p.x << "," << p.y;
        EXPECT_GE(r.y, 0) << p.x << "," << p.y;
        EXPECT_LE(r.x + r.width, 1024) << p.x << "," << p.y;
        EXPECT_LE(r.y + r.height, 768) << p.x << "," << p.y;
    }
}

TEST_F(ScreenLook, TheHiddenObjectMenuDarkensTheCompassAndItsTooltipNamesTheCompass)
{
    app->SwitchToBoard(new MainMenu());
    ASSERT_NE(Settled<MainMenu>(), nullptr);
    SBackFromHOGData back;
    back.sceneName = "harbour";
    EnterHogLevel("market", back);
    ISpy* board = Settled<ISpy>();
    ASSERT_NE(board, nullptr);
    ASSERT_NE(board->hintCompass, nullptr);
    ASSERT_NE(board->tooltip, nullptr);
    Steps(50);

    // The compass names itself, whole on the screen though it sits in the corner.
    const Rect compass = ScreenRect(board->hintCompass);
    board->hintCompass->OnMouseEnter();
    app->widgetManager->HandleMouseMove(compass.x + compass.width / 2, compass.y + compass.height / 2);
    Steps(40);
    ToolTip* tip = board->tooltip;
    EXPECT_NE(tip->text.find(u"compass"), std::u16string::npos);
    EXPECT_EQ(tip->text.find(u"lantern"), std::u16string::npos);
    const Rect r = ScreenRect(tip);
    EXPECT_GE(r.x, 0);
    EXPECT_LE(r.x + r.width, 1024);
    EXPECT_LE(r.y + r.height, 768);

    app->widgetManager->HandleMouseMove(512, 300);
    Steps(400); // the tooltip fades
    const std::vector<uint32_t> before = DrawnScreen();
    ASSERT_FALSE(before.empty());
    ButtonWidget* menuButton = FindButton(board, 1); // the board's menu button
    ASSERT_NE(menuButton, nullptr);
    ClickWidget(menuButton);
    ASSERT_TRUE(StepUntil([&] { return FindChild<InGameMenu>(board) != nullptr; }, 50));
    InGameMenu* menu = FindChild<InGameMenu>(board);
    DarkBack* backdrop = FindChild<DarkBack>(board);
    ASSERT_NE(backdrop, nullptr);
    StepUntil([&] { return menu->appear.progress >= 1.0f && backdrop->fade >= 1.0f; }, 500);
    app->widgetManager->HandleMouseMove(512, 300);
    Steps(5);
    const std::vector<uint32_t> after = DrawnScreen();
    for (const Rect& place : {compass, ScreenRect(menuButton)}) {
        const double was = Brightness(before, place);
        const double is = Brightness(after, place);
        EXPECT_LT(is, was * 0.8) << "not darkened at " << place.x << "," << place.y;
    }
    ClickWidget(menu->resumeButton);
    StepUntil([&] { return FindChild<InGameMenu>(board) == nullptr; }, 500);

    // The found dialog's button takes the mouse even under a help box.
    GetISpyHost().ShowItemDialog(*board, "harbour:coin");
    QstTrashDialog* dialog = FindChild<QstTrashDialog>(board);
    ASSERT_NE(dialog, nullptr);
    ASSERT_NE(dialog->closeButton, nullptr);
    StepUntil([&] { return dialog->progress >= 1.0f; }, 500);
    const Rect button = ScreenRect(dialog->closeButton);
    int lx = 0, ly = 0;
    EXPECT_EQ(app->widgetManager->GetWidgetAt(button.x + button.width / 2, button.y + button.height / 2, &lx, &ly),
              dialog->closeButton);
    EXPECT_GT(dialog->zOrder, QstTutorialBox::kZOrder);
}

TEST_F(ScreenLook, TheFoundDialogsNameTheirItemsAndThePopupButtonsHaveLabels)
{
    GameBoard* board = PlayIntoFirstScene();
    ASSERT_NE(board, nullptr);
    ASSERT_NE(QstGameControllerScene::Instance().GetOrLoadScene("pier"), nullptr);
    // Every item a hidden-object level of the demo hands over.
    for (const char* item : {"harbour:coin", "pier:rope"}) {
        auto* dialogBack = new DarkBack(Delegate(), 0);
        QstTrashDialog dialog(dialogBack, item, Delegate());
        EXPECT_EQ(dialog.text.find(u"???"), std::u16string::npos) << item;
        ASSERT_NE(dialog.closeButton, nullptr);
        EXPECT_EQ(dialog.closeButton->label, u"OK") << item;
        delete dialogBack;
    }
    auto* helpBack = new DarkBack(Delegate(), 0);
    QstTutorDialog help(helpBack, "safe");
    EXPECT_EQ(help.text.find(u"???"), std::u16string::npos);
    ASSERT_NE(help.closeButton, nullptr);
    EXPECT_EQ(help.closeButton->label, u"Close");
    delete helpBack;
}

} // namespace ScreenLookTesting
} // namespace Quib
