// The value editors: filters, typed numbers, the colour editor's channels
// and hex field, and check boxes that follow their bound value.
#include "framework/widgets/Checkbox.h"
#include "framework/widgets/EditWidget.h"
#include "framework/widgets/ScrollbarWidget.h"
#include "src/game/editor/BoolProp.h"
#include "src/game/editor/ColorProp.h"
#include "src/game/editor/LabeledBoolProp.h"
#include "src/game/editor/NumProp.h"
#include "src/game/editor/SliderProp.h"

#include <gtest/gtest.h>

namespace Quib::Testing {
namespace {

void TypeInto(EditProp& prop, const std::u16string& keys)
{
    prop.Field()->SetText(u"", true);
    for (char16_t c : keys)
        prop.Field()->OnKeyChar(c);
}

TEST(PropertyEditors, FloatFieldFiltersAndWritesTheBoundValue)
{
    struct Case {
        std::u16string typed;
        std::u16string shown;
        float stored;
    };
    const Case cases[] = {
        {u"-1.5", u"-1.5", -1.5f},
        {u"2a.5", u"2.5", 2.5f},    // letters refused
        {u"1.2.3", u"1.23", 1.23f}, // a second point refused
        {u"4-2", u"42", 42.0f},     // a sign after the first character refused
    };
    for (const Case& c : cases) {
        float bound = 7.0f;
        FloatProp field(&bound);
        EXPECT_EQ(field.Field()->text, u"7");
        TypeInto(field, c.typed);
        EXPECT_EQ(field.Field()->text, c.shown);
        EXPECT_FLOAT_EQ(bound, c.stored);
    }
    // A lone sign is no number: the value stays.
    float bound = 3.0f;
    FloatProp field(&bound);
    TypeInto(field, u"-");
    EXPECT_FLOAT_EQ(bound, 3.0f);
    // A change made elsewhere shows after one update, and parses back.
    bound = 12.25f;
    field.Update();
    EXPECT_EQ(field.Field()->text, u"12.25");
    float parsed = 0.0f;
    ASSERT_TRUE(FloatProp::ParseText(field.Field()->text, parsed));
    EXPECT_FLOAT_EQ(parsed, 12.25f);
}

TEST(PropertyEditors, HexFieldKeepsThirtyTwoBits)
{
    uint32_t parsed = 0;
    EXPECT_TRUE(HexProp::ParseText(u"80FF0000", parsed));
    EXPECT_EQ(parsed, 0x80FF0000u);
    EXPECT_EQ(HexProp::FormatText(parsed), u"80FF0000");
    EXPECT_EQ(HexProp::FormatText(0xAu), u"0000000A");
    EXPECT_FALSE(HexProp::ParseText(u"180FF0000", parsed)); // more than 32 bits
    EXPECT_FALSE(HexProp::ParseText(u"", parsed));
    EXPECT_EQ(parsed, 0x80FF0000u);
}

TEST(PropertyEditors, ColourHexFieldAndSlidersFollowEachOther)
{
    Color colour(10, 20, 30, 255);
    ColorProp editor(u"Color", &colour);
    EXPECT_EQ(editor.Hex()->Field()->text, u"FF0A141E");
    TypeInto(*editor.Hex(), u"80FF0000");
    EXPECT_EQ(colour, Color(255, 0, 0, 128));
    EXPECT_FLOAT_EQ(editor.Slider(0)->CachedValue(), 255.0f);
    EXPECT_FLOAT_EQ(editor.Slider(1)->CachedValue(), 0.0f);
    EXPECT_FLOAT_EQ(editor.Slider(3)->CachedValue(), 128.0f);
    EXPECT_EQ(editor.Hex()->Field()->text, u"80FF0000");
    // A slider moved by the user sets its channel and the hex text.
    editor.Slider(1)->Bar()->SetValue(64.0);
    EXPECT_EQ(colour.green, 64);
    EXPECT_EQ(editor.Hex()->Field()->text, u"80FF4000");
}

TEST(PropertyEditors, ChannelsAreClamped)
{
    EXPECT_EQ(ClampChannel(255.7f), 255);
    EXPECT_EQ(ClampChannel(-3.0f), 0);
    EXPECT_EQ(ClampChannel(12.9f), 12);
    Color colour(0, 0, 0, 255);
    ColorProp editor(u"Color", &colour);
    editor.OnRed(300.0f);
    EXPECT_EQ(colour.red, 255);
}

TEST(PropertyEditors, CheckBoxFollowsItsBoolAndTheLabelToggles)
{
    bool flag = false;
    LabeledBoolProp row(u"Disabled", &flag);
    Checkbox* box = row.Bool()->Box();
    EXPECT_FALSE(box->IsChecked());
    flag = true; // changed elsewhere
    row.Bool()->Update();
    EXPECT_TRUE(box->IsChecked());
    row.OnMouseDownButton(2, 2, 1, 1); // on the label
    EXPECT_FALSE(flag);
    EXPECT_FALSE(box->IsChecked());
}

} // namespace
} // namespace Quib::Testing
