#pragma once
#include "framework/core/Rect.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/Widget.h"
#include "src/screens/PopupAppear.h"

#include <functional>
#include <memory>
#include <string>

namespace Quib {

class DarkBack;
class PsdPicture;
class ScaleButton;

// The pause menu of the game boards over a dark backdrop: a title and the
// buttons main menu, options and resume. Main menu and options are the
// opener's; resume (or a click on the backdrop) closes the menu.
class InGameMenu : public Widget, public ButtonListener {
public:
    enum ButtonId : int { kMainMenu = 0, kOptions = 1, kResume = 2 };

    // layout: the shared in-game menu picture (copied; its images shared);
    // without one the menu has no pictures.
    InGameMenu(PsdPicture* layout, std::function<void()> mainMenu, std::function<void()> options, DarkBack* back);
    ~InGameMenu() override;

    void Update() override;
    void Draw(Graphics& g) override;
    void ButtonDepressByMouse(int id, int mouseButton) override;
    // Shrinks away with its backdrop, then deletes itself.
    void Close();

    ScaleButton* CreateButton(int id, const std::string& normal, const std::string& over, const char* labelKey);
    void AnimateChildren(float p);

    PopupAppear appear;
    std::unique_ptr<PsdPicture> layout;
    std::function<void()> mainMenuDelegate;
    std::function<void()> optionsDelegate;
    Rect titleRect;
    std::u16string title;
    ScaleButton* mainMenuButton = nullptr;
    ScaleButton* optionsButton = nullptr;
    ScaleButton* resumeButton = nullptr;
};

} // namespace Quib
