#pragma once
#include "framework/app/DemoFile.h"
#include "framework/app/SharedImageRef.h"
#include "framework/app/DeveloperTools.h"
#include "framework/app/ResourceManager.h"
#include "framework/app/SharedImageStore.h"
#include "framework/core/Point.h"
#include "framework/core/Rect.h"
#include "framework/files/PerfScope.h"
#include "framework/graphics/ImageDisplay.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/DeferredDeleteQueue.h"
#include "framework/widgets/DialogListener.h"
#include "framework/widgets/WidgetApp.h"
#include "platform/Cursors.h"
#include "platform/Window.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace Quib {

class DDImage;
class DDInterface;
class Dialog;
class Image;
class MemoryImage;
class MusicInterface;
class SettingsFile;
class SingleInstance;
class SoundManager;
class Widget;
class WidgetManager;

class QuibAppBase;
// The one application object of the process; null while none exists.
extern QuibAppBase* gQuibAppBase;

// What FatalExit does instead of ending the process: a test installs one
// to see the exit code. Null ends the process.
using FatalExitHandler = std::function<void(int exitCode)>;
void SetFatalExitHandler(FatalExitHandler handler);

// What the next timed step does.
enum FrameState : int { FRAME_MESSAGES = 0, FRAME_UPDATE = 1, FRAME_FRACTION = 2, FRAME_DONE = 3 };
// Set by the debug keys: running, one step asked for, paused.
enum StepMode : int { STEP_RUN = 0, STEP_ONCE = 1, STEP_PAUSED = 2 };

// The application object: its windows, display, widgets, sound and music,
// the start-up, the main loop and the orderly exit. As a DialogListener it
// turns the buttons of its dialogs into its own button ids: button 1000 of
// dialog d is d + 2000, button 1001 is d + 3000.
class QuibAppBase : public ImageRegistry,
                    public WidgetApp,
                    public ButtonListener,
                    public DialogListener,
                    public WindowProcedure {
public:
    QuibAppBase();

    // ---- Virtual operations, in the order of their slots ----

    // One timed step: at most one update frame (with fractional frames in
    // smooth mode), or a draw, or a sleep. False only when it would have to
    // sleep and may not.
    virtual bool RunTimedUpdate(bool allowSleep);
    // One update frame of the application.
    virtual void UpdateOneFrame();
    // Runs one update frame when one may run now; true when it ran.
    virtual bool DoUpdateFrames();
    // Fractional update of the widget tree (smooth mode).
    virtual void UpdateFrameFraction(float frames);
    // Makes (or re-makes) the main window for the wanted mode and sets up
    // the display for it; false when no window could be made.
    virtual bool CreateMainWindow();
    // Does nothing while there is no display. Every writer of cursorNum
    // calls it right after writing.
    void RefreshCursor() override;
    // Every image of the set rebuilds its display data (after a display
    // change).
    virtual void RefreshAllImages();
    // Every image of the set drops its display copy.
    virtual void FreeAllImageBitBuffers();
    // Every image of the set drops its software caches and its textures.
    virtual void ReleaseAllNativeImageData();
    virtual void OnLoadingComplete();
    ~QuibAppBase() override;
    // The music player for the main window: a silent one when sound is
    // disabled, the FMOD one in FMOD mode, else the BASS one.
    virtual std::unique_ptr<MusicInterface> CreateMusicInterface(void* window);
    virtual void InitHook();
    virtual void OnExitHook();
    virtual void AfterMainLoopHook();
    // Runs on the loading thread.
    virtual void LoadingThreadProc();
    virtual void SaveRegistrySettings();
    virtual void LoadRegistrySettings();
    virtual Dialog* CreateDialogWidget(int id, bool modal, const std::u16string& header, const std::u16string& body,
                                       const std::u16string& footer, int buttonMode);
    virtual void BeforeCreateWindowHook();
    virtual void BeginPopup();
    virtual void EndPopup();
    virtual int ShowMessageBoxW(const std::u16string& text, const std::u16string& caption, unsigned type);
    virtual int ShowMessageBoxA(const std::string& text, const std::string& caption, unsigned type);
    virtual void ShowFatalErrorW(const std::u16string& text);
    virtual void ShowFatalErrorA(const std::string& text);
    virtual void LogPopupText(const std::string& text);
    // The widget is detached and deleted by the first ProcessDeferredDeletes
    // at the step depth it was queued at or an outer one.
    void QueueDeferredDelete(Widget* widget) override;
    virtual void OnOpenUrlFailed(const std::string& url);
    virtual void OnOpenUrlDone(const std::string& url);
    virtual bool OpenUrl(const std::string& url, bool exitAfter);
    virtual std::string GetProductVersion(const std::string& fileName);
    // Music off, the window hidden, the arrow cursor.
    virtual void HideApp();
    virtual std::string BuildSystemReport();
    virtual void ReservedHook(int value);
    // Begins the orderly exit; from another thread than the main one it
    // only asks the main thread's next timed step to do it.
    virtual void RequestExit();
    virtual void ReadCommandLine();
    virtual void SplitCommandLine(const std::string& parameters);
    virtual void HandleCmdLineParam(const std::string& name, const std::string& value);
    // Another copy asked this one to come forward (wParam 0): restores the
    // main window when minimised and raises it.
    virtual void OnInstanceNotify(WPARAM wParam);
    // Another copy holds the instance lock: with singleInstance on, asks it
    // to come forward and ends this process (code 0).
    virtual void OnAlreadyRunning();
    virtual void Run();
    virtual void Initialize();
    virtual void BeforeDisplayInitHook();
    virtual void AfterDisplayInitHook();
    virtual bool KeepWorkingDirectory(const std::string& folder);
    virtual void PlaySample(int id, int pan);
    virtual void PlaySample(int id);
    virtual double GetMasterVolume();
    virtual double GetMusicVolume();
    virtual double GetSfxVolume();
    virtual bool IsMuted();
    virtual void SetMasterVolume(double volume);
    virtual void SetMusicVolume(double volume);
    virtual void SetSfxVolume(double volume);
    // Counted: every Mute needs an Unmute. The automatic count is the part
    // the program added itself (focus loss, minimising, fast-forward).
    virtual void Mute(bool automatic);
    virtual void Unmute(bool automatic);
    // 0 before loading starts, tasks done / total while it runs, exactly 1
    // once its end was acknowledged.
    virtual double GetLoadingProgress();
    virtual void EnableCustomCursors(bool enable);
    // A new image of the display holding the picture file (with its alpha
    // picture looked up), textureFlags 8 (an 8-8-8-8 texture) set and named
    // after the file; null for an empty name, a file that cannot be read or
    // pixels there is no room for. The caller owns it.
    DDImage* CreateImage(const std::string& fileName, bool applyNow) override;
    // The shared picture of (name, variant), letter case aside, made on
    // first use: empty for a name starting with "!", else read from the
    // file (null when it cannot be read). created tells whether this call
    // made the entry.
    virtual SharedImageRef GetSharedImage(const std::string& fileName, const std::string& variant, bool* created);
    virtual void SwitchScreenMode(bool windowed, bool is3D, bool force);
    virtual void SwitchScreenModeWindowed(bool windowed);
    virtual void RefreshScreenMode();
    virtual void UseVideoMemoryBackBuffer(bool use);
    virtual Dialog* OpenDialog(int id, bool modal, const std::u16string& header, const std::u16string& body,
                               const std::u16string& footer, int buttonMode);
    virtual Dialog* FindDialog(int id);
    // Closes an open dialog with the same id, gives an unsized dialog half
    // the application width and its preferred height, centred horizontally
    // at a fifth of the application height, attaches it to the widget
    // manager and pushes a modal layer for a modal dialog. The application
    // owns the dialog from then on.
    virtual void ShowDialog(Dialog* dialog);
    virtual void ShowDialog(int id, Dialog* dialog);
    virtual void CloseDialog(Dialog* dialog);
    // Takes the dialog with the id out of the dialog map and list and out of
    // the widget manager, pops its modal layer when it is modal and queues
    // it for deletion; nothing when no dialog has the id.
    void CloseDialog(int dialogId) override;
    virtual bool CloseDialog(int dialogId, bool removeWidget, bool deleteWidget);
    virtual int GetDialogCount();
    virtual void OnModalDialogOpened();
    virtual void OnModalDialogClosed();
    virtual void OnGotFocus();
    virtual void OnLostFocus();
    // Alt with these characters makes no sound: carriage return, 'r', 'R'.
    virtual bool IsHandledSysChar(int ch);
    // A debug key (virtual key); true when it was used up.
    virtual bool DebugKey(int key);
    // Asked first for every key down; true ends its handling.
    virtual bool OnRawKeyDown(int key, bool ctrl, bool alt);
    virtual void OnCloseRequest();
    virtual void OnFreshDisplayTest();
    virtual std::string GetExtraReportText();
    virtual bool ReservedQuery(int a, int b);
    // Draws the dirty screen and presents it when allowed; true when it
    // presented.
    virtual bool DrawDirtyStuff();
    // Presents the screen (null: all of it) and recovers a lost display.
    virtual void Redraw(const Rect* clip);
    virtual void BeforeSettingsHook();
    // Runs application steps until exiting.
    virtual void RunMainLoop();
    // One step of the application loop; false once the application is
    // shutting down (stepAbort).
    bool AppStep(bool* updated) override;
    // Steps until one ran an update (true) or the loop is aborted (false).
    virtual bool AppStepUntilUpdate();
    // False while the window is disabled.
    virtual bool CanRestore();

    // ---- Operations that are not virtual ----

    // Ends the process at once with the exit code, after stopping the
    // cursor thread. With a handler installed (tests) the handler is called
    // instead and FatalExit returns; its callers then return at once.
    void FatalExit(int exitCode);
    // The table's text for the id, else the default.
    std::u16string GetStringEntry(const std::string& id, const std::u16string& defaultText) const;

    // Images and widgets.
    ImageDisplay* Display() const override;
    WidgetManager* GetWidgetManager() override;
    int GetCursorNum() const override;
    void SetCursorNum(int number) override;
    DialogListener* GetDialogListener() override;
    void OnDialogButtonPress(int dialogId, int buttonId) override;
    void OnDialogButtonDepress(int dialogId, int buttonId) override;
    // Windows-1252 text through the system clipboard; nothing during demo
    // playback.
    void CopyToClipboard(const std::string& text) override;
    // Recorded into a demo, and replayed from one (empty during playback
    // unless recorded).
    std::string GetClipboardText() override;
    bool UsesSystemCaret() const override;
    // Kept in systemCaretShown / systemCaretPos until the window's text
    // input is wired up.
    void SetSystemCaret(bool shown, int x, int y) override;

    // Main loop.
    // Deletes the queued widgets of this step depth and deeper ones.
    void ProcessDeferredDeletes();
    // The same; kept for callers of the widget layer.
    void FlushDeferredDeletes() { ProcessDeferredDeletes(); }
    // Forgets the time owed to updates, so that time spent elsewhere is not
    // caught up.
    void ResetUpdateTimer();

    // Window and messages.
    LPARAM WindowProc(Window& window, uint32_t message, WPARAM wParam, LPARAM lParam) override;
    // Applies the oldest queued message; true when more remain.
    bool ProcessDeferredMessage();
    // Sets up the display for the main window; a DisplayResult.
    int InitDisplay();
    // Recomputes hasFocus from active and minimised.
    void OnActiveChanged();
    // Takes the display's refresh rate.
    void TakeDisplayRefreshRate();
    // Applies a change of the minimised state: automatic mute while
    // minimised, the whole screen dirty when restored.
    void ApplyMinimised(bool nowMinimised);

    // Threads.
    void StartCursorThread();
    void StartLoadingThread();
    // Waits for the loading thread to end (joins it).
    void WaitForLoadingThread();
    // Stops and joins the cursor thread.
    void StopCursorThread();

    // Cursors, display and images.
    // A custom cursor image for a cursor slot (0 to 12; not owned, null for
    // none); false for a number without a slot.
    bool SetCustomCursorImage(int cursorNumber, Image* image);
    DDInterface* ChangeDisplay(bool is3D, bool reinitialise);
    // Deletes the shared pictures nobody uses any more, once one was
    // released.
    void PurgeReleasedSharedImages();
    // Writes the draw surface as image<N+1>.png into _screenshots of the
    // data folder; the path written, empty when nothing was written.
    std::string TakeScreenshot();

    // ---- Demo recording and playback (QuibAppBaseDemo.cpp) ----

    // Writes the header of a new event at updateCount, fillers first.
    void WriteDemoEventHeader(bool mouseClass, int code);
    // Reads the next event header when needed; true when the pending event
    // is due at updateCount.
    bool PrepareDemoEvent();
    // Applies every recorded event due now (only while playing and not
    // exiting), an event whose header ends the stream included.
    void PlaybackDemoEvents();
    // Records a queued window message before it is applied (recording and
    // not exiting). Mouse positions are taken in application coordinates;
    // the wheel is recorded where its notches are worked out.
    void RecordDemoMessage(const WindowMessage& message);
    // Records one event at updateCount (when recording).
    void RecordDemoEvent(const DemoEvent& event);
    // One event without data (7 mouse entered, 8 mouse left, 9 loading
    // finished).
    void RecordDemoEvent(int code);
    // The screen mode (windowed flag, refresh rate) of a display set-up.
    void RecordDemoScreenMode(bool windowedFlag, int rate);
    // Wheel notches as applied.
    void RecordDemoWheel(int notches);
    // Applies one replayed event.
    void ApplyDemoEvent(const DemoEvent& event);
    // Start-up of a played demo: takes the first recorded screen mode.
    void ReadDemoScreenMode();
    // Reads and checks demoFileName for playback: the seed becomes
    // randomSeed, and the markers, the length and the events are taken.
    // False with the text to show.
    bool OpenDemoFile(std::string& error);
    // Writes demoFileName when recording, whole or not at all.
    void WriteDemoFile();
    // The fast-forward of a played demo, first in each timed step: true
    // when it took the step. Once the target is reached it ends the
    // fast-forward's mute and gives the step back.
    bool DemoFastForward(double framesPerPresent, double period);
    // The next recorded event is due at updateCount: no update may run
    // before it is applied.
    bool DemoEventDueNow();
    // Every recorded event has been applied.
    bool DemoFinished();
    // A character typed during playback: the playback keys.
    void HandlePlaybackKey(int ch);
    // The mouse position of the last replayed event, for the cursor
    // thread.
    void SetReplayedMousePosition(int x, int y);
    // Over the files stem + N + ".dmo" in the stem's folder (the working
    // directory for a bare stem): the highest N, 0 when there is none.
    // With deleteOldest, when keep or more exist, the lowest is deleted.
    static int RotateDemoFiles(const std::string& stem, int keep, bool deleteOldest);
    // A value from outside the program: recorded as it is, or replaced by
    // the recorded one during playback (left alone, with a log line, when
    // the demo is out of step).
    void RecordOrReplayValue(std::vector<uint8_t>& value);
    bool RecordOrReplayBool(bool value);
    // A string is its 16-bit length and its bytes (at most 65535).
    std::string RecordOrReplayString(const std::string& value);
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

    // ---- Settings, registry and command line (QuibAppBaseSettings.cpp) ----

    // Values under registryKey, kept in its settings file. Every call is
    // false and does nothing without a key. A name may carry a sub-key
    // ("Test3D\\RuntimeError"). Reads and writes are recorded into a demo
    // and replayed from one.
    bool RegistryWrite(const std::string& name, uint32_t type, const uint8_t* data, uint32_t size);
    // Into data of size bytes: true when the value exists and fits; size
    // becomes its length (the length needed when it does not fit).
    bool RegistryRead(const std::string& name, uint32_t& type, uint8_t* data, uint32_t& size);
    // A REG_DWORD, brought into its setting's range.
    bool RegistryReadDWord(const std::string& name, int32_t& value);
    bool RegistryReadBool(const std::string& name, bool& value);
    bool RegistryWriteDWord(const std::string& name, int32_t value);
    bool RegistryWriteBool(const std::string& name, bool value);
    // Not recorded; nothing during playback.
    bool RegistryDeleteValue(const std::u16string& name);
    // The settings file of registryKey (null without a key).
    SettingsFile* Settings();

    // ---- Shell services ----

    // How a web page's opening ends, checked on each window timer: by the
    // opener's outcome once it has one, else by the activation and the
    // time (nothing within 5 s of timerResumeTime).
    void CheckUrlOpening(uint32_t now);

    // ---- Fields ----

    // Identity.
    std::string captionPrefix;
    std::string dataFolderParent;
    std::string productKey = "Product";
    std::u16string windowTitle = u"QuibApp";
    std::string registryKey;
    std::string programFolder;
    std::string productVersion;
    std::map<std::string, std::u16string> stringTable;
    std::string demoFileName = "quibapp.dmo";

    // Size and modes.
    int32_t appWidth = 640;
    int32_t appHeight = 480;
    Rect drawArea; // the display's draw area inside the application size
    bool windowedWanted = true;
    bool windowed = true;
    bool fullScreenForced = false;
    // The screen mode asked for by settings or the player; while full
    // screen is forced it is what the settings keep.
    bool windowedChoice = true;
    bool fullScreenImpossible = false;
    bool wideWindows = true;
    bool tabletPC = false;
    bool pageFlipping = true;
    int colorDepth = 16;
    Point windowAspect{4, 3};
    int minVideoMemoryMB = 6;
    int recVideoMemoryMB = 14;
    bool auto3D = false;
    bool check3D = false;
    bool switched3D = false;
    bool videoMemoryBackBuffer = false;

    // Start and exit.
    uint32_t loadTime = 0;
    uint32_t randomSeed = 0;
    std::thread::id mainThreadId;
    std::atomic<bool> exiting{false};
    bool stepAbort = false;
    std::atomic<bool> exitRequestedByThread{false};
    bool initialized = false;
    bool registryLoaded = false;
    bool commandLineRead = false;
    bool screenSaverMode = false;
    bool singleInstance = true;
    std::unique_ptr<SingleInstance> instanceLock;
    uint32_t notifyMessage = 0;

    // Parts.
    std::unique_ptr<DDInterface> display; // null until the display exists
    // Makes the display the first time a main window is made; null makes
    // the in-memory one.
    std::function<std::unique_ptr<DDInterface>(QuibAppBase&)> displayFactory;
    std::unique_ptr<WidgetManager> widgetManager;
    std::unique_ptr<ResourceManager> resourceManager;
    std::unique_ptr<SoundManager> soundManager;
    std::unique_ptr<MusicInterface> musicInterface;
    std::unique_ptr<Window> mainWindow;
    std::unique_ptr<Window> invisibleWindow;
    // Entry a + b is min(a + b, 255) for two channel values.
    uint8_t AddClampTable[512];

    // Sound.
    bool soundDisabled = false;
    bool useFmod = false; // FMOD mode; only the constructor writes it
    double musicVolume = 0.85;
    double sfxVolume = 0.85;
    int muteCount = 0;
    int autoMuteCount = 0;

    // Pacing.
    int frameState = FRAME_MESSAGES;
    int stepDepth = 0;
    int stepMode = STEP_RUN;
    int framePeriodMs = 10;
    double updateSpeed = 1.0;
    bool smoothUpdates = false;
    int refreshRate = 100;
    bool vsyncBroken = false;
    bool waitForVSync = false;
    double updateAccumulatorMs = 0;
    uint32_t lastTimerTick = 0;
    double fractionAccumulator = 0;
    int updatesSinceWait = 0;
    bool updatedSinceDraw = true;
    bool lastDrawSkipped = false;
    bool drawingScreen = false;
    uint32_t lastDrawTime = 0;
    std::atomic<uint32_t> nextDrawTime{0}; // the cursor thread reads it
    bool forceDraw = false;
    int updateCount = 0;
    int drawCount = 0;
    int sleepCount = 0;
    int totalDrawTime = 0;
    int lastPresentTime = 0;
    int redrawCount = 0;
    int changedUpdateCount = 0;
    int refreshCheckUpdates = 0;
    uint32_t refreshCheckTime = 0;
    int fastSeconds = 0;
    bool idlePaused = false;
    bool displayLost = false;
    uint32_t lastIdleCheck = 0;
    uint32_t lastRecoveryAttempt = 0;
    std::atomic<bool> framePresented{false};
    std::atomic<int> frameIntervalMs{16}; // the display's, for the cursor thread

    // Window and input.
    std::deque<WindowMessage> messageQueue;
    bool active = true;
    bool hasFocus = true;
    bool minimised = false;
    bool minimisedNow = false;
    bool windowDisabled = false;
    bool mouseInside = false;
    bool hidden = false;
    bool inMainLoop = false;
    bool popupShown = false;
    uint32_t windowTimerTick = 0;
    uint32_t timerResumeTime = 0;
    uint32_t lastInputTime = 0;
    int preferredX = -1;
    int preferredY = -1;
    bool ctrlDown = false;
    bool altDown = false;
    bool debugKeysEnabled = false;
    bool muteWhenInactive = true;
    bool closedByUser = false;
    int wheelRest = 0; // wheel delta below one notch, carried to the next message
    static constexpr uint32_t kWindowTimerId = 100;

    // Screen-saver mode's input filter.
    int screenSaverMoves = 0;
    bool screenSaverHaveCursor = false;
    int screenSaverCursorX = 0;
    int screenSaverCursorY = 0;
    uint32_t monitorPowerTime = 0;
    bool screenSaverClosing = false;

    // Threads.
    std::thread cursorThread;
    std::atomic<bool> cursorThreadRunning{false};
    std::atomic<bool> cursorThreadStop{false};
    std::mutex cursorWakeMutex;
    std::condition_variable cursorWake;
    // Guards the main window against the cursor thread while it is
    // replaced.
    std::mutex mainWindowMutex;
    std::thread loadingThread;
    bool loadingStarted = false;
    // Set by the loading thread with release order once its work is done;
    // read with acquire order, so its results are visible.
    std::atomic<bool> loadingFinished{false};
    bool loadingAcknowledged = false;
    bool loadingThrottle = false;
    bool startLoadingOnRun = true;
    std::atomic<int> loadingTasksDone{0};
    std::atomic<int> loadingTasksTotal{0};

    // Cursors.
    int32_t cursorNum = 0;
    Image* customCursorImages[kCursorSlotCount] = {};
    CursorId overrideCursor = 0;
    bool customCursors = false;
    bool systemCursorShown = true;
    CursorId builtinCursors[2] = {};
    bool useSystemCaret = false;
    bool systemCaretShown = false;
    Point systemCaretPos;

    // Images: the pictures shared by name.
    SharedImageStore sharedImages{this};

    // Debug: the debug keys and the overlays (on, kind, their images).
    DeveloperTools developerTools;

    // Dialogs.
    std::map<int, Dialog*> dialogMap; // open dialogs by id, owned
    std::list<Dialog*> dialogList;    // open dialogs in the order shown
    DeferredDeleteQueue deferredDeletes;

    // Demo state the loop reads.
    bool recording = false;
    bool playing = false;
    bool loadingEventReplayed = false;
    bool playbackPaused = false;
    int demoLength = 0;
    int fastForwardTarget = 0;
    bool playToEnd = false;
    bool drawNow = false;
    bool fastForwardMuted = false;
    double savedMusicVolume = 0.0;
    double savedSfxVolume = 0.0;
    std::atomic<uint64_t> replayedMousePosition{0};
    std::string demoFileStem = "quibapp"; // of numbered demo files
    DemoEventStream demo;                 // the event stream and its cursors
    std::vector<DemoMarker> demoMarkers;
    uint32_t lastFastForwardDraw = 0;

    // Settings.
    std::unique_ptr<SettingsFile> settingsFile; // of settingsFileKey
    std::string settingsFileKey;
    bool lastRunEndedCleanly = true; // "InProgress" was 0 or missing

    // Shell services the window reads.
    bool urlOpening = false;
    bool exitAfterUrl = false;
    std::string urlBeingOpened;
    uint32_t urlOpenStart = 0;

private:
    void ApplyMouseMessage(const WindowMessage& m);
    void ApplyKeyDown(const WindowMessage& m);
    void ApplyTimer();
    void QueueMessage(Window& window, uint32_t message, WPARAM wParam, LPARAM lParam);
    // The screen-saver filter; true when it handled the message.
    bool ScreenSaverFilter(Window& window, uint32_t message, WPARAM wParam, LPARAM lParam, LPARAM& result);
    void IdleCheck(uint32_t now);
    void RecoverDisplay();
    void CursorThreadProc();
    void LoadingThreadMain();
    // Shows a cursor of the cursor system over the window.
    void ShowSystemCursor(CursorId cursor);
    void ApplyVolumes();
    // The client position of the main window that the cursor thread reads.
    bool CursorClientPosition(int& x, int& y);
    void DestroyMainWindow();
};

} // namespace Quib
