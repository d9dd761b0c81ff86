#pragma once
// A single-line text entry field on 16-bit text: cursor, selection (Shift,
// keyboard or mouse), word jumps and word selection, clipboard cut, copy and
// paste, one level of undo, an optional password character, limits on the
// number of characters and on the pixel width, horizontal scrolling that
// keeps the cursor in view and a blinking caret. Every change is offered to
// the listener first.

#include "framework/widgets/Widget.h"

#include <memory>
#include <string>
#include <vector>

namespace Quib {

class EditListener;
class Font;
class Graphics;

class EditWidget : public Widget {
public:
    // The listener is not owned and may be null (everything is allowed).
    explicit EditWidget(EditListener* editListener);
    ~EditWidget() override;

    void Invalidate() override;
    void Update() override;
    void Draw(Graphics& g) override;
    void SetBounds(int newX, int newY, int newWidth, int newHeight) override;
    bool TakesFocus() override;
    void OnFocusGained() override;
    void OnFocusLost() override;
    void OnKeyChar(char16_t ch) override;
    // Letter keys are left to their characters.
    void OnKeyDown(int key) override;
    void OnMouseEnter() override;
    void OnMouseLeave() override;
    void OnMouseDownButton(int px, int py, int button, int count) override;
    void OnMouseUpButton(int px, int py, int button, int count) override;
    void OnMouseDrag(int px, int py) override;

    // One key (a virtual key with character 0) or one character (key 0).
    virtual void HandleKey(int key, char16_t ch);
    virtual void SelectWordAtCursor();
    // Keeps clones of the fonts; the width-check font (may be null) limits
    // the text to the field's maximum pixel width in that font.
    virtual void SetFont(const Font* newFont, const Font* widthCheckFont);
    // Asks the listener first; the cursor goes to the end.
    virtual void SetText(const std::u16string& newText, bool resetScroll);
    // Letters A-Z and a-z, digits, '_' and the Cyrillic letters U+0410..U+044F.
    virtual bool IsWordChar(char16_t ch);
    // The cursor index for a point in widget coordinates (y is not used).
    virtual int CharIndexAt(int px, int py);
    // Brings the cursor into view, moving by 10 characters at a time with
    // large steps, else by one.
    virtual void ScrollToCursor(bool largeSteps);

    // The text as drawn: the password character repeated, or the text.
    const std::u16string& DisplayedText();
    // The field's font; the default one is made when there is none.
    Font* GetFont();
    bool HasSelection() const { return anchor >= 0 && anchor != cursor; }

    struct WidthCheckFont {
        std::unique_ptr<Font> font;
        int32_t maxWidth = -1; // -1: the field's maximum pixel width
    };

    int32_t id = 0;
    std::u16string text;
    std::u16string maskedText;
    std::unique_ptr<Font> font;
    std::vector<WidthCheckFont> widthCheckFonts;
    EditListener* listener;
    bool caretShown = false;
    bool drawAsFocused = false; // caret and selection drawn without focus
    bool doubleClickPending = false;
    int32_t cursor = 0;
    int32_t anchor = -1; // -1: no selection
    int32_t blinkCounter = 0;
    int32_t blinkPeriod = 40;
    int32_t firstVisible = 0;
    int32_t maxLength = -1;     // characters; -1: none
    int32_t maxPixelWidth = -1; // -1: none
    char16_t passwordChar = 0;  // 0: none
    std::u16string undoText;
    int32_t undoCursor = 0;
    int32_t undoAnchor = -1;
    // Groups runs of typing and deleting into one undo step.
    int32_t lastEditPos = kNoEditRun;

    // A last edit position that no cursor continues.
    static constexpr int32_t kNoEditRun = -2;

private:
    int TextWidth(std::u16string_view s);
    // Width of the displayed text from the first visible character up to i.
    int VisibleWidthTo(int i);
    bool KeyDown(int key) const;
    // Removes the selected part of the text; the cursor goes to its start.
    void EraseSelection();
    // Whether the character may go into the text: not a control character,
    // drawn with some width by the font, and allowed by the listener.
    bool CanEnter(char16_t ch);
    void CutToWidth(Font& measure, int limit);
    void ApplyWidthLimits();
    void PlaceSystemCaret();

    bool mSystemCaretShown = false;
};

} // namespace Quib
