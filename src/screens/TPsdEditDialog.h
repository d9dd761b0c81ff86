#pragma once
#include "framework/core/Rect.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/EditListener.h"
#include "framework/widgets/EditWidget.h"

#include <memory>
#include <string>

namespace Quib {

class PsdPicture;
class TGameButton;

// The game's modal message box from data/gui/dialog/: a message, OK, an
// optional cancel button and an optional name field (1 to 10 characters,
// no spaces). Shown with QuibAppBase::ShowDialog and waited for with
// Dialog::WaitForResult: 1000 for OK, 1001 for cancel.
class TPsdEditDialog : public Dialog, public EditListener {
public:
    static constexpr int kOk = DIALOG_ID_OK;
    static constexpr int kCancel = DIALOG_ID_CANCEL;
    static constexpr uint32_t kTextColor = 0xfffff398;
    static constexpr uint32_t kButtonTextColor = 0xff2b0e00;

    // The name field of the dialog.
    class TPsdEdit : public EditWidget {
    public:
        explicit TPsdEdit(EditListener* editListener);
    };

    // text: the caller's name, edited in place; null for a dialog without a
    // name field.
    TPsdEditDialog(const std::string& okKey, const std::string& cancelKey, const std::string& messageKey,
                   std::u16string* text, bool showCancel);
    ~TPsdEditDialog() override;

    void OnAttachedToManager(WidgetManager* widgetManager) override;
    void Draw(Graphics& g) override;
    void ButtonPressByMouse(int id, int mouseButton) override;
    void ButtonDepressByMouse(int id, int mouseButton) override;
    bool AllowKey(int id, int key) override;
    bool AllowText(int id, const std::u16string& newText) override;

    std::u16string* resultText = nullptr; // the caller's
    std::unique_ptr<PsdPicture> layout;
    bool hasCancel = false;
    TPsdEdit* edit = nullptr;           // child
    TGameButton* okButton = nullptr;    // child
    TGameButton* cancelButton = nullptr; // child while shown
    std::u16string message;
    Rect messageRect;
    int32_t maxNameLength = 10;
};

// Shows the dialog and waits for its answer (1000 OK, 1001 cancel); the
// application closes and deletes it.
int RunPsdEditDialog(TPsdEditDialog* dialog);
// The notice that a profile of that name exists.
void ShowProfileExistsDialog();

} // namespace Quib
