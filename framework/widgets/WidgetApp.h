#pragma once
// What widgets need of the application. The widget layer owns this
// interface; the application object implements it and registers itself.

#include <string>

namespace Quib {

class DialogListener;
class Widget;
class WidgetManager;

class WidgetApp {
public:
    WidgetApp() = default;
    WidgetApp(const WidgetApp&) = delete;
    WidgetApp& operator=(const WidgetApp&) = delete;
    virtual ~WidgetApp() = default;

    // The application's widget manager (null before it exists).
    virtual WidgetManager* GetWidgetManager() = 0;

    // Cursor number: 0 arrow, 1 hand, 2 dragging, 3 I-beam. Writers call
    // RefreshCursor right after writing.
    virtual int GetCursorNum() const = 0;
    virtual void SetCursorNum(int cursorNum) = 0;
    virtual void RefreshCursor() = 0;

    // One step of the application loop; false once the application is
    // shutting down. updated (optional) receives whether an update ran.
    virtual bool AppStep(bool* updated) = 0;

    // Takes the dialog with that id out of the tree and queues it for
    // deletion; nothing when no dialog has the id.
    virtual void CloseDialog(int dialogId) = 0;
    // The application's listener that dialogs report to.
    virtual DialogListener* GetDialogListener() = 0;

    // Deletes the widget once every nested AppStep has returned. The
    // widget is detached first.
    virtual void QueueDeferredDelete(Widget* widget) = 0;

    // Narrow (Windows-1252) clipboard text; nothing / empty during demo
    // playback or when the clipboard cannot be used.
    virtual void CopyToClipboard(const std::string& text) = 0;
    virtual std::string GetClipboardText() = 0;

    // The edit field shows the system caret when set.
    virtual bool UsesSystemCaret() const = 0;
    // The system caret that follows the focused text field (for input
    // methods and accessibility tools): shown at (x, y) in application
    // coordinates, or hidden.
    virtual void SetSystemCaret(bool shown, int x, int y) = 0;
};

// The application as widgets see it; null while there is none.
WidgetApp* TheWidgetApp();
void SetWidgetApp(WidgetApp* app);

} // namespace Quib
