#pragma once
#include "framework/widgets/EditListener.h"
#include "src/game/editor/PropertyBase.h"

#include <string>

namespace Quib {

class EditWidget;

// A 20-pixel text field with a character filter.
class EditProp : public PropertyBase, public EditListener {
public:
    EditProp();
    ~EditProp() override;

    void LayoutAll(int x, int y, int width) override;
    virtual void OnTextChanged(const std::u16string& text);
    virtual void OnTextAccepted(const std::u16string& text);

    void EditTextEntered(int id, const std::u16string& text) override;
    bool AllowChar(int id, char16_t ch) override;
    bool AllowText(int id, const std::u16string& newText) override;

    EditWidget* Field() const { return field; }

    bool allowAny = true;
    bool allowDigits = true;
    bool allowHex = false;
    bool allowMinus = false;
    bool allowPoint = false;
    bool allowLetters = false;

protected:
    EditWidget* field = nullptr; // owned
};

} // namespace Quib
