#pragma once
#include "src/game/editor/EditProp.h"
#include "src/game/editor/ValEditorBase.h"

#include <cstdint>

namespace Quib {

// A number field: Kind 0 is the decimal float field ("%g"), Kind 1 the
// hexadecimal field of a packed 32-bit value ("%08X").
template <class T, int Kind>
class NumProp;

template <>
class NumProp<float, 0> : public ValEditorBase<float, EditProp> {
public:
    explicit NumProp(float* bound);

    void OnTextChanged(const std::u16string& text) override;
    // False (nothing stored) for a text that is not a whole number.
    static bool ParseText(const std::u16string& text, float& out);
    static std::u16string FormatText(float value);

protected:
    void ShowValue() override;
};

template <>
class NumProp<uint32_t, 1> : public ValEditorBase<uint32_t, EditProp> {
public:
    explicit NumProp(ChangeDelegate delegate);

    void OnTextChanged(const std::u16string& text) override;
    static bool ParseText(const std::u16string& text, uint32_t& out);
    static std::u16string FormatText(uint32_t value);

protected:
    void ShowValue() override;
};

using FloatProp = NumProp<float, 0>;
using HexProp = NumProp<uint32_t, 1>;

// Cached value := value, then the text is reformatted; tells nobody.
void SetNumValue(HexProp* field, uint32_t value);

} // namespace Quib
