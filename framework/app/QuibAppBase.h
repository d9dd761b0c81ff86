#pragma once
#include "framework/files/PerfScope.h"
#include "framework/graphics/ImageDisplay.h"
#include "framework/widgets/DeferredDeleteQueue.h"
#include "framework/widgets/WidgetApp.h"

#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace Quib {

class DDImage;
class DDInterface;
class MemoryImage;
class MusicInterface;
class Widget;
class WidgetManager;

class QuibAppBase;
// The one application object of the process; null while none exists.
extern QuibAppBase* gQuibAppBase;

// The application object.
class QuibAppBase : public ImageRegistry, public WidgetApp {
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
    void CloseDialog(int dialogId) override;
    DialogListener* GetDialogListener() override;
    // Process-local text until the window's clipboard is wired up.
    void CopyToClipboard(const std::string& text) override;
    std::string GetClipboardText() override;
    bool UsesSystemCaret() const override;
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
    std::unique_ptr<WidgetManager> widgetManager;
    DeferredDeleteQueue deferredDeletes;
    std::string clipboardText;
};

} // namespace Quib
