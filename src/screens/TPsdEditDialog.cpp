#include "src/screens/TPsdEditDialog.h"

#include "framework/app/QuibAppBase.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/widgets/WidgetManager.h"
#include "src/GameResources.h"
#include "src/Lang.h"
#include "src/game/quest/PsdPicture.h"
#include "src/screens/TGameButton.h"

#include <algorithm>

namespace Quib {

namespace {

constexpr int kKeyEnter = 13;
constexpr int kKeyEscape = 27;

void MoveLayer(PsdPicture& layout, const char* name, int dx)
{
    if (PsdPictureLayer* layer = layout.FindLayer(name))
        layer->x += dx;
}

} // namespace

TPsdEditDialog::TPsdEdit::TPsdEdit(EditListener* editListener) : EditWidget(editListener)
{
    SetColor(0, Color(0, 0, 0, 0));
    SetColor(1, Color(0, 0, 0, 0));
    SetColor(2, Color(kTextColor));
    SetColor(3, Color(255, 243, 152, 175));
}

TPsdEditDialog::TPsdEditDialog(const std::string& okKey, const std::string& cancelKey,
                               const std::string& messageKey, std::u16string* text, bool showCancel)
    : Dialog(0, true, u"", u"", u"", 0), resultText(text),
      layout(std::make_unique<PsdPicture>("data/gui/dialog/", true))
{
    layout->SetLayerFlag("buttons/", false);
    Rect back;
    layout->GetLayerRect(back, "back", false);
    SetBounds(back.x, back.y, back.width, back.height);
    layout->Offset(-back.x, -back.y);
    layout->GetLayerRect(messageRect, "dialog", true);

    Lang& lang = Lang::Instance();
    message = lang("Interface", messageKey);

    okButton = CreateGameButton(*layout, kOk, "buttons/ok/ok_in", "buttons/ok/ok_ac", this,
                                lang("Interface", okKey));
    okButton->font = FONT_BUTTON;
    okButton->SetColor(0, Color(kButtonTextColor));
    okButton->SetColor(1, Color(kButtonTextColor));
    AttachChild(okButton);

    TGameButton* cancel = CreateGameButton(*layout, kCancel, "buttons/close/close_in", "buttons/close/close_ac",
                                           this, cancelKey.empty() ? std::u16string() : lang("Interface", cancelKey));
    cancel->font = FONT_BUTTON;
    cancel->SetColor(0, Color(kButtonTextColor));
    cancel->SetColor(1, Color(kButtonTextColor));
    if (showCancel) {
        cancelButton = cancel;
        AttachChild(cancelButton);
        hasCancel = true;
    } else {
        layout->SetLayerDrawFlag("right_button", false);
        // One button, centred between the two places.
        const int d = (cancel->width + okButton->x - cancel->x - okButton->width) / 2;
        okButton->MoveTo(okButton->x - d, okButton->y);
        MoveLayer(*layout, "left_button", -d);
        delete cancel;
        hasCancel = false;
    }

    layout->GetLayerRect(back, "profile_name", true);
    if (text) {
        edit = new TPsdEdit(this);
        edit->SetFont(FONT_BUTTON, nullptr);
        const Font* font = FONT_BUTTON;
        edit->SetBounds(back.x, back.y, back.width, font ? font->Height() : back.height);
        AttachChild(edit);
        const std::u16string start = *text;
        edit->SetText(start, true);
        AllowText(0, edit->text);
    } else {
        layout->SetLayerDrawFlag("profile_bar", false);
    }
}

TPsdEditDialog::~TPsdEditDialog()
{
    layout.reset();
    DetachAllChildren(true, false);
    edit = nullptr;
    okButton = nullptr;
    cancelButton = nullptr;
}

void TPsdEditDialog::OnAttachedToManager(WidgetManager* widgetManager)
{
    Dialog::OnAttachedToManager(widgetManager);
    if (edit && widgetManager)
        widgetManager->SetFocusWidget(edit);
}

void TPsdEditDialog::Draw(Graphics& g)
{
    layout->DrawAll(g);
    g.color = Color(kTextColor);
    g.font = FONT_HEAD;
    if (!g.font)
        return;
    const int textWidth = g.TextWidth(message);
    if (textWidth <= messageRect.width) {
        g.DrawText(message, messageRect.x + (messageRect.width - textWidth) / 2,
                   CentredBaseline(messageRect, g.font));
    } else {
        // A long message wraps rather than running out of the box.
        const int lines = g.MeasureWrappedText(messageRect.width, message, -1, nullptr);
        Rect r = messageRect;
        r.y += std::max(0, (messageRect.height - lines) / 2);
        g.DrawWrappedText(message, r, -1, 0, nullptr);
    }
}

void TPsdEditDialog::ButtonPressByMouse(int id, int mouseButton)
{
    if (mouseButton == 0)
        Dialog::ButtonPress(id);
}

void TPsdEditDialog::ButtonDepressByMouse(int id, int mouseButton)
{
    if (mouseButton == 0)
        Dialog::ButtonDepress(id);
}

bool TPsdEditDialog::AllowKey(int, int key)
{
    if (key == kKeyEnter) {
        if (okButton && okButton->visible)
            ButtonDepressByMouse(kOk, 0);
    } else if (key == kKeyEscape) {
        if (hasCancel)
            ButtonDepressByMouse(kCancel, 0);
    }
    return true;
}

bool TPsdEditDialog::AllowText(int, const std::u16string& newText)
{
    if (newText.find(u' ') != std::u16string::npos || int(newText.size()) > maxNameLength)
        return false;
    if (okButton) {
        okButton->disabled = newText.empty();
        okButton->visible = !okButton->disabled;
        layout->SetLayerDrawFlag("left_button", okButton->visible);
    }
    if (resultText)
        *resultText = newText;
    return true;
}

int RunPsdEditDialog(TPsdEditDialog* dialog)
{
    if (!gQuibAppBase) {
        delete dialog;
        return DIALOG_NO_RESULT;
    }
    gQuibAppBase->ShowDialog(dialog);
    return dialog->WaitForResult(true);
}

void ShowProfileExistsDialog()
{
    RunPsdEditDialog(new TPsdEditDialog("ProfDlgExistsOk", "", "ProfDlgExistsText", nullptr, false));
}

} // namespace Quib
