#pragma once
// The two dialogs of demo playback, as modal widget dialogs:
// "Jump To Time" (an edit field, id 100, and the buttons "Ok", id 1, and
// "Cancel", id 2) and "Marker List" (a list, id 100). Sizes are given in
// dialog units of the "Tahoma" 8-point font. What they do is the
// procedure's: it is called once with DEMO_DIALOG_INIT when the dialog
// opens and with DEMO_DIALOG_COMMAND for each control that acts, and ends
// the dialog with EndDialog. Without a procedure Ok and Cancel end it with
// their ids.

#include "framework/widgets/Dialog.h"
#include "framework/widgets/EditListener.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace Quib {

class EditWidget;
class MarkerListBox;
class QuibAppBase;

enum : int {
    DEMO_DIALOG_INIT = 0x0110,
    DEMO_DIALOG_COMMAND = 0x0111,
};
// Control ids and notification codes.
enum : int {
    DEMO_ID_OK = 1,
    DEMO_ID_CANCEL = 2,
    DEMO_ID_ITEM = 100,
    DEMO_NOTIFY_CLICKED = 0,
    DEMO_NOTIFY_DOUBLE_CLICK = 2, // a double click on a list line
};

class DemoDialog : public Dialog, public EditListener {
public:
    enum Kind { JUMP_TO_TIME, MARKER_LIST };
    // message, control id, notification code
    using Procedure = std::function<void(DemoDialog& dialog, int message, int controlId, int code)>;

    static constexpr int kJumpToTimeDialogId = 0x7D01;
    static constexpr int kMarkerListDialogId = 0x7D02;

    DemoDialog(Kind dialogKind, Procedure dialogProcedure);
    ~DemoDialog() override;

    // Ends the dialog with the result.
    void EndDialog(int dialogResult);
    // Runs the procedure for a control (or, without one, ends the dialog
    // for Ok and Cancel).
    void Command(int controlId, int code);

    // The edit field's text; up to maxChars characters of it.
    void SetItemText(int controlId, const std::u16string& text);
    std::u16string GetItemText(int controlId, size_t maxChars) const;
    // Selects the whole text of the edit field.
    void SelectItemText(int controlId);
    // The list: lines with a number each, the selected line (-1: none).
    void AddListLine(int controlId, const std::u16string& text, int64_t data);
    int GetListSelection(int controlId) const;
    int64_t GetListData(int controlId, int index) const;

    // Dialog units to pixels.
    int UnitsToPixelsX(int units) const;
    int UnitsToPixelsY(int units) const;

    // Places the dialog and its controls: (x, y) is its corner in dialog
    // units, the client area is w x h dialog units.
    void Layout(int unitsX, int unitsY, int unitsW, int unitsH);

    void SetBounds(int newX, int newY, int newWidth, int newHeight) override;
    void ButtonPress(int buttonId) override;
    void ButtonDepress(int buttonId) override;
    void OnKeyDown(int key) override;
    // Enter in the edit field presses the default button (Ok); Escape is
    // Cancel.
    void EditTextEntered(int id, const std::u16string& text) override;
    bool AllowKey(int id, int virtualKey) override;

    Kind kind;
    Procedure procedure;
    std::unique_ptr<Font> controlFont;
    std::unique_ptr<EditWidget> edit;
    std::unique_ptr<MarkerListBox> list;
    int32_t baseUnitX = 6;  // average character width of the control font
    int32_t baseUnitY = 13; // its height
    Rect clientArea;        // in dialog coordinates
};

// Show the dialog modal over the application and wait for its end: the
// result given to EndDialog, or -1 when the application closed before.
int ShowJumpToTimeDialog(QuibAppBase& app, DemoDialog::Procedure procedure);
int ShowMarkerListDialog(QuibAppBase& app, DemoDialog::Procedure procedure);

} // namespace Quib
