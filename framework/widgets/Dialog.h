#pragma once
// The message box: a framed panel with a centred header, a wrapped body, an
// optional footer and up to two buttons along the bottom. It can be dragged,
// reports its buttons to a DialogListener, keeps the id of the button that
// closed it and can run the application's loop until that happens.

#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/Widget.h"

#include <memory>
#include <string>

namespace Quib {

class DialogButton;
class DialogListener;
class Font;
class Graphics;
class Image;
class WidgetManager;

// Button modes of a dialog.
enum DialogButtonMode : int {
    DIALOG_BUTTONS_YES_NO = 1,
    DIALOG_BUTTONS_OK_CANCEL = 2,
    DIALOG_BUTTONS_FOOTER = 3, // one button labelled with the footer text
};

// Ids of a dialog's buttons.
inline constexpr int DIALOG_ID_YES = 1000;
inline constexpr int DIALOG_ID_OK = 1000;
inline constexpr int DIALOG_ID_NO = 1001;
inline constexpr int DIALOG_ID_CANCEL = 1001;
// The result of a dialog no button has closed.
inline constexpr int DIALOG_NO_RESULT = 0x7FFFFFFF;

// Colour table entries of a dialog.
enum DialogColor : int {
    DIALOG_COLOR_HEADER = 0,
    DIALOG_COLOR_LINES = 1,
    DIALOG_COLOR_FOOTER = 2,
    DIALOG_COLOR_BUTTON_TEXT = 3,
    DIALOG_COLOR_BUTTON_TEXT_HILITE = 4,
    DIALOG_COLOR_BKG = 5,
    DIALOG_COLOR_OUTLINE = 6,
    DIALOG_COLOR_COUNT = 7,
};

// Left, top, right and bottom widths.
struct DialogInsets {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

class Dialog : public Widget, public ButtonListener {
public:
    // The listener is the application's (none without an application).
    Dialog(int dialogId, bool isModal, std::u16string headerText, std::u16string bodyText,
           std::u16string footerText, int mode);
    // Detaches the dialog (its buttons follow) and deletes the buttons and
    // both fonts.
    ~Dialog() override;

    // The font is shared with the buttons, not copied.
    virtual void SetButtonFont(Font* newFont);
    // Keep a copy of the given font.
    virtual void SetTitleFont(Font* newFont);
    virtual void SetTextFont(Font* newFont);
    virtual int GetPreferredHeight(int forWidth);
    virtual bool IsModal();
    // Runs application steps until a button gives a result, the dialog is
    // detached or the application shuts down; DIALOG_NO_RESULT without a
    // result. With close set, a dialog still shown is then closed.
    virtual int WaitForResult(bool close);
    virtual void OnScreenModeChanged(bool windowed);

    void OnAttachedToManager(WidgetManager* widgetManager) override;
    void OnDetachedFromManager(WidgetManager* widgetManager) override;
    void Draw(Graphics& g) override;
    void OnOrderChanged() override;
    void SetColor(int index, const Color& color) override;
    void SetBounds(int newX, int newY, int newWidth, int newHeight) override;
    void OnMouseDownButton(int px, int py, int button, int count) override;
    void OnMouseUpButton(int px, int py, int button, int count) override;
    void OnMouseDrag(int px, int py) override;

    void ButtonPress(int buttonId) override;
    void ButtonDepress(int buttonId) override;

    DialogListener* dialogListener = nullptr; // not owned
    Image* backgroundImage = nullptr;         // not owned; none: drawn with rectangles
    std::unique_ptr<DialogButton> yesButton;  // id 1000
    std::unique_ptr<DialogButton> noButton;   // id 1001
    std::u16string header;
    std::u16string footer;
    std::u16string body;
    int32_t buttonMode;
    std::unique_ptr<Font> headerFont; // made on first use when missing
    std::unique_ptr<Font> bodyFont;
    int32_t bodyJustify = 0;
    int32_t extraLineSpacing = 0;
    int32_t buttonHeight = 24;
    DialogInsets frameInsets;
    DialogInsets contentInsets{24, 24, 24, 24};
    int32_t headerSpacing = 10;
    bool dragging = false;
    int32_t grabX = 0;
    int32_t grabY = 0;
    int32_t id;
    bool modal;
    int32_t result = DIALOG_NO_RESULT;
    int32_t buttonGap = 8;
    int32_t buttonSideMargin = 0;
    DialogInsets imageInsets; // corners of the background image

private:
    struct Lifeline;

    void EnsureFonts();
    // Both buttons, the existing ones.
    template <typename F>
    void ForEachButton(F&& f);

    // Outlives the dialog while WaitForResult runs, so that a dialog
    // deleted during a step ends the wait cleanly.
    std::shared_ptr<Lifeline> lifeline;
};

} // namespace Quib
