#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/widgets/EditListener.h"
#include "framework/widgets/EditWidget.h"
#include "tests/support/RecordingImage.h"
#include "tests/support/TestWidgetApp.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace Quib {
namespace EditWidgetTesting {

using namespace Testing;

// Every character 10 pixels wide unless listed; nothing is drawn.
class FixedFont : public Font {
public:
    using Font::LayoutText;
    using Font::RenderText;

    FixedFont()
    {
        ascent = 8;
        height = 12;
        loaded = true;
    }
    Font* Clone() const override { return new FixedFont(*this); }
    void LayoutText(FRect& r, std::u16string_view text, float x, float y, float sx, float sy, float, int,
                    int) const override
    {
        int w = 0;
        for (char16_t c : text) {
            auto it = widths.find(c);
            w += it == widths.end() ? 10 : it->second;
        }
        r = FRect(x, y, float(w) * sx, float(height) * sy);
    }
    void RenderText(Graphics&, int x, int y, std::u16string_view text, const Color& color, const Rect& clip, float,
                    float, float, int, int) const override
    {
        if (drawn)
            drawn->push_back({std::u16string(text), x, y, color, clip});
    }

    struct Drawn {
        std::u16string text;
        int x, y;
        Color color;
        Rect clip;
    };
    std::map<char16_t, int> widths{{u'\u200B', 0}};
    std::vector<Drawn>* drawn = nullptr;
};

struct RecordingEditListener : EditListener {
    std::vector<int> keysAsked;
    std::vector<std::u16string> entered;
    size_t maxTextLength = 1000000;
    bool refuseDigits = false;
    int refusedKey = -1;

    void EditTextEntered(int, const std::u16string& text) override { entered.push_back(text); }
    bool AllowKey(int, int key) override
    {
        keysAsked.push_back(key);
        return key != refusedKey;
    }
    bool AllowChar(int, char16_t c) override { return !(refuseDigits && c >= u'0' && c <= u'9'); }
    bool AllowText(int, const std::u16string& text) override { return text.size() <= maxTextLength; }
};

enum : int { VK_BACK = 8, VK_RETURN = 13, VK_END = 35, VK_HOME = 36, VK_LEFT = 37, VK_RIGHT = 39, VK_DELETE = 46 };

// An edit field 200 x 20 at (10, 10) with the 10-pixel font, focused.
struct EditFixture {
    TestWidgetApp app;
    RecordingEditListener listener;
    EditWidget edit{&listener};

    EditFixture()
    {
        FixedFont font;
        edit.SetFont(&font, nullptr);
        edit.SetBounds(10, 10, 200, 20);
        app.manager->AttachChild(&edit);
        app.manager->SetFocusWidget(&edit);
    }
    ~EditFixture() { app.manager->DetachChild(&edit); }

    WidgetManager& M() { return *app.manager; }
    void Key(int key) { M().HandleKeyDown(key), M().HandleKeyUp(key); }
    void Type(std::u16string_view s)
    {
        for (char16_t c : s)
            M().HandleKeyChar(c);
    }
    void WithHeld(int held, int key)
    {
        M().HandleKeyDown(held);
        Key(key);
        M().HandleKeyUp(held);
    }
    // A control character as the keyboard sends it: Ctrl down, the letter
    // key, its control character.
    void Control(char letter)
    {
        M().HandleKeyDown(17);
        M().HandleKeyDown(letter);
        M().HandleKeyChar(char16_t(letter - 'A' + 1));
        M().HandleKeyUp(letter);
        M().HandleKeyUp(17);
    }
    void Set(const std::u16string& text, int cursor, int anchor)
    {
        edit.SetText(text, true);
        edit.cursor = cursor;
        edit.anchor = anchor;
    }
};

TEST(EditWidget, CopyTakesTheSelectionOfTheShownText)
{
    EditFixture f;
    f.Set(u"hello world", 8, 2);
    f.Control('C');
    EXPECT_EQ(f.app.clipboard, "llo wo");
    EXPECT_EQ(f.edit.anchor, 2); // the selection stays
    EXPECT_EQ(f.edit.cursor, 8);

    f.edit.passwordChar = u'*';
    f.app.clipboard.clear();
    f.Control('C');
    EXPECT_EQ(f.app.clipboard, "******");

    // Nothing selected: the clipboard is left alone.
    f.edit.anchor = -1;
    f.Control('C');
    EXPECT_EQ(f.app.clipboard, "******");
}

TEST(EditWidget, CopyConvertsToNarrowText)
{
    EditFixture f;
    f.Set(u"caf\u00E9 \u20AC \u4E2D", 8, 0);
    f.Control('C');
    EXPECT_EQ(f.app.clipboard, "caf\xE9 \x80 ?");
}

TEST(EditWidget, CutRemovesTheSelectionAndUndoBringsItBack)
{
    EditFixture f;
    f.Set(u"hello world", 5, 11);
    f.Control('X');
    EXPECT_EQ(f.app.clipboard, " world");
    EXPECT_EQ(f.edit.text, u"hello");
    EXPECT_EQ(f.edit.cursor, 5);
    EXPECT_EQ(f.edit.anchor, -1);
    f.Control('Z');
    EXPECT_EQ(f.edit.text, u"hello world");
    EXPECT_EQ(f.edit.cursor, 5);
    EXPECT_EQ(f.edit.anchor, 11);
}

TEST(EditWidget, PasteTakesTheFirstLineOfAllowedDrawableCharacters)
{
    struct Case {
        const char* clipboard;
        std::u16string text;
        int cursor, anchor;
        int maxLength;
        std::u16string result;
        int resultCursor;
    };
    const Case cases[] = {
        {"abc\r\ndef", u"", 0, -1, -1, u"abc", 3},
        {"xyz", u"hello", 1, 4, -1, u"hxyzo", 4}, // replaces the selection
        {"a1b2", u"", 0, -1, -1, u"ab", 2},       // digits refused by the listener
        {"a\tb\x7F"
         "c",
         u"", 0, -1, -1, u"abc", 3},                      // control characters never go in
        {"abcdefgh", u"", 0, -1, 5, u"abcde", 5},         // cut to the maximum length
        {"\xE9\x80", u"", 0, -1, -1, u"\u00E9\u20AC", 2}, // widened from Windows-1252
        {"", u"keep", 2, 0, -1, u"keep", 2},              // empty clipboard: nothing
    };
    for (const Case& c : cases) {
        EditFixture f;
        f.listener.refuseDigits = true;
        f.edit.maxLength = c.maxLength;
        f.Set(c.text, c.cursor, c.anchor);
        f.app.clipboard = c.clipboard;
        f.Control('V');
        EXPECT_EQ(f.edit.text, c.result) << c.clipboard;
        EXPECT_EQ(f.edit.cursor, c.resultCursor) << c.clipboard;
    }
}

TEST(EditWidget, ZeroWidthCharactersAreNotEntered)
{
    EditFixture f;
    f.Type(u"a\u200Bb");
    EXPECT_EQ(f.edit.text, u"ab");
    EXPECT_EQ(f.edit.cursor, 2);
}

TEST(EditWidget, TypingRunsUndoAsOneStep)
{
    EditFixture f;
    f.edit.SetText(u"xy", true);
    f.Type(u"abcde");
    EXPECT_EQ(f.edit.text, u"xyabcde");
    f.Control('Z');
    EXPECT_EQ(f.edit.text, u"xy");
    EXPECT_EQ(f.edit.cursor, 2);
    f.Control('Z');
    EXPECT_EQ(f.edit.text, u"xyabcde");

    // A run of Backspaces is one step as well.
    f.Key(VK_END);
    f.Key(VK_BACK);
    f.Key(VK_BACK);
    f.Key(VK_BACK);
    EXPECT_EQ(f.edit.text, u"xyab");
    f.Control('Z');
    EXPECT_EQ(f.edit.text, u"xyabcde");
}

TEST(EditWidget, TypingAtTheStartAfterSetTextCanBeUndone)
{
    EditFixture f;
    f.edit.SetText(u"hello", true);
    f.Key(VK_HOME);
    f.Type(u"x");
    EXPECT_EQ(f.edit.text, u"xhello");
    f.Control('Z');
    EXPECT_EQ(f.edit.text, u"hello");
}

TEST(EditWidget, KeysThatChangeNothingKeepTheUndoStep)
{
    EditFixture f;
    f.edit.SetText(u"ab", true);
    f.Type(u"c");
    f.Key(VK_HOME);
    f.Key(VK_BACK); // nothing before the cursor
    EXPECT_EQ(f.edit.text, u"abc");
    EXPECT_EQ(f.edit.cursor, 0);
    f.app.clipboard.clear();
    f.Control('V'); // nothing to paste
    f.Control('Z');
    EXPECT_EQ(f.edit.text, u"ab");
}

TEST(EditWidget, CursorMovesAndSelections)
{
    struct Case {
        const char16_t* text;
        int cursor, anchor;
        int held; // 0, or the key held during the key
        int key;
        int resultCursor, resultAnchor;
        const char16_t* resultText;
    };
    const Case cases[] = {
        {u"abcdef", 3, -1, 16, VK_RIGHT, 4, 3, u"abcdef"}, // Shift+Right selects one
        {u"abcdef", 4, 3, 0, VK_RIGHT, 4, -1, u"abcdef"},  // Right: selection's right end
        {u"abcdef", 4, 1, 0, VK_LEFT, 1, -1, u"abcdef"},   // Left: selection's left end
        {u"abcdef", 3, -1, 0, VK_LEFT, 2, -1, u"abcdef"},
        {u"abcdef", 0, -1, 0, VK_LEFT, 0, -1, u"abcdef"},
        {u"abcdef", 6, -1, 0, VK_RIGHT, 6, -1, u"abcdef"},
        {u"abcdef", 3, -1, 0, VK_HOME, 0, -1, u"abcdef"},
        {u"abcdef", 3, -1, 16, VK_END, 6, 3, u"abcdef"},
        {u"foo bar", 0, -1, 17, VK_RIGHT, 4, -1, u"foo bar"}, // word jumps
        {u"foo bar", 4, -1, 17, VK_RIGHT, 7, -1, u"foo bar"},
        {u"foo bar", 7, -1, 17, VK_LEFT, 4, -1, u"foo bar"},
        {u"foo  bar", 5, -1, 17, VK_LEFT, 0, -1, u"foo  bar"},
        {u"abcdef", 3, -1, 0, VK_BACK, 2, -1, u"abdef"},
        {u"abcdef", 0, -1, 0, VK_BACK, 0, -1, u"abcdef"},
        {u"abcdef", 4, 1, 0, VK_BACK, 1, -1, u"aef"},
        {u"abcdef", 3, -1, 0, VK_DELETE, 3, -1, u"abcef"},
        {u"abcdef", 6, -1, 0, VK_DELETE, 6, -1, u"abcdef"},
        {u"abcdef", 1, 4, 0, VK_DELETE, 1, -1, u"aef"},
        {u"abcdef", 2, 4, 0, '5', 2, 4, u"abcdef"}, // a key without editing meaning keeps the selection
    };
    for (const Case& c : cases) {
        EditFixture f;
        f.Set(c.text, c.cursor, c.anchor);
        if (c.held)
            f.WithHeld(c.held, c.key);
        else
            f.Key(c.key);
        EXPECT_EQ(f.edit.cursor, c.resultCursor) << c.key << " from " << c.cursor;
        EXPECT_EQ(f.edit.anchor, c.resultAnchor) << c.key << " from " << c.cursor;
        EXPECT_EQ(f.edit.text, c.resultText) << c.key << " from " << c.cursor;
    }
}

TEST(EditWidget, TypingReplacesTheSelection)
{
    EditFixture f;
    f.Set(u"hello", 4, 1);
    f.Type(u"i");
    EXPECT_EQ(f.edit.text, u"hio");
    EXPECT_EQ(f.edit.cursor, 2);
    EXPECT_EQ(f.edit.anchor, -1);

    // Typed with Control held: nothing, and the selection stays.
    f.edit.anchor = 0;
    f.M().HandleKeyDown(17);
    f.M().HandleKeyChar(u'q');
    f.M().HandleKeyUp(17);
    EXPECT_EQ(f.edit.text, u"hio");
    EXPECT_EQ(f.edit.anchor, 0);
}

TEST(EditWidget, LetterKeysAreLeftToTheirCharacters)
{
    EditFixture f;
    f.Set(u"hello", 5, 0);
    // Every letter key, 'Z' included, is left out of AllowKey and HandleKey,
    // so the character that follows replaces the selection.
    for (int key = 'A'; key <= 'Z'; ++key)
        f.Key(key);
    EXPECT_TRUE(f.listener.keysAsked.empty());
    EXPECT_EQ(f.edit.anchor, 0);
    f.M().HandleKeyDown('Z');
    f.M().HandleKeyChar(u'z');
    f.M().HandleKeyUp('Z');
    EXPECT_EQ(f.edit.text, u"z");

    f.Key('0');
    f.Key(VK_HOME);
    EXPECT_EQ(f.listener.keysAsked, (std::vector<int>{'0', VK_HOME}));
}

TEST(EditWidget, RefusedKeysCharactersAndTexts)
{
    EditFixture f;
    f.Set(u"abc", 3, -1);
    f.listener.refusedKey = VK_HOME;
    f.Key(VK_HOME);
    EXPECT_EQ(f.edit.cursor, 3);

    f.listener.refuseDigits = true;
    f.Type(u"1");
    EXPECT_EQ(f.edit.text, u"abc");

    // A refused text restores everything, the cursor included.
    f.listener.maxTextLength = 3;
    f.Type(u"d");
    EXPECT_EQ(f.edit.text, u"abc");
    EXPECT_EQ(f.edit.cursor, 3);
    f.Key(VK_LEFT);
    f.Type(u"d");
    EXPECT_EQ(f.edit.text, u"abc");
    EXPECT_EQ(f.edit.cursor, 2);

    // Nor does SetText get past the listener.
    f.edit.SetText(u"abcd", true);
    EXPECT_EQ(f.edit.text, u"abc");
}

TEST(EditWidget, RefusedUndoKeepsTheUndoStep)
{
    EditFixture f;
    f.edit.SetText(u"ab", true);
    f.Type(u"cd");
    f.listener.maxTextLength = 3; // the undone text "ab" is fine, "abcd" is not
    f.Control('Z');
    EXPECT_EQ(f.edit.text, u"ab");
    f.Control('Z'); // back to "abcd": refused
    EXPECT_EQ(f.edit.text, u"ab");
    f.listener.maxTextLength = 100;
    f.Control('Z');
    EXPECT_EQ(f.edit.text, u"abcd");
}

TEST(EditWidget, EnterReportsTheText)
{
    EditFixture f;
    f.edit.SetText(u"name", true);
    f.Key(VK_RETURN);
    f.Type(u"\r");
    EXPECT_EQ(f.listener.entered, (std::vector<std::u16string>{u"name"}));
    EXPECT_EQ(f.edit.text, u"name");
}

TEST(EditWidget, LengthAndPixelLimits)
{
    EditFixture f;
    // A text set longer than the limit is cut by the next key.
    f.edit.maxLength = 5;
    f.edit.SetText(std::u16string(100, u'x'), false);
    EXPECT_EQ(f.edit.cursor, 100);
    f.Key(VK_END);
    EXPECT_EQ(f.edit.text, u"xxxxx");
    EXPECT_EQ(f.edit.cursor, 5);
    f.Type(u"yyy");
    EXPECT_EQ(f.edit.text, u"xxxxx");

    f.edit.maxLength = -1;
    f.edit.maxPixelWidth = 35;
    f.edit.SetText(u"", true);
    f.Type(u"abcdef");
    EXPECT_EQ(f.edit.text, u"abc");

    // A width-check font measures with its own widths.
    FixedFont wide;
    wide.widths[u'w'] = 30;
    f.edit.SetFont(f.edit.font.get(), &wide);
    f.edit.SetText(u"", true);
    f.Type(u"aw");
    EXPECT_EQ(f.edit.text, u"a");
    f.Type(u"bc");
    EXPECT_EQ(f.edit.text, u"abc");

    // With neither the font's nor the field's limit set nothing is cut.
    f.edit.maxPixelWidth = -1;
    f.Type(u"wwwwwwwwww");
    EXPECT_EQ(f.edit.text, u"abcwwwwwwwwww");
}

TEST(EditWidget, DoubleClickSelectsTheWord)
{
    EditFixture f;
    f.edit.SetText(u"foo bar", true);
    // The b spans 44..53 of the field (text starts at x 4).
    const int bx = 10 + 45;
    f.M().HandleMouseDown(bx, 20, CLICK_LEFT);
    f.M().HandleMouseUp(bx, 20, CLICK_LEFT);
    EXPECT_EQ(f.edit.cursor, 4);
    EXPECT_EQ(f.edit.anchor, -1);
    f.M().HandleMouseDown(bx, 20, CLICK_LEFT_DOUBLE);
    EXPECT_EQ(f.edit.anchor, 4);
    EXPECT_EQ(f.edit.cursor, 7);
    f.M().HandleMouseUp(bx, 20, CLICK_LEFT_DOUBLE);
    EXPECT_EQ(f.edit.anchor, 4);
    EXPECT_EQ(f.edit.cursor, 7);
    EXPECT_FALSE(f.edit.doubleClickPending);

    f.edit.cursor = 1;
    f.edit.SelectWordAtCursor();
    EXPECT_EQ(f.edit.anchor, 0);
    EXPECT_EQ(f.edit.cursor, 3);
}

TEST(EditWidget, DragSelects)
{
    EditFixture f;
    f.edit.SetText(u"abcdefgh", true);
    f.M().HandleMouseDown(10 + 24, 20, CLICK_LEFT); // cursor 2
    f.M().HandleMouseMove(10 + 64, 20);             // drag to 6
    EXPECT_EQ(f.edit.anchor, 2);
    EXPECT_EQ(f.edit.cursor, 6);
    f.M().HandleMouseUp(10 + 64, 20, CLICK_LEFT);
    EXPECT_EQ(f.edit.anchor, 2);
    // A click that does not move leaves no selection.
    f.M().HandleMouseDown(10 + 64, 20, CLICK_LEFT);
    f.M().HandleMouseUp(10 + 64, 20, CLICK_LEFT);
    EXPECT_EQ(f.edit.anchor, -1);
}

TEST(EditWidget, WordCharacters)
{
    EditWidget edit(nullptr);
    const std::pair<char16_t, bool> cases[] = {
        {u'A', true},  {u'Z', true},  {u'a', true},       {u'z', true},       {u'0', true},
        {u'9', true},  {u'_', true},  {u'\u0410', true},  {u'\u044F', true},  {u'@', false},
        {u'[', false}, {u'`', false}, {u'{', false},      {u' ', false},      {u'-', false},
        {u'/', false}, {u':', false}, {u'\u040F', false}, {u'\u0450', false}, {u'\u00E9', false},
    };
    for (const auto& [c, word] : cases)
        EXPECT_EQ(edit.IsWordChar(c), word) << int(c);
}

TEST(EditWidget, DefaultFontIsMadeOnFirstUse)
{
    // Typing before the first draw measures with the default font.
    EditWidget edit(nullptr);
    EXPECT_EQ(edit.font, nullptr);
    edit.OnKeyChar(u'a');
    edit.OnKeyChar(u'b');
    EXPECT_EQ(edit.text, u"ab");
    ASSERT_NE(edit.font, nullptr);
    EXPECT_GT(edit.font->Height(), 0);
}

TEST(EditWidget, CharIndexAtTheMiddlesOfCharacters)
{
    EditWidget edit(nullptr);
    FixedFont font;
    edit.SetFont(&font, nullptr);
    edit.width = 100;
    edit.height = 20;
    edit.text = u"abcdefghijklmnopqrstuvwxyz";
    const std::pair<int, int> atFirst0[] = {{-5, 0}, {9, 0},    {10, 1},   {19, 1},
                                            {20, 2}, {259, 25}, {260, 26}, {900, 26}};
    for (const auto& [x, index] : atFirst0)
        EXPECT_EQ(edit.CharIndexAt(x, 0), index) << x;
    // Scrolled: left of the first visible character stays on it.
    edit.firstVisible = 10;
    const std::pair<int, int> atFirst10[] = {{-5, 10}, {9, 10}, {10, 11}, {20, 12}};
    for (const auto& [x, index] : atFirst10)
        EXPECT_EQ(edit.CharIndexAt(x, 0), index) << x;
}

TEST(EditWidget, ScrollKeepsTheCursorInView)
{
    EditFixture f; // 200 wide: 19 characters of 10 fill the field
    f.edit.SetText(std::u16string(40, u'a'), true);
    EXPECT_EQ(f.edit.firstVisible, 0);
    f.edit.ScrollToCursor(false);
    EXPECT_EQ(f.edit.firstVisible, 21); // 19 characters shown before the cursor
    f.Key(VK_HOME);
    EXPECT_EQ(f.edit.firstVisible, 0);
    f.Key(VK_END); // large steps: by ten
    EXPECT_EQ(f.edit.firstVisible, 30);
    f.Key(VK_LEFT);
    EXPECT_EQ(f.edit.firstVisible, 30);
}

TEST(EditWidget, ScrollEndsWhenOneCharacterIsWiderThanTheField)
{
    // Each character alone fills the field: scrolling stops at the last one
    // instead of going on for ever.
    EditFixture f;
    FixedFont wide;
    wide.widths[u'W'] = 500;
    f.edit.SetFont(&wide, nullptr);
    f.edit.SetText(u"WWWW", false);
    EXPECT_EQ(f.edit.cursor, 4);
    EXPECT_EQ(f.edit.firstVisible, 3);
    f.edit.ScrollToCursor(false);
    EXPECT_EQ(f.edit.firstVisible, 3);
    f.Key(VK_LEFT);
    f.Key(VK_LEFT);
    EXPECT_LE(f.edit.firstVisible, f.edit.cursor);

    // A field narrower than its margins never scrolls forward.
    f.edit.SetBounds(10, 10, 8, 20);
    f.Key(VK_END);
    EXPECT_LE(f.edit.firstVisible, 3);
}

TEST(EditWidget, LongTextStaysUsable)
{
    EditFixture f;
    f.app.clipboard = std::string(20000, 'q');
    f.Control('V');
    EXPECT_EQ(f.edit.text.size(), 20000u);
    f.Key(VK_HOME);
    f.Key(VK_END);
    EXPECT_EQ(f.edit.cursor, 20000);
    EXPECT_GT(f.edit.firstVisible, 19900);
    f.M().HandleMouseDown(100, 20, CLICK_LEFT);
    f.M().HandleMouseUp(100, 20, CLICK_LEFT);
    EXPECT_GT(f.edit.cursor, 19900);
    RecordingImage dest(400, 100);
    Graphics g(&dest);
    f.edit.Draw(g);
}

TEST(EditWidget, KeysWithoutFocusOrManager)
{
    TestWidgetApp app;
    app.manager->HandleKeyDown(VK_LEFT);
    app.manager->HandleKeyChar(u'a');
    app.manager->HandleKeyUp(VK_LEFT);

    // A detached field still edits (no keys read as held).
    EditWidget edit(nullptr);
    FixedFont font;
    edit.SetFont(&font, nullptr);
    edit.OnKeyChar(u'a');
    edit.OnKeyDown(VK_LEFT);
    edit.OnKeyChar(u'b');
    EXPECT_EQ(edit.text, u"ba");
    edit.OnKeyChar(22);
    EXPECT_EQ(edit.text, u"ba");
}

TEST(EditWidget, CaretBlinksWhileFocused)
{
    EditFixture f;
    EXPECT_TRUE(f.edit.caretShown);
    for (int i = 0; i < 40; ++i)
        f.M().UpdateFrame();
    EXPECT_TRUE(f.edit.caretShown);
    f.M().UpdateFrame();
    EXPECT_FALSE(f.edit.caretShown);
    f.Type(u"a"); // moving the cursor shows it again
    EXPECT_TRUE(f.edit.caretShown);
    EXPECT_EQ(f.edit.blinkCounter, 0);

    f.M().SetFocusWidget(nullptr);
    EXPECT_FALSE(f.edit.caretShown);
    for (int i = 0; i < 100; ++i)
        f.M().UpdateFrame();
    EXPECT_FALSE(f.edit.caretShown);
    EXPECT_EQ(f.edit.blinkCounter, 0);
}

TEST(EditWidget, MouseShowsTheTextCursor)
{
    EditFixture f;
    f.M().HandleMouseMove(50, 20);
    EXPECT_EQ(f.app.cursorNum, 3);
    f.M().HandleMouseMove(500, 500);
    EXPECT_EQ(f.app.cursorNum, 0);
}

TEST(EditWidget, SystemCaretFollowsTheFocusedField)
{
    TestWidgetApp app(300, 200);
    app.systemCaret = true;
    EditWidget edit(nullptr);
    edit.SetBounds(295, 3, 50, 20);
    app.manager->AttachChild(&edit);
    app.manager->SetFocusWidget(&edit);
    ASSERT_FALSE(app.systemCarets.empty());
    EXPECT_EQ(app.systemCarets.back(), (TestWidgetApp::SystemCaret{true, 290, 10}));
    app.manager->SetFocusWidget(nullptr);
    EXPECT_FALSE(app.systemCarets.back().shown);
    app.manager->DetachChild(&edit);

    // A focused field deleted while attached takes its caret with it.
    auto* doomed = new EditWidget(nullptr);
    doomed->SetBounds(0, 0, 50, 20);
    app.manager->AttachChild(doomed);
    app.manager->SetFocusWidget(doomed);
    EXPECT_TRUE(app.systemCarets.back().shown);
    delete doomed;
    EXPECT_FALSE(app.systemCarets.back().shown);
    EXPECT_EQ(app.manager->focusWidget, nullptr);
}

TEST(EditWidget, DrawsFieldTextCaretAndFrame)
{
    EditFixture f;
    std::vector<FixedFont::Drawn> drawn;
    static_cast<FixedFont*>(f.edit.font.get())->drawn = &drawn;
    f.edit.SetText(u"abc", true);
    f.edit.cursor = 1;
    RecordingImage dest(400, 100);
    Graphics g(&dest);
    g.transX = 10;
    g.transY = 10;
    f.edit.Draw(g);

    // Background, caret bar (2 wide after the first character), frame.
    std::vector<std::pair<Rect, Color>> fills;
    for (const SlotCall& c : dest.calls)
        if (c.slot == "FillRectangle" || c.slot == "OutlineRectangle")
            fills.emplace_back(c.rect, c.color);
    ASSERT_EQ(fills.size(), 3u);
    EXPECT_EQ(fills[0], std::make_pair(Rect(10, 10, 200, 20), Color(255, 255, 255)));
    EXPECT_EQ(fills[1], std::make_pair(Rect(10 + 14, 10 + 4, 2, 12), Color(0, 0, 0)));
    EXPECT_EQ(fills[2], std::make_pair(Rect(10, 10, 199, 19), Color(0, 0, 0)));

    // The text twice at x 4, baseline (20 - 12) / 2 + 8: plain, then inverted
    // within the caret.
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].text, u"abc");
    EXPECT_EQ(std::make_pair(drawn[0].x, drawn[0].y), std::make_pair(4, 12));
    EXPECT_EQ(drawn[0].clip, Rect(14, 10, 192, 20));
    EXPECT_EQ(drawn[1].color, Color(255, 255, 255));
    EXPECT_EQ(drawn[1].clip, Rect(24, 14, 2, 12));

    // A selection is an inverted band from the anchor to the cursor.
    dest.calls.clear();
    drawn.clear();
    f.edit.anchor = 3;
    f.edit.Draw(g);
    EXPECT_EQ(drawn[1].clip, Rect(24, 14, 20, 12));
}

} // namespace EditWidgetTesting
} // namespace Quib
