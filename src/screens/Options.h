#pragma once
#include "framework/core/Rect.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/SliderListener.h"
#include "framework/widgets/Widget.h"

#include <memory>
#include <string>

namespace Quib {

class DarkBack;
class WidgetContainer;
class PsdPicture;
class ScaleButton;
class ScaleSlider;
class ScreenModeTester;

// The settings popup: music, sound and ambient volumes, window or full
// screen, painted or system cursors. Every change applies at once.
class Options : public Widget, public ButtonListener, public SliderListener {
public:
    enum Id : int {
        kClose = 0,
        kScreenMode = 1, // the windowed and the full-screen button
        kMusic = 3,
        kSound = 4,
        kAmbient = 5,
        kCursorsOn = 6,
        kCursorsOff = 7,
    };
    static constexpr uint32_t kDarkText = 0xff2b0e00;
    static constexpr uint32_t kPaleText = 0xfffff398;

    // layoutToCopy: the shared options layout (copied, images shared), or
    // null to load data/gui/options/.
    Options(PsdPicture* layoutToCopy, DarkBack* backdrop);
    ~Options() override;

    void Update() override;
    void Draw(Graphics& g) override;
    void ButtonDepress(int id) override;
    void SliderValueChanged(int id, double value) override;
    // The outcome of a screen-mode switch that asked for this windowed flag.
    virtual void OnScreenModeChanged(bool windowed);

    void Close();
    void BuildWidgets();
    ScaleButton* CreateButton(int id, const std::string& normal, const std::string& over, const char* labelKey,
                              uint32_t labelColor);
    ScaleSlider* CreateSlider(int id, const std::string& track, const std::string& thumb);
    void AnimateChildren(float p);

    std::unique_ptr<PsdPicture> layout;
    float progress = 0.0f;
    float target = 1.0f;
    ScaleSlider* soundSlider = nullptr; // children
    ScaleSlider* musicSlider = nullptr;
    ScaleSlider* ambientSlider = nullptr;
    ScaleButton* closeButton = nullptr;
    ScaleButton* windowedButton = nullptr;
    ScaleButton* fullScreenButton = nullptr;
    ScaleButton* cursorsOnButton = nullptr;
    ScaleButton* cursorsOffButton = nullptr;
    Rect cursorRect;
    std::u16string cursorText;
    Rect headRect;
    std::u16string headText;
    Rect soundRect;
    std::u16string soundText;
    Rect musicRect;
    std::u16string musicText;
    Rect ambientRect;
    std::u16string ambientText;
    Rect noteRect;
    std::u16string noteText;
    bool showNote = false;
    DarkBack* backdrop = nullptr;            // not owned
    ScreenModeTester* tester = nullptr;      // the application's dialog list holds it
};

// A new layout of data/gui/options/ with its images; the caller owns it.
PsdPicture* LoadOptionsLayout();
// Opens the options popup with the shared layout over a new backdrop on the
// parent, both at z-order 30.
Options* ShowOptionsPopup(WidgetContainer* parent);

} // namespace Quib
