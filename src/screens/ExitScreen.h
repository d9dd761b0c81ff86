#pragma once
#include "framework/core/Rect.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/Widget.h"

#include <memory>
#include <string>

namespace Quib {

class DarkBack;
class WidgetContainer;
class PsdPicture;
class ScaleButton;

// The quit confirmation of the main menu, laid out from data/gui/exit/:
// a question, "Yes" (quit) and "No" (close). Escape answers yes.
class ExitScreen : public Widget, public ButtonListener {
public:
    enum ButtonId : int { kYes = 0, kNo = 1 };
    static constexpr uint32_t kTextColor = 0xff2b0e00;

    explicit ExitScreen(DarkBack* backdrop);
    ~ExitScreen() override;

    void Update() override;
    void Draw(Graphics& g) override;
    void OnKeyDown(int key) override;
    void ButtonPress(int id) override;

    // Shrinks the popup away; its backdrop fades out with it.
    void Close();
    ScaleButton* CreateButton(int id, const std::string& normal, const std::string& over, const char* labelKey);
    void AnimateChildren(float p);

    std::unique_ptr<PsdPicture> layout;
    float progress = 0.0f;
    float target = 1.0f;
    Rect textRect;
    std::u16string text;
    ScaleButton* yesButton = nullptr; // children
    ScaleButton* noButton = nullptr;
    DarkBack* backdrop = nullptr; // not owned
};

// Opens the quit confirmation over a new backdrop on the parent.
ExitScreen* ShowExitScreen(WidgetContainer* parent);

} // namespace Quib
