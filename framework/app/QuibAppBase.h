#pragma once
#include "framework/app/DeveloperTools.h"
#include "framework/app/ResourceManager.h"
#include "framework/app/SharedImageStore.h"
#include "framework/core/Point.h"
#include "framework/files/PerfScope.h"
#include "framework/graphics/ImageDisplay.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/DeferredDeleteQueue.h"
#include "framework/widgets/DialogListener.h"
#include "framework/widgets/WidgetApp.h"

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace Quib {

class DDImage;
class DDInterface;
class Dialog;
class MemoryImage;
class MusicInterface;
class Widget;
class WidgetManager;

class QuibAppBase;
// The one application object of the process; null while none exists.
extern QuibAppBase* gQuibAppBase;

// The application object. As a DialogListener it turns the buttons of its
// dialogs into its own button ids: button 1000 of dialog d is d + 2000,
// button 1001 is d + 3000.
class QuibAppBase : public ImageRegistry, public WidgetApp, public ButtonListener, public DialogListener {
public:
    QuibAppBase();
    ~QuibAppBase() override;

    ImageDisplay* Display() const override;

    WidgetManager* GetWidgetManager() override;
    int GetCursorNum() const override;
    void SetCursorNum(int number) override;
    // Does nothing while there is no display. Every writer of cursorNum calls
    // it right after writing.
    void RefreshCursor() override;
    // One step of the application loop; false once the application is
    // shutting down.
    bool AppStep(bool* updated) override;
    // Takes the dialog with the id out of the dialog map and list and out of
    // the widget manager, pops its modal layer when it is modal and queues
    // it for deletion; nothing when no dialog has the id.
    void CloseDialog(int dialogId) override;
    // The application itself.
    DialogListener* GetDialogListener() override;
    // Process-local text until the window's clipboard is wired up.
    void CopyToClipboard(const std::string& text) override;
    std::string GetClipboardText() override;
    bool UsesSystemCaret() const override;
    // Kept in systemCaretShown / systemCaretPos until the window's text
    // input is wired up.
    void SetSystemCaret(bool shown, int x, int y) override;
    // A new image of the display holding the picture file (with its alpha
    // picture looked up), textureFlags 8 (an 8-8-8-8 texture) set and named
    // after the file; null for an empty name, a file that cannot be read or
    // pixels there is no room for. The caller owns it.
    DDImage* CreateImage(const std::string& fileName, bool applyNow) override;
    // Every image of the set drops its display copy.
    virtual void FreeAllImageBitBuffers();
    // Every image of the set drops its software caches and its textures.
    void ReleaseAllNativeImageData();

    // The widget is detached and deleted once every nested application
    // step has returned (FlushDeferredDeletes).
    void QueueDeferredDelete(Widget* widget) override;
    // Deletes the queued widgets when no application step is running; the
    // main loop calls it after each step.
    void FlushDeferredDeletes();

    // Closes an open dialog with the same id, gives an unsized dialog half
    // the application width and its preferred height, centred horizontally
    // at a fifth of the application height, attaches it to the widget
    // manager and pushes a modal layer for a modal dialog. The application
    // owns the dialog from then on.
    void ShowDialog(Dialog* dialog);

    void OnDialogButtonPress(int dialogId, int buttonId) override;
    void OnDialogButtonDepress(int dialogId, int buttonId) override;

    // The music player for the main window: a silent one when sound is
    // disabled, the FMOD one in FMOD mode, else the BASS one.
    std::unique_ptr<MusicInterface> CreateMusicInterface(void* window);

    // Entry a + b is min(a + b, 255) for two channel values.
    uint8_t AddClampTable[512];

    std::unique_ptr<DDInterface> display; // null until the display exists
    int32_t appWidth = 640;
    int32_t appHeight = 480;
    int32_t cursorNum = 0;
    bool hasFocus = true;
    bool soundDisabled = false;
    bool useFmod = false; // FMOD mode; only the constructor writes it
    bool useSystemCaret = false;
    bool systemCaretShown = false;
    Point systemCaretPos;
    std::unique_ptr<WidgetManager> widgetManager;
    std::map<int, Dialog*> dialogMap; // open dialogs by id, owned
    std::list<Dialog*> dialogList;    // open dialogs in the order shown
    DeferredDeleteQueue deferredDeletes;
    std::string clipboardText;

    // Resources and developer tools (QuibAppBaseDeveloper.cpp). Declared
    // last: they go before the display and the widget manager.
    // The shared picture of (name, variant), letter case ignored.
    SharedImageRef GetSharedImage(const std::string& name, const std::string& variant, bool* created);
    // Once per update: deletes the shared pictures nobody uses any more.
    void PurgeReleasedSharedImages();
    // The debug keys (DeveloperTools::DebugKey); true when the key is used.
    virtual bool DebugKey(int virtualKey);
    // For the error boxes.
    std::string BuildSystemReport();
    SharedImageStore sharedImages{this};
    std::unique_ptr<ResourceManager> resourceManager = std::make_unique<ResourceManager>(this);
    DeveloperTools developerTools;
};

} // namespace Quib
