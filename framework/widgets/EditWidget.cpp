#include "framework/widgets/EditWidget.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/SysFont.h"
#include "framework/widgets/EditListener.h"
#include "framework/widgets/WidgetApp.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/TextCodecs.h"

#include <algorithm>
#include <cstdlib>

namespace Quib {

namespace {

enum : int {
    KEY_BACKSPACE = 8,
    KEY_RETURN = 13,
    KEY_ALT = 18,
    KEY_END = 35,
    KEY_HOME = 36,
    KEY_LEFT = 37,
    KEY_RIGHT = 39,
    KEY_DELETE = 46,
};

enum : char16_t { CHAR_COPY = 3, CHAR_PASTE = 22, CHAR_CUT = 24, CHAR_UNDO = 26 };

enum : int { CURSOR_ARROW = 0, CURSOR_TEXT = 3 };

void SetAppCursor(int cursorNum)
{
    if (WidgetApp* app = TheWidgetApp()) {
        app->SetCursorNum(cursorNum);
        app->RefreshCursor();
    }
}

bool UsesSystemCaret()
{
    WidgetApp* app = TheWidgetApp();
    return app && app->UsesSystemCaret();
}

} // namespace

EditWidget::EditWidget(EditListener* editListener) : listener(editListener)
{
    static const int kColors[][3] = {{255, 255, 255}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {255, 255, 255}};
    SetColorsRGB(kColors, 5);
}

EditWidget::~EditWidget()
{
    if (mSystemCaretShown)
        if (WidgetApp* app = TheWidgetApp())
            app->SetSystemCaret(false, 0, 0);
}

const std::u16string& EditWidget::DisplayedText()
{
    if (passwordChar == 0)
        return text;
    if (maskedText.size() != text.size() || (!maskedText.empty() && maskedText[0] != passwordChar))
        maskedText.assign(text.size(), passwordChar);
    return maskedText;
}

Font* EditWidget::GetFont()
{
    if (!font)
        font = std::make_unique<SysFont>("Arial Unicode MS", 10, 0);
    return font.get();
}

int EditWidget::TextWidth(std::u16string_view s)
{
    return GetFont()->WidthOfText(s, 1.0f, 1.0f, 0.0f);
}

int EditWidget::VisibleWidthTo(int i)
{
    const std::u16string& shown = DisplayedText();
    const int len = int(shown.size());
    i = std::clamp(i, 0, len);
    const int first = std::clamp(firstVisible, 0, len);
    const std::u16string_view view(shown);
    return TextWidth(view.substr(0, size_t(i))) - TextWidth(view.substr(0, size_t(first)));
}

bool EditWidget::KeyDown(int key) const
{
    return manager && manager->IsKeyDown(key);
}

void EditWidget::Invalidate()
{
    if (GetColor(0).alpha == 255)
        Widget::Invalidate();
    else
        InvalidateFully();
}

void EditWidget::PlaceSystemCaret()
{
    WidgetApp* app = TheWidgetApp();
    if (!app)
        return;
    const Point at = GetScreenPosition();
    const int appWidth = manager ? manager->width : 0;
    const int appHeight = manager ? manager->height : 0;
    app->SetSystemCaret(true, std::max(10, std::min(at.x, appWidth - 10)),
                        std::max(10, std::min(at.y, appHeight - 10)));
    mSystemCaretShown = true;
}

void EditWidget::Update()
{
    Widget::Update();
    if (!hasFocus)
        return;
    if (UsesSystemCaret())
        PlaceSystemCaret();
    if (++blinkCounter > blinkPeriod) {
        Invalidate();
        blinkCounter = 0;
        caretShown = !caretShown;
    }
}

void EditWidget::SetBounds(int newX, int newY, int newWidth, int newHeight)
{
    Widget::SetBounds(newX, newY, newWidth, newHeight);
    ScrollToCursor(false);
}

bool EditWidget::TakesFocus()
{
    return true;
}

void EditWidget::OnFocusGained()
{
    Widget::OnFocusGained();
    if (UsesSystemCaret())
        PlaceSystemCaret();
    blinkCounter = 0;
    caretShown = true;
    Invalidate();
}

void EditWidget::OnFocusLost()
{
    Widget::OnFocusLost();
    if (mSystemCaretShown) {
        if (WidgetApp* app = TheWidgetApp())
            app->SetSystemCaret(false, 0, 0);
        mSystemCaretShown = false;
    }
    caretShown = false;
    Invalidate();
}

void EditWidget::OnKeyChar(char16_t ch)
{
    if (!listener || listener->AllowChar(id, ch))
        HandleKey(0, ch);
}

void EditWidget::OnKeyDown(int key)
{
    // Letter keys arrive again as characters.
    if (key < 'A' || key > 'Z')
        if (!listener || listener->AllowKey(id, key))
            HandleKey(key, 0);
    Widget::OnKeyDown(key);
}

void EditWidget::OnMouseEnter()
{
    SetAppCursor(CURSOR_TEXT);
}

void EditWidget::OnMouseLeave()
{
    SetAppCursor(CURSOR_ARROW);
}

void EditWidget::OnMouseDownButton(int px, int py, int /*button*/, int count)
{
    anchor = -1;
    cursor = CharIndexAt(px, py);
    if (count > 1) {
        doubleClickPending = true;
        SelectWordAtCursor();
    }
    Invalidate();
    ScrollToCursor(false);
}

void EditWidget::OnMouseUpButton(int px, int py, int /*button*/, int /*count*/)
{
    if (anchor == cursor)
        anchor = -1;
    if (doubleClickPending) {
        anchor = -1;
        cursor = CharIndexAt(px, py);
        doubleClickPending = false;
        SelectWordAtCursor();
    }
    Invalidate();
}

void EditWidget::OnMouseDrag(int px, int py)
{
    if (anchor < 0)
        anchor = cursor;
    cursor = CharIndexAt(px, py);
    Invalidate();
    ScrollToCursor(false);
}

bool EditWidget::IsWordChar(char16_t ch)
{
    return (ch >= u'A' && ch <= u'Z') || (ch >= u'a' && ch <= u'z') || (ch >= u'0' && ch <= u'9') || ch == u'_' ||
           (ch >= 0x0410 && ch <= 0x044F);
}

void EditWidget::SelectWordAtCursor()
{
    const std::u16string& shown = DisplayedText();
    const int len = int(shown.size());
    if (cursor < 0 || cursor >= len)
        return;
    anchor = cursor;
    while (anchor > 0 && IsWordChar(shown[size_t(anchor) - 1]))
        --anchor;
    while (cursor < len - 1 && IsWordChar(shown[size_t(cursor) + 1]))
        ++cursor;
    if (cursor < len)
        ++cursor;
}

int EditWidget::CharIndexAt(int px, int /*py*/)
{
    const std::u16string_view shown(DisplayedText());
    const int len = int(shown.size());
    const int first = std::clamp(firstVisible, 0, len);
    // Index i (from the first visible character) is passed once x reaches
    // the middle of its character; the middles only grow, so the passed
    // ones form a run found by bisection.
    const int base = TextWidth(shown.substr(0, size_t(first)));
    auto passed = [&](int i) {
        const int w1 = TextWidth(shown.substr(0, size_t(i))) - base;
        const int w2 = TextWidth(shown.substr(0, size_t(i) + 1)) - base;
        return px >= (w1 + w2) / 2 + 5;
    };
    int lo = first; // first index not known to be passed
    int hi = len;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (passed(mid))
            lo = mid + 1;
        else
            hi = mid;
    }
    // Left of the first visible character's middle: the cursor stays on
    // the first visible character rather than jumping out of view.
    return lo;
}

void EditWidget::ScrollToCursor(bool largeSteps)
{
    const int step = largeSteps ? 10 : 1;
    const std::u16string_view shown(DisplayedText());
    const int len = int(shown.size());
    const int target = std::clamp(cursor, 0, len);
    const int oldFirst = firstVisible;

    if (target < firstVisible) {
        const int steps = (firstVisible - target + step - 1) / step;
        firstVisible = std::max(firstVisible - steps * step, 0);
    }
    if (font && width >= 9) {
        // Move forward while the text from the first visible character to
        // the cursor fills the field, never past the cursor or the last
        // character. The filled test only turns false as the first visible
        // character advances, so the stopping step is found by bisection.
        const int limit = width - 8;
        const int cap = std::min(std::max(len - 1, 0), target);
        const int start = firstVisible;
        if (cap > start) {
            const int cursorWidth = TextWidth(shown.substr(0, size_t(target)));
            auto firstAt = [&](int k) { return std::min(start + k * step, cap); };
            auto fills = [&](int k) {
                return cursorWidth - TextWidth(shown.substr(0, size_t(firstAt(k)))) >= limit;
            };
            int lo = 0;
            int hi = (cap - start + step - 1) / step;
            while (lo < hi) {
                const int mid = lo + (hi - lo) / 2;
                if (fills(mid))
                    lo = mid + 1;
                else
                    hi = mid;
            }
            firstVisible = firstAt(lo);
        }
    }
    if (firstVisible != oldFirst)
        Invalidate();
}

void EditWidget::SetFont(const Font* newFont, const Font* widthCheckFont)
{
    // Cloned before the old fonts go: either argument may be one of them.
    std::unique_ptr<Font> kept(newFont ? newFont->Clone() : nullptr);
    std::unique_ptr<Font> check(widthCheckFont ? widthCheckFont->Clone() : nullptr);
    font = std::move(kept);
    widthCheckFonts.clear();
    if (check)
        widthCheckFonts.push_back({std::move(check), -1});
}

void EditWidget::SetText(const std::u16string& newText, bool resetScroll)
{
    if (listener && !listener->AllowText(id, newText))
        return;
    text = newText;
    anchor = -1;
    cursor = int(text.size());
    lastEditPos = kNoEditRun;
    if (resetScroll)
        firstVisible = 0;
    else
        ScrollToCursor(true);
    Invalidate();
}

void EditWidget::EraseSelection()
{
    const int len = int(text.size());
    const int lo = std::clamp(std::min(cursor, anchor), 0, len);
    const int hi = std::clamp(std::max(cursor, anchor), 0, len);
    text.erase(size_t(lo), size_t(hi - lo));
    cursor = lo;
    anchor = -1;
}

bool EditWidget::CanEnter(char16_t ch)
{
    if (ch < 0x20 || ch == 0x7F)
        return false;
    if (TextWidth(std::u16string_view(&ch, 1)) < 1)
        return false;
    return !listener || listener->AllowChar(id, ch);
}

void EditWidget::CutToWidth(Font& measure, int limit)
{
    const std::u16string_view view(text);
    auto widthOf = [&](int n) { return measure.WidthOfText(view.substr(0, size_t(n)), 1.0f, 1.0f, 0.0f); };
    if (widthOf(int(text.size())) <= limit)
        return;
    // The longest prefix that fits (widths only grow with the length).
    int lo = 0;
    int hi = int(text.size()) - 1;
    while (lo < hi) {
        const int mid = lo + (hi - lo + 1) / 2;
        if (widthOf(mid) <= limit)
            lo = mid;
        else
            hi = mid - 1;
    }
    text.resize(size_t(lo));
}

void EditWidget::ApplyWidthLimits()
{
    if (widthCheckFonts.empty()) {
        if (maxPixelWidth > 0)
            CutToWidth(*GetFont(), maxPixelWidth);
        return;
    }
    for (WidthCheckFont& check : widthCheckFonts) {
        const int limit = check.maxWidth > 0 ? check.maxWidth : maxPixelWidth;
        // Neither limit set: this font limits nothing.
        if (limit > 0 && check.font)
            CutToWidth(*check.font, limit);
    }
}

void EditWidget::HandleKey(int key, char16_t ch)
{
    if (ch == 0 && (key == KEYCODE_SHIFT || key == KEYCODE_CONTROL))
        return;

    const bool shift = KeyDown(KEYCODE_SHIFT);
    const bool control = KeyDown(KEYCODE_CONTROL);
    const bool alt = KeyDown(KEY_ALT);

    // The state as it was, for a refused text and for undo.
    const std::u16string oldText = text;
    const int oldCursor = cursor;
    const int oldAnchor = anchor;
    const int oldFirstVisible = firstVisible;
    const int oldLastEdit = lastEditPos;
    const std::u16string oldUndoText = undoText;
    const int oldUndoCursor = undoCursor;
    const int oldUndoAnchor = undoAnchor;

    if (shift && anchor < 0)
        anchor = cursor;
    bool keepSelection = shift;
    bool recordUndo = false;
    const int len = int(text.size());

    if (ch == CHAR_COPY || ch == CHAR_CUT) {
        if (HasSelection()) {
            const std::u16string_view shown(DisplayedText());
            const int lo = std::clamp(std::min(cursor, anchor), 0, len);
            const int hi = std::clamp(std::max(cursor, anchor), 0, len);
            if (WidgetApp* app = TheWidgetApp())
                app->CopyToClipboard(Utf16ToWindows1252(shown.substr(size_t(lo), size_t(hi - lo))));
            if (ch == CHAR_CUT) {
                EraseSelection();
                recordUndo = true;
            }
        }
        if (ch == CHAR_COPY)
            keepSelection = true;
    } else if (ch == CHAR_PASTE) {
        WidgetApp* app = TheWidgetApp();
        const std::u16string pasted = app ? Windows1252ToUtf16(app->GetClipboardText()) : std::u16string();
        std::u16string accepted;
        for (char16_t c : pasted) {
            if (c == u'\r' || c == u'\n')
                break;
            if (CanEnter(c))
                accepted += c;
        }
        if (!accepted.empty()) {
            if (HasSelection())
                EraseSelection();
            anchor = -1;
            text.insert(size_t(cursor), accepted);
            cursor += int(accepted.size());
            recordUndo = true;
        }
    } else if (ch == CHAR_UNDO) {
        std::swap(text, undoText);
        std::swap(cursor, undoCursor);
        std::swap(anchor, undoAnchor);
        lastEditPos = -1;
        keepSelection = true;
    } else {
        const std::u16string& shown = DisplayedText();
        switch (key) {
        case KEY_BACKSPACE:
            if (HasSelection()) {
                EraseSelection();
                recordUndo = true;
            } else if (cursor > 0 && cursor <= len) {
                text.erase(size_t(cursor) - 1, 1);
                recordUndo = cursor != lastEditPos + 1;
                lastEditPos = cursor - 2;
                --cursor;
                anchor = -1;
            }
            break;
        case KEY_RETURN:
            if (listener)
                listener->EditTextEntered(id, text);
            break;
        case KEY_END: cursor = len; break;
        case KEY_HOME: cursor = 0; break;
        case KEY_LEFT:
            if (control) {
                while (cursor > 0 && !IsWordChar(shown[size_t(cursor) - 1]))
                    --cursor;
                while (cursor > 0 && IsWordChar(shown[size_t(cursor) - 1]))
                    --cursor;
            } else if (!shift && HasSelection()) {
                cursor = std::min(cursor, anchor);
            } else {
                --cursor;
            }
            break;
        case KEY_RIGHT: {
            const bool selected = HasSelection();
            const int selectionEnd = std::max(cursor, anchor);
            if (control) {
                while (cursor < len - 1 && IsWordChar(shown[size_t(cursor) + 1]))
                    ++cursor;
                while (cursor < len - 1 && !IsWordChar(shown[size_t(cursor) + 1]))
                    ++cursor;
            }
            if (shift || !selected)
                ++cursor;
            else
                cursor = selectionEnd;
            break;
        }
        case KEY_DELETE:
            if (HasSelection()) {
                EraseSelection();
                recordUndo = true;
            } else if (cursor >= 0 && cursor < len) {
                text.erase(size_t(cursor), 1);
                recordUndo = cursor != lastEditPos;
                lastEditPos = cursor;
            }
            break;
        default:
            if (ch != 0 && !control && !alt && CanEnter(ch)) {
                if (HasSelection()) {
                    EraseSelection();
                    recordUndo = true;
                } else {
                    recordUndo = cursor != lastEditPos + 1;
                    lastEditPos = cursor;
                }
                cursor = std::clamp(cursor, 0, int(text.size()));
                text.insert(size_t(cursor), 1, ch);
                anchor = -1;
                ++cursor;
                ScrollToCursor(false);
            } else {
                // Nothing typed (or a key with no editing meaning): the
                // selection stays.
                keepSelection = true;
            }
            break;
        }
    }

    if (maxLength >= 0 && int(text.size()) > maxLength)
        text.resize(size_t(maxLength));
    ApplyWidthLimits();
    const int newLen = int(text.size());
    cursor = std::clamp(cursor, 0, newLen);
    if (anchor > newLen)
        anchor = newLen;
    if (cursor != oldCursor) {
        blinkCounter = 0;
        caretShown = true;
    }
    ScrollToCursor(true);
    if (!keepSelection || anchor == cursor)
        anchor = -1;

    if (listener && !listener->AllowText(id, text)) {
        text = oldText;
        cursor = oldCursor;
        anchor = oldAnchor;
        firstVisible = oldFirstVisible;
        lastEditPos = oldLastEdit;
        undoText = oldUndoText;
        undoCursor = oldUndoCursor;
        undoAnchor = oldUndoAnchor;
    } else if (recordUndo && text != oldText) {
        undoText = oldText;
        undoCursor = oldCursor;
        undoAnchor = oldAnchor;
    }
    Invalidate();
}

void EditWidget::Draw(Graphics& g)
{
    Font* drawFont = GetFont();
    g.color = GetColor(0);
    g.FillRectangle(0, 0, width, height);

    const std::u16string_view shown(DisplayedText());
    const int len = int(shown.size());
    const int first = std::clamp(firstVisible, 0, len);
    // Only the characters that can show in the field are drawn.
    const int room = width - 8;
    int count = 0;
    {
        int lo = 0;
        int hi = len - first;
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            if (drawFont->WidthOfText(shown.substr(size_t(first), size_t(mid)), 1.0f, 1.0f, 0.0f) > room)
                hi = mid;
            else
                lo = mid + 1;
        }
        count = std::min(lo + 1, len - first);
    }
    const std::u16string_view visible = shown.substr(size_t(first), size_t(count));
    const int fontHeight = drawFont->Height();
    const int top = (height - fontHeight) / 2;
    const int baseline = top + drawFont->Ascent();

    {
        Graphics textPass(g);
        textPass.font = drawFont;
        textPass.NarrowClip(4, 0, width - 8, height);
        textPass.color = GetColor(2);
        textPass.DrawText(visible, 4, baseline);
    }
    {
        Graphics caretPass(g);
        caretPass.font = drawFont;
        const int cx = VisibleWidthTo(cursor);
        int end = HasSelection() ? VisibleWidthTo(anchor) : cx + 2;
        int start = caretShown ? cx : cx + 2;
        end = std::clamp(end, 0, std::max(room, 0));
        start = std::clamp(start, 0, std::max(room, 0));
        const Rect band(std::min(start, end) + 4, top, std::abs(end - start), fontHeight);
        caretPass.NarrowClip(band.x, band.y, band.width, band.height);
        if (hasFocus || drawAsFocused) {
            caretPass.color = GetColor(3);
            caretPass.FillRectangle(band);
            caretPass.color = GetColor(4);
        } else {
            caretPass.color = GetColor(2);
        }
        caretPass.DrawText(visible, 4, baseline);
    }

    g.color = GetColor(1);
    g.OutlineRectangle(0, 0, width - 1, height - 1);
}

} // namespace Quib
