#include "src/game/editor/EditProp.h"

#include "framework/widgets/EditWidget.h"
#include "src/GameResources.h"

#include <algorithm>

namespace Quib {

EditProp::EditProp()
{
    leftMargin = rightMargin = bottomMargin = 0;
    topMargin = 20;
    mouseVisible = false;
    field = new EditWidget(this);
    if (FONT_DEFAULT)
        field->SetFont(FONT_DEFAULT, nullptr);
    AttachChild(field);
}

EditProp::~EditProp()
{
    delete field;
}

void EditProp::LayoutAll(int newX, int newY, int newWidth)
{
    PropertyBase::LayoutAll(newX, newY, newWidth);
    field->SetBounds(leftMargin, 0, width - rightMargin - leftMargin, 20);
}

void EditProp::OnTextChanged(const std::u16string&) {}

void EditProp::OnTextAccepted(const std::u16string&) {}

void EditProp::EditTextEntered(int, const std::u16string& text)
{
    OnTextChanged(text);
}

bool EditProp::AllowChar(int, char16_t c)
{
    if (allowAny)
        return true;
    if (allowDigits && c >= u'0' && c <= u'9')
        return true;
    if (allowHex && ((c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F')))
        return true;
    if (allowMinus && c == u'-')
        return true;
    if (allowPoint && c == u'.')
        return true;
    if (allowLetters && ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')))
        return true;
    return false;
}

bool EditProp::AllowText(int, const std::u16string& newText)
{
    if (!allowAny) {
        if (allowMinus && newText.size() > 1 && newText.find(u'-', 1) != std::u16string::npos)
            return false;
        if (allowPoint && std::count(newText.begin(), newText.end(), u'.') > 1)
            return false;
    }
    OnTextAccepted(newText);
    // The field has no change notice of its own: every accepted text is a
    // change.
    OnTextChanged(newText);
    return true;
}

} // namespace Quib
