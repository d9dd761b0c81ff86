#pragma once
#include "framework/app/DemoFile.h"
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
#include <vector>

namespace Quib {

class DDImage;
class DDInterface;
class Dialog;
class MemoryImage;
class MusicInterface;
class SettingsFile;
class Widget;
class WidgetManager;
class Window;
struct WindowMessage;

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
    // The application itself.
    DialogListener* GetDialogListener() override;
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
    DeferredDeleteQueue deferredDeletes;

    // ---- Demo recording and playback (QuibAppBaseDemo.cpp) ----

    // Writes the header of a new event at updateCount, fillers first.
    void WriteDemoEventHeader(bool mouseClass, int code);
    // Reads the next event header when needed; true when the pending event
    // is due at updateCount.
    bool PrepareDemoEvent();
    // Applies every recorded event due now (only while playing and not
    // exiting).
    void PlaybackDemoEvents();
    // Reads and checks demoFileName for playback: the seed becomes
    // randomSeed and seeds the random generators, and the markers, the
    // length and the events are taken. False with the text to show.
    bool OpenDemoFile(std::string& error);
    // Writes demoFileName when recording, whole or not at all.
    void WriteDemoFile();
    // Over the files stem + N + ".dmo" in the stem's folder (the working
    // directory for a bare stem): the highest N, 0 when there is none.
    // With deleteOldest, when keep or more exist, the lowest is deleted.
    static int RotateDemoFiles(const std::string& stem, int keep, bool deleteOldest);
    // A value from outside the program: recorded as it is, or replaced by
    // the recorded one during playback (left alone when the demo is out of
    // step, with a log line).
    void RecordOrReplayValue(std::vector<uint8_t>& value);
    bool RecordOrReplayBool(bool value);
    // A string is its 16-bit length and its bytes (at most 65535).
    std::string RecordOrReplayString(const std::string& value);
    // Records a queued window message before it is applied (recording and
    // not exiting). Mouse positions are taken in application coordinates.
    void RecordDemoMessage(const WindowMessage& message);
    // Records one event at updateCount (when recording).
    void RecordDemoEvent(const DemoEvent& event);
    // Applies one replayed event.
    void ApplyDemoEvent(const DemoEvent& event);
    // Start-up of a played demo: takes the first recorded screen mode.
    void ReadDemoScreenMode();
    // Playback: the next recorded event is due at updateCount, so no
    // update may run before it is applied.
    bool DemoEventDueNow();
    // A playback key (a character typed while playing); true when it is
    // one.
    bool HandleDemoPlaybackKey(char16_t key);
    // The "Jump To Time" dialog: the text it opens with, and its OK (fields
    // separated by ':', counted back from the end).
    std::string GetDemoJumpTimeText();
    void SetDemoJumpTime(const std::string& text);
    // The "Marker List" dialog: a line per marker still ahead, with its
    // update number; choosing one fast-forwards to it.
    std::vector<std::pair<std::string, int32_t>> GetDemoMarkerLines() const;
    void JumpToDemoMarker(int32_t updateNumber);
    // The developer dialogs over the two above (none yet).
    virtual void ShowJumpToTimeDialog() {}
    virtual void ShowMarkerListDialog() {}

    bool recording = false;
    bool playing = false;
    std::string demoFileStem = "quibapp";
    std::string demoFileName = "quibapp.dmo";
    DemoEventStream demo;   // the event stream and its cursors
    int32_t demoLength = 0; // the update count stored in a played file
    bool loadingEventReplayed = false;
    std::vector<DemoMarker> demoMarkers;
    int32_t fastForwardTarget = 0;
    bool playToEnd = false;
    bool drawNow = false;
    bool fastForwardMuted = false;
    bool playbackPaused = false;
    double savedMusicVolume = 0.0; // the "S" playback key's
    double savedSfxVolume = 0.0;

    // ---- Settings, registry and command line (QuibAppBaseSettings.cpp) ----

    // Values under registryKey, kept in its settings file. Every call is
    // false and does nothing without a key. A name may carry a sub-key
    // ("Test3D\RuntimeError"). Reads and writes are recorded into a demo
    // and replayed from one.
    bool RegistryWrite(const std::string& name, uint32_t type, const uint8_t* data, uint32_t size);
    // Into data of size bytes: true when the value exists and fits; size
    // becomes its length (the length needed when it does not fit).
    bool RegistryRead(const std::string& name, uint32_t& type, uint8_t* data, uint32_t& size);
    // A REG_DWORD, brought into its setting's range.
    bool RegistryReadDWord(const std::string& name, int32_t& value);
    bool RegistryReadBool(const std::string& name, bool& value);
    bool RegistryWriteBool(const std::string& name, bool value);
    bool RegistryWriteDWord(const std::string& name, int32_t value);
    // Not recorded; nothing during playback.
    bool RegistryDeleteValue(const std::u16string& name);
    virtual void LoadRegistrySettings();
    virtual void SaveRegistrySettings();
    // Takes the program's arguments, each to HandleCmdLineParam.
    virtual void ReadCommandLine();
    // Splits a parameter text: blanks end parameters except inside double
    // quotes, '=' parts the name from the value.
    virtual void SplitCommandLine(const std::string& text);
    virtual void HandleCmdLineParam(const std::string& name, const std::string& value);
    // The settings file of registryKey (null without a key).
    SettingsFile* Settings();

    std::string registryKey;
    std::unique_ptr<SettingsFile> settingsFile; // of settingsFileKey
    std::string settingsFileKey;
    bool registryLoaded = false;
    bool lastRunEndedCleanly = true; // "InProgress" was 0 (or missing)
    bool commandLineRead = false;
    bool screenSaverMode = false;

    // ---- Dialogs, message boxes and shell services (QuibAppBaseDialogs.cpp) ----

    virtual Dialog* CreateDialogWidget(int id, bool modal, const std::u16string& header, const std::u16string& body,
                                       const std::u16string& footer, int buttonMode);
    // Closes a dialog of the same id, then makes, shows and returns one.
    virtual Dialog* OpenDialog(int id, bool modal, const std::u16string& header, const std::u16string& body,
                               const std::u16string& footer, int buttonMode);
    virtual Dialog* FindDialog(int id);
    // Closes an open dialog with the same id, gives an unsized dialog half
    // the application width and its preferred height, centred horizontally
    // at a fifth of the application height, attaches it to the widget
    // manager and makes a modal dialog the modal layer. The application
    // owns the dialog from then on.
    virtual void ShowDialog(Dialog* dialog);
    virtual void ShowDialog(int id, Dialog* dialog);
    virtual bool CloseDialog(Dialog* dialog);
    // Takes the dialog out of the map, the list and the widget manager,
    // ends its modal layer and queues it for deletion; nothing when no
    // dialog has the id.
    void CloseDialog(int dialogId) override;
    virtual bool CloseDialog(int id, bool removeWidget, bool deleteWidget);
    virtual int GetDialogCount();
    virtual void BeginPopup();
    virtual void EndPopup();
    // Through the message sink; in screen-saver mode logged instead, as if
    // OK was pressed.
    virtual int ShowMessageBoxW(const std::u16string& text, const std::u16string& caption, unsigned type);
    virtual int ShowMessageBoxA(const std::string& text, const std::string& caption, unsigned type);
    virtual void ShowFatalErrorW(const std::u16string& text);
    virtual void ShowFatalErrorA(const std::string& text);
    // Appends to "ScrError.txt" in the working directory (emptied by the
    // first entry of the run).
    virtual void LogPopupText(const std::string& text);
    virtual void OnOpenUrlFailed(const std::string& address);
    virtual void OnOpenUrlDone(const std::string& address);
    // Opens a web page or file with the desktop's handler; a second call
    // for the address being opened does nothing.
    virtual bool OpenUrl(const std::string& address, bool exitAfter);
    // How an opening under way ends, checked on each window timer: by the
    // opener's outcome once it has one, else by the window's activation and
    // the time (timerResumeTime: when timer messages came back after a
    // stall).
    void CheckUrlOpening(uint32_t timerResumeTime);
    // Program files here carry no version resource: always empty.
    virtual std::string GetProductVersion(const std::string& file);
    virtual std::string GetExtraReportText();
    // Windows-1252 text; nothing during playback.
    void CopyToClipboard(const std::string& text) override;
    // Recorded and replayed; empty during playback unless recorded.
    std::string GetClipboardText() override;

    std::map<int, Dialog*> dialogMap; // open dialogs by id, owned
    std::list<Dialog*> dialogList;    // open dialogs in the order shown
    bool popupShown = false;
    bool urlOpening = false;
    bool exitAfterUrl = false;
    std::string urlAddress;
    uint32_t urlOpenTime = 0;

    // ---- Interim: what the code above uses of the application core ----
    // (the application object's start-up, loop, window and sound parts)
    std::u16string GetStringEntry(const std::string& id, const std::u16string& defaultText);
    virtual void FatalExit(int code);
    virtual void RequestExit();
    virtual void OnActiveChanged();
    virtual void Mute(bool automatic);
    virtual void Unmute(bool automatic);
    virtual double GetMusicVolume();
    virtual double GetSfxVolume();
    virtual void SetMusicVolume(double volume);
    virtual void SetSfxVolume(double volume);
    virtual void EnableCustomCursors(bool enabled);
    virtual void OnModalDialogOpened() {}
    virtual void OnModalDialogClosed() {}
    void ResetUpdateTimer();
    void MarkScreenDirty();
    std::map<std::string, std::u16string> stringTable;
    std::unique_ptr<Window> mainWindow;
    std::unique_ptr<Window> invisibleWindow;
    std::string productVersion;
    std::string programFolder;
    uint32_t randomSeed = 0;
    int32_t updateCount = 0;
    int32_t framePeriodMs = 10;
    double updateSpeed = 1.0;
    int32_t refreshRate = 100;
    bool exiting = false;
    bool windowedWanted = true;
    bool windowed = true;
    bool active = true;
    bool minimised = false;
    bool mouseInside = false;
    bool closedByUser = false;
    bool waitForVSync = false;
    bool customCursors = false;
    bool ctrlDown = false;
    bool altDown = false;
    bool muteWhenInactive = true;
    int32_t preferredX = -1;
    int32_t preferredY = -1;
    int32_t muteCount = 0;
    int32_t autoMuteCount = 0;
    double musicVolume = 0.85;
    double sfxVolume = 0.85;
    int fatalExitCode = -1; // set by FatalExit
};

} // namespace Quib
