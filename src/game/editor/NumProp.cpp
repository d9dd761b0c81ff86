#include "src/game/editor/NumProp.h"

#include "framework/files/PrintfFormat.h"
#include "framework/files/StringUtils.h"
#include "framework/widgets/EditWidget.h"

#include <cmath>

namespace Quib {

namespace {

std::string NarrowAscii(const std::u16string& text)
{
    std::string out;
    for (char16_t c : text) {
        if (c > 0x7f)
            return std::string();
        out += char(c);
    }
    return out;
}

std::u16string WidenAscii(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

// The field shows a value it formatted itself without parsing it again.
struct FormatScope {
    explicit FormatScope(bool& f) : flag(f) { flag = true; }
    ~FormatScope() { flag = false; }
    bool& flag;
};

thread_local bool g_formatting = false;

} // namespace

NumProp<float, 0>::NumProp(float* bound) : ValEditorBase<float, EditProp>(bound, 0.0f, nullptr)
{
    allowAny = false;
    allowDigits = true;
    allowMinus = true;
    allowPoint = true;
    field->mouseVisible = true;
    ShowValue();
}

bool NumProp<float, 0>::ParseText(const std::u16string& text, float& out)
{
    const std::string narrow = NarrowAscii(text);
    if (narrow.empty())
        return false;
    size_t used = 0;
    const double value = ParseDoubleC(narrow, &used);
    if (used == 0 || used != narrow.size() || !std::isfinite(value))
        return false;
    out = float(value);
    return std::isfinite(out);
}

std::u16string NumProp<float, 0>::FormatText(float value)
{
    return WidenAscii(StrFormat("%g", double(value)));
}

void NumProp<float, 0>::OnTextChanged(const std::u16string& text)
{
    if (g_formatting)
        return;
    float value = 0.0f;
    if (ParseText(text, value))
        SetValue(value);
}

void NumProp<float, 0>::ShowValue()
{
    FormatScope scope(g_formatting);
    field->SetText(FormatText(cachedValue), false);
}

NumProp<uint32_t, 1>::NumProp(ChangeDelegate delegate)
    : ValEditorBase<uint32_t, EditProp>(nullptr, 0u, std::move(delegate))
{
    allowAny = false;
    allowDigits = true;
    allowHex = true;
    field->mouseVisible = true;
    ShowValue();
}

bool NumProp<uint32_t, 1>::ParseText(const std::u16string& text, uint32_t& out)
{
    // At most eight hexadecimal digits: the value never leaves 32 bits.
    if (text.empty() || text.size() > 8)
        return false;
    uint32_t value = 0;
    for (char16_t c : text) {
        if (!IsHexDigit(c))
            return false;
        value = (value << 4) | HexDigitValue(c);
    }
    out = value;
    return true;
}

std::u16string NumProp<uint32_t, 1>::FormatText(uint32_t value)
{
    return WidenAscii(StrFormat("%08X", unsigned(value)));
}

void NumProp<uint32_t, 1>::OnTextChanged(const std::u16string& text)
{
    if (g_formatting)
        return;
    uint32_t value = 0;
    if (ParseText(text, value))
        SetValue(value);
}

void NumProp<uint32_t, 1>::ShowValue()
{
    FormatScope scope(g_formatting);
    field->SetText(FormatText(cachedValue), false);
}

void SetNumValue(HexProp* fieldProp, uint32_t value)
{
    if (fieldProp)
        fieldProp->ShowCachedValue(value);
}

} // namespace Quib
