#include "framework/app/DemoDialog.h"

#include "framework/app/MarkerListBox.h"
#include "framework/app/QuibAppBase.h"
#include "framework/graphics/SysFont.h"
#include "framework/widgets/DialogButton.h"
#include "framework/widgets/EditWidget.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/WindowMessages.h"

#include <algorithm>

namespace Quib {

namespace {

const char16_t* CaptionOf(DemoDialog::Kind kind)
{
    return kind == DemoDialog::JUMP_TO_TIME ? u"Jump To Time" : u"Marker List";
}

} // namespace

DemoDialog::DemoDialog(Kind dialogKind, Procedure dialogProcedure)
    : Dialog(dialogKind == JUMP_TO_TIME ? kJumpToTimeDialogId : kMarkerListDialogId, true, CaptionOf(dialogKind),
             u"", u"", dialogKind == JUMP_TO_TIME ? DIALOG_BUTTONS_OK_CANCEL : 0),
      kind(dialogKind), procedure(std::move(dialogProcedure)),
      controlFont(std::make_unique<SysFont>("Tahoma", 8, 0))
{
    // The dialog answers to its procedure, not to the application's
    // button handlers.
    dialogListener = nullptr;
    headerFont = std::make_unique<SysFont>("Tahoma", 10, true, false, false);
    bodyFont.reset(controlFont->Clone());

    // The dialog base units of the font: its average letter width and its
    // height.
    const int letters = controlFont->WidthOfText(std::u16string_view(
                                                     u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"),
                                                 1.0f, 1.0f, 0.0f);
    baseUnitX = std::max(1, (letters / 26 + 1) / 2);
    baseUnitY = std::max(1, controlFont->Height());

    if (kind == JUMP_TO_TIME) {
        yesButton->label = u"Ok";
        noButton->label = u"Cancel";
        edit = std::make_unique<EditWidget>(this);
        edit->id = DEMO_ID_ITEM;
        edit->SetFont(controlFont.get(), nullptr);
        AttachChild(edit.get());
    } else {
        list = std::make_unique<MarkerListBox>();
        list->font.reset(controlFont->Clone());
        list->onDoubleClick = [this](int) { Command(DEMO_ID_ITEM, DEMO_NOTIFY_DOUBLE_CLICK); };
        list->onKey = [this](int key) { OnKeyDown(key); };
        AttachChild(list.get());
    }
}

DemoDialog::~DemoDialog()
{
    // Out of the tree while the controls still exist.
    if (parent)
        parent->DetachChild(this);
    if (edit)
        DetachChild(edit.get());
    if (list)
        DetachChild(list.get());
}

void DemoDialog::EndDialog(int dialogResult)
{
    result = dialogResult == DIALOG_NO_RESULT ? -1 : dialogResult;
}

void DemoDialog::Command(int controlId, int code)
{
    if (procedure) {
        procedure(*this, DEMO_DIALOG_COMMAND, controlId, code);
        return;
    }
    if (controlId == DEMO_ID_OK || controlId == DEMO_ID_CANCEL)
        EndDialog(controlId);
}

void DemoDialog::SetItemText(int controlId, const std::u16string& text)
{
    if (controlId == DEMO_ID_ITEM && edit)
        edit->SetText(text, true);
}

std::u16string DemoDialog::GetItemText(int controlId, size_t maxChars) const
{
    if (controlId != DEMO_ID_ITEM || !edit)
        return std::u16string();
    return edit->text.substr(0, maxChars);
}

void DemoDialog::SelectItemText(int controlId)
{
    if (controlId != DEMO_ID_ITEM || !edit)
        return;
    edit->anchor = 0;
    edit->cursor = int(edit->text.size());
    edit->Invalidate();
}

void DemoDialog::AddListLine(int controlId, const std::u16string& text, int64_t data)
{
    if (controlId == DEMO_ID_ITEM && list)
        list->AddLine(text, data);
}

int DemoDialog::GetListSelection(int controlId) const
{
    return controlId == DEMO_ID_ITEM && list ? list->selected : -1;
}

int64_t DemoDialog::GetListData(int controlId, int index) const
{
    if (controlId != DEMO_ID_ITEM || !list || index < 0 || size_t(index) >= list->lines.size())
        return -1;
    return list->lines[size_t(index)].data;
}

int DemoDialog::UnitsToPixelsX(int units) const
{
    return units * baseUnitX / 4;
}

int DemoDialog::UnitsToPixelsY(int units) const
{
    return units * baseUnitY / 8;
}

void DemoDialog::Layout(int unitsX, int unitsY, int unitsW, int unitsH)
{
    const int left = frameInsets.left + contentInsets.left;
    const int top = frameInsets.top + contentInsets.top + headerFont->Height() - headerFont->ExtraLineGap() +
                    headerSpacing;
    clientArea = Rect(left, top, UnitsToPixelsX(unitsW), UnitsToPixelsY(unitsH));
    SetBounds(UnitsToPixelsX(unitsX), UnitsToPixelsY(unitsY),
              left + clientArea.width + contentInsets.right + frameInsets.right,
              top + clientArea.height + contentInsets.bottom + frameInsets.bottom);
}

void DemoDialog::SetBounds(int newX, int newY, int newWidth, int newHeight)
{
    Widget::SetBounds(newX, newY, newWidth, newHeight);
    const int cx = clientArea.x;
    const int cy = clientArea.y;
    auto place = [&](Widget* w, bool absolute, int ux, int uy, int uw, int uh) {
        w->SetBounds((absolute ? newX : 0) + cx + UnitsToPixelsX(ux),
                     (absolute ? newY : 0) + cy + UnitsToPixelsY(uy), UnitsToPixelsX(uw), UnitsToPixelsY(uh));
    };
    if (edit)
        place(edit.get(), false, 5, 5, 190, 15);
    if (list)
        place(list.get(), false, 5, 5, 190, 195);
    // The buttons live beside the dialog in the manager.
    if (yesButton)
        place(yesButton.get(), true, 30, 25, 60, 15);
    if (noButton)
        place(noButton.get(), true, 100, 25, 60, 15);
}

void DemoDialog::ButtonPress(int) {}

void DemoDialog::ButtonDepress(int buttonId)
{
    if (buttonId == DIALOG_ID_OK)
        Command(DEMO_ID_OK, DEMO_NOTIFY_CLICKED);
    else if (buttonId == DIALOG_ID_CANCEL)
        Command(DEMO_ID_CANCEL, DEMO_NOTIFY_CLICKED);
}

void DemoDialog::OnKeyDown(int key)
{
    if (key == VK_ESCAPE)
        Command(DEMO_ID_CANCEL, DEMO_NOTIFY_CLICKED);
    else if (key == VK_RETURN && kind == JUMP_TO_TIME)
        Command(DEMO_ID_OK, DEMO_NOTIFY_CLICKED);
}

void DemoDialog::EditTextEntered(int, const std::u16string&)
{
    Command(DEMO_ID_OK, DEMO_NOTIFY_CLICKED);
}

bool DemoDialog::AllowKey(int, int virtualKey)
{
    if (virtualKey == VK_ESCAPE) {
        Command(DEMO_ID_CANCEL, DEMO_NOTIFY_CLICKED);
        return false;
    }
    return true;
}

namespace {

int ShowDemoDialog(QuibAppBase& app, DemoDialog::Kind kind, DemoDialog::Procedure procedure)
{
    auto* dialog = new DemoDialog(kind, std::move(procedure));
    dialog->Layout(10, 10, 200, kind == DemoDialog::JUMP_TO_TIME ? 50 : 200);
    app.ShowDialog(dialog); // the application owns it from here
    if (WidgetManager* manager = app.GetWidgetManager()) {
        if (dialog->edit)
            manager->SetFocusWidget(dialog->edit.get());
        else if (dialog->list)
            manager->SetFocusWidget(dialog->list.get());
    }
    if (dialog->procedure)
        dialog->procedure(*dialog, DEMO_DIALOG_INIT, 0, 0);
    const int result = dialog->WaitForResult(true);
    return result == DIALOG_NO_RESULT ? -1 : result;
}

} // namespace

int ShowJumpToTimeDialog(QuibAppBase& app, DemoDialog::Procedure procedure)
{
    return ShowDemoDialog(app, DemoDialog::JUMP_TO_TIME, std::move(procedure));
}

int ShowMarkerListDialog(QuibAppBase& app, DemoDialog::Procedure procedure)
{
    return ShowDemoDialog(app, DemoDialog::MARKER_LIST, std::move(procedure));
}

} // namespace Quib
