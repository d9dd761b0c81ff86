#include "framework/app/QuibAppBase.h"
#include "framework/app/RegistryString.h"
#include "framework/graphics/D3DResult.h"

#include "framework/app/AppDeveloperHost.h"
#include "framework/app/DDInterface.h"
#include "framework/files/PakInterface.h"
#include "framework/files/PathUtils.h"
#include "framework/files/PrintfFormat.h"
#include "framework/files/Random.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/sound/BassMusicInterface.h"
#include "framework/sound/DSoundManager.h"
#include "framework/sound/FModMusicInterface.h"
#include "framework/sound/SoundOutput.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/Clock.h"
#include "platform/Folders.h"
#include "platform/MessageSink.h"
#include "platform/SettingsFile.h"
#include "platform/SingleInstance.h"
#include "platform/TextCodecs.h"
#include "platform/WindowSystem.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace Quib {

QuibAppBase* gQuibAppBase = nullptr;

namespace {

std::mutex gFatalExitMutex;
FatalExitHandler gFatalExitHandler;

// A name that does not need the data folder in front of it: rooted, or
// with a drive.
bool IsAbsolutePath(const std::string& name)
{
    if (name.empty())
        return false;
    if (name[0] == '/' || name[0] == '\\')
        return true;
    return name.size() >= 3 && name[1] == ':' && (name[2] == '\\' || name[2] == '/');
}

} // namespace

void SetFatalExitHandler(FatalExitHandler handler)
{
    std::lock_guard lock(gFatalExitMutex);
    gFatalExitHandler = std::move(handler);
}

QuibAppBase::QuibAppBase()
{
    for (int i = 0; i < 512; ++i)
        AddClampTable[i] = static_cast<uint8_t>(std::min(i, 255));
    ImageLib::LoadJ2kCodec();

    const std::string programPath = ExecutablePath();
    productVersion = GetProductVersion(programPath);
    programFolder = GetDirectoryPart(programPath);

    loadTime = GetTickCount();
    lastDrawTime = TimeGetTime();
    nextDrawTime = lastDrawTime;

    stringTable["DIALOG_BUTTON_OK"] = u"OK";
    stringTable["DIALOG_BUTTON_CANCEL"] = u"CANCEL";
    stringTable["UPDATE_CHECK_TITLE"] = u"Update Check";
    stringTable["UPDATE_CHECK_BODY"] = u"Checking if there are any updates available for this product ...";
    stringTable["UP_TO_DATE_TITLE"] = u"Up to Date";
    stringTable["UP_TO_DATE_BODY"] = u"There are no updates available for this product at this time.";
    stringTable["NEW_VERSION_TITLE"] = u"New Version";
    stringTable["NEW_VERSION_BODY"] =
        u"There is an update available for this product.  Would you like to visit the web site to download it?";

    gQuibAppBase = this;
    SetDefaultImageRegistry(this);
    widgetManager = std::make_unique<WidgetManager>(this);
    resourceManager = std::make_unique<ResourceManager>(this);
    developerTools.appHost = std::make_unique<AppDeveloperHost>(*this);
    SetWidgetApp(this);
    // The 3-D device's last error text goes to the registry (Test3D\RuntimeError).
    SetD3DRuntimeErrorWriter([this](const std::string& name, const std::string& value) {
        RegistryWriteString(
            [this](std::string_view valueName, uint32_t type, const void* data, size_t size) {
                return RegistryWrite(std::string(valueName), type, static_cast<const uint8_t*>(data),
                                     uint32_t(size));
            },
            name, value);
    });
    pageFlipping = !tabletPC;
}

std::u16string QuibAppBase::GetStringEntry(const std::string& id, const std::u16string& defaultText) const
{
    const auto it = stringTable.find(id);
    return it == stringTable.end() ? defaultText : it->second;
}

void QuibAppBase::FatalExit(int exitCode)
{
    StopCursorThread();
    FatalExitHandler handler;
    {
        std::lock_guard lock(gFatalExitMutex);
        handler = gFatalExitHandler;
    }
    if (handler) {
        handler(exitCode);
        return;
    }
    std::exit(exitCode);
}

void QuibAppBase::Initialize()
{
    mainThreadId = std::this_thread::get_id();
    if (exiting)
        return;

    // The per-user data folder; a relative demo file name goes into it.
    std::string dataFolder = StripTrailingSlash(AppDataFolder());
    if (!dataFolderParent.empty())
        dataFolder += "/" + dataFolderParent;
    dataFolder += "/" + productKey;
    SetFolderWithSlash(Utf8ToUtf16(dataFolder));
    if (!IsAbsolutePath(demoFileName))
        demoFileName = Utf16ToUtf8(GetFolderWithSlash()) + demoFileName;

    if (!commandLineRead)
        ReadCommandLine();
    if (exiting)
        return;
    if (!KeepWorkingDirectory(programFolder) && !programFolder.empty()) {
        std::u16string previous;
        PushCurrentDirectoryW(previous, Utf8ToUtf16(programFolder));
    }
    GlobalPakInterface().AddPakFile("main.pak");

    // The demo comes before the settings: a replayed run reads its settings
    // and draws its random numbers as the recorded one did.
    randomSeed = GetTickCount();
    if (playing) {
        std::string error;
        if (!OpenDemoFile(error)) {
            playing = false;
            ShowFatalErrorA(error);
            FatalExit(0);
            return;
        }
    }
    MersenneSeed(randomSeed);
    Quib::srand(randomSeed);

    BeforeSettingsHook();
    LoadRegistrySettings();
    if (screenSaverMode)
        singleInstance = false;

    notifyMessage = RegisterWindowMessage("Notify" + productKey);
    instanceLock = std::make_unique<SingleInstance>(productKey);
    if (instanceLock->AlreadyRunning()) {
        OnAlreadyRunning();
        if (exiting)
            return;
    }

    WindowSystem& windows = GetWindowSystem();
    invisibleWindow = windows.CreateInvisibleWindow(windowTitle);
    invisibleWindow->SetProcedure(this);

    for (int i = 0; i < 2; ++i) {
        CursorMasks masks;
        if (GetBuiltinCursorMasks(i + 1, masks))
            builtinCursors[i] = windows.Cursors().CreateMaskCursor(masks);
    }
    BeforeCreateWindowHook();

    widgetManager->width = appWidth;
    widgetManager->height = appHeight;
    widgetManager->widgetSpaceRect = Rect(0, 0, appWidth, appHeight);
    widgetManager->windowRect = Rect(0, 0, appWidth, appHeight);

    const ScreenMetrics screen = windows.Screen();
    if (screen.width > 0 && screen.height > 0 && (appWidth >= screen.width || appHeight >= screen.height)) {
        windowedWanted = false;
        fullScreenForced = true;
    }

    if (!CreateMainWindow()) {
        if (!mainWindow) {
            ShowFatalErrorW(GetStringEntry("FAILED_CREATE_WINDOW", u"Failed to create the main window."));
            FatalExit(1);
        }
        return;
    }
    if (exiting)
        return;
    if (playing)
        ReadDemoScreenMode();

    if (!soundManager)
        soundManager = std::make_unique<DSoundManager>(SoundOutput::Device().get(),
                                                       soundDisabled ? nullptr : mainWindow.get(), useFmod);
    SetSfxVolume(sfxVolume);
    musicInterface = CreateMusicInterface(invisibleWindow.get());
    SetMusicVolume(musicVolume);

    if (screenSaverMode) {
        cursorNum = 11;
        RefreshCursor();
    }
    InitHook();
    initialized = true;
}

void QuibAppBase::OnAlreadyRunning()
{
    if (!singleInstance)
        return;
    if (instanceLock)
        instanceLock->NotifyFirst();
    FatalExit(0);
    // Only a test's exit handler gets here: this copy is done all the same.
    exiting = true;
    stepAbort = true;
}

void QuibAppBase::Run()
{
    if (exiting)
        return;
    StartCursorThread();
    if (startLoadingOnRun)
        StartLoadingThread();
    if (mainWindow) {
        mainWindow->Show(ShowCommand::Show);
        mainWindow->SetForeground();
    }
    TimeBeginPeriod(1);

    const uint32_t start = TimeGetTime();
    inMainLoop = true;
    lastInputTime = start;
    windowTimerTick = start;
    RunMainLoop();

    ProcessDeferredDeletes();
    inMainLoop = false;
    WaitForLoadingThread();

    const uint32_t elapsed = TimeGetTime() - start;
    OutputDebugString(StrFormat("Seconds       = %g\r\n", elapsed / 1000.0));
    OutputDebugString(StrFormat("Sleep Count   = %d\r\n", sleepCount));
    OutputDebugString(StrFormat("Update Count  = %d\r\n", updateCount));
    OutputDebugString(StrFormat("Draw Count    = %d\r\n", drawCount));
    OutputDebugString(StrFormat("Draw Time     = %d\r\n", totalDrawTime));
    OutputDebugString(StrFormat("Screen Blt    = %d\r\n", lastPresentTime));
    if (totalDrawTime + lastPresentTime > 0)
        OutputDebugString(
            StrFormat("Avg FPS       = %d\r\n", drawCount * 1000 / (totalDrawTime + lastPresentTime)));

    TimeEndPeriod(1);
    AfterMainLoopHook();
    SaveRegistrySettings();
}

void QuibAppBase::RequestExit()
{
    if (mainThreadId != std::thread::id() && std::this_thread::get_id() != mainThreadId) {
        exitRequestedByThread = true;
        return;
    }
    if (exiting)
        return;
    exiting = true;
    stepAbort = true;
    OnExitHook();
    if (playing) {
        SetMusicVolume(savedMusicVolume);
        SetSfxVolume(savedSfxVolume);
    }
    StopCursorThread();
    if (musicInterface)
        musicInterface->StopAllMusic();
    if (mainWindow)
        mainWindow->Show(ShowCommand::Hide);
    if (registryLoaded)
        SaveRegistrySettings();
    UnloadJ2KCodec();
}

QuibAppBase::~QuibAppBase()
{
    RequestExit();

    if (switched3D && display) {
        bool stored = false;
        if (!RegistryReadBool("Is3D", stored)) {
            if (display->is3D) {
                const std::u16string caption = Utf8ToUtf16(captionPrefix) + u" " +
                                               GetStringEntry("HARDWARE_ACCEL_CONFIRMATION",
                                                              u"Hardware Acceleration Confirmation");
                const std::u16string text = GetStringEntry(
                    "HARDWARE_ACCEL_SWITCHED_ON",
                    u"Hardware Acceleration was switched on during this session.\r\nIf this resulted in slower "
                    u"performance, it should be switched off.\r\nWould you like to keep Hardware Acceleration "
                    u"switched on?");
                const bool keep = ShowMessageBoxW(text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
                display->is3D = keep;
                if (keep)
                    RegistryWriteBool("Is3D", true);
            }
        } else {
            RegistryWriteBool("Is3D", display->is3D);
        }
    }

    while (!dialogMap.empty())
        CloseDialog(dialogMap.begin()->first);
    while (deferredDeletes.StepDepth() > 0)
        deferredDeletes.LeaveStep();
    stepDepth = 0;
    deferredDeletes.Flush();

    if (invisibleWindow)
        invisibleWindow->SetProcedure(nullptr);
    invisibleWindow.reset();
    widgetManager.reset();
    if (TheWidgetApp() == this)
        SetWidgetApp(nullptr);
    SetD3DRuntimeErrorWriter(nullptr);
    // The resource manager and the overlays let go of their pictures, then
    // the shared pictures go, all while the display they belong to exists.
    resourceManager.reset();
    developerTools.overlays.ReleaseImages();
    sharedImages.Clear();
    display.reset();
    musicInterface.reset();
    soundManager.reset();
    DestroyMainWindow();

    WaitForLoadingThread();
    CursorSystem& cursors = GetWindowSystem().Cursors();
    for (CursorId& cursor : builtinCursors) {
        if (cursor)
            cursors.DestroyCursor(cursor);
        cursor = 0;
    }
    {
        // Images that outlive the application belong to none from now on.
        std::lock_guard lock(ImageSetLock());
        for (MemoryImage* image : imageSet)
            image->app = nullptr;
        imageSet.clear();
    }
    if (gQuibAppBase == this)
        gQuibAppBase = nullptr;
    if (DefaultImageRegistry() == this)
        SetDefaultImageRegistry(nullptr);
    if (recording)
        WriteDemoFile();
    instanceLock.reset();
}

ImageDisplay* QuibAppBase::Display() const
{
    return display.get();
}

DDImage* QuibAppBase::CreateImage(const std::string& fileName, bool applyNow)
{
    if (fileName.empty())
        return nullptr;
    std::unique_ptr<ImageLib::Image> picture = ImageLib::LoadImageFile(fileName, true);
    if (!picture)
        return nullptr;
    auto* image = new DDImage(display.get());
    image->textureFlags |= 8; // an 8-8-8-8 texture
    image->name = fileName;
    if (picture->spareWord) {
        // The decoded block becomes the image's pixels: no copy.
        std::unique_ptr<uint32_t[]> words(picture->pixels);
        picture->pixels = nullptr;
        image->AdoptPixels(std::move(words), picture->width, picture->height, applyNow);
    } else {
        image->AssignPixels(picture->pixels, picture->width, picture->height, applyNow);
    }
    if (image->width != picture->width || image->height != picture->height) {
        delete image; // no room for the pixels
        return nullptr;
    }
    return image;
}

void QuibAppBase::RefreshAllImages()
{
    std::lock_guard lock(ImageSetLock());
    for (MemoryImage* image : imageSet)
        image->ReapplyStorageOptions();
}

void QuibAppBase::FreeAllImageBitBuffers()
{
    std::lock_guard lock(ImageSetLock());
    for (MemoryImage* image : imageSet)
        image->ReleaseDisplayCopy();
}

void QuibAppBase::ReleaseAllNativeImageData()
{
    std::lock_guard lock(ImageSetLock());
    for (MemoryImage* image : imageSet)
        image->ReleaseCaches();
}

std::unique_ptr<MusicInterface> QuibAppBase::CreateMusicInterface(void* window)
{
    if (soundDisabled)
        return std::make_unique<MusicInterface>();
    if (useFmod)
        return std::make_unique<FModMusicInterface>();
    return std::make_unique<BassMusicInterface>(window);
}

WidgetManager* QuibAppBase::GetWidgetManager()
{
    return widgetManager.get();
}

int QuibAppBase::GetCursorNum() const
{
    return cursorNum;
}

void QuibAppBase::SetCursorNum(int number)
{
    cursorNum = number;
}

void QuibAppBase::ShowDialog(Dialog* dialog)
{
    if (dialog)
        ShowDialog(dialog->id, dialog);
}

void QuibAppBase::ShowDialog(int id, Dialog* dialog)
{
    if (!dialog)
        return;
    const auto shown = dialogMap.find(id);
    if (shown != dialogMap.end() && shown->second == dialog)
        return; // already open
    CloseDialog(id);

    if (dialog->width == 0) {
        const int dialogWidth = appWidth / 2;
        dialog->SetBounds((appWidth - dialogWidth) / 2, appHeight / 5, dialogWidth,
                          dialog->GetPreferredHeight(dialogWidth));
    }
    dialogMap[id] = dialog;
    dialogList.push_back(dialog);
    widgetManager->AttachChild(dialog);
    if (dialog->IsModal()) {
        widgetManager->PushModalLayer(dialog);
        OnModalDialogOpened();
    }
}

void QuibAppBase::CloseDialog(Dialog* dialog)
{
    // By the id it is shown under (its own unless shown under another).
    for (const auto& [id, shown] : dialogMap) {
        if (shown == dialog) {
            CloseDialog(id, true, true);
            return;
        }
    }
}

void QuibAppBase::CloseDialog(int dialogId)
{
    CloseDialog(dialogId, true, true);
}

bool QuibAppBase::CloseDialog(int dialogId, bool removeWidget, bool deleteWidget)
{
    const auto it = dialogMap.find(dialogId);
    if (it == dialogMap.end())
        return false;
    Dialog* dialog = it->second;
    dialogMap.erase(it);
    dialogList.remove(dialog);
    if (removeWidget || deleteWidget)
        widgetManager->DetachChild(dialog);
    if (dialog->IsModal()) {
        OnModalDialogClosed();
        widgetManager->PopModalLayer(dialog);
    }
    if (deleteWidget)
        QueueDeferredDelete(dialog);
    return true;
}

DialogListener* QuibAppBase::GetDialogListener()
{
    return this;
}

void QuibAppBase::OnDialogButtonPress(int dialogId, int buttonId)
{
    if (buttonId == DIALOG_ID_YES)
        ButtonPress(dialogId + 2000);
    else if (buttonId == DIALOG_ID_NO)
        ButtonPress(dialogId + 3000);
}

void QuibAppBase::OnDialogButtonDepress(int dialogId, int buttonId)
{
    if (buttonId == DIALOG_ID_YES)
        ButtonDepress(dialogId + 2000);
    else if (buttonId == DIALOG_ID_NO)
        ButtonDepress(dialogId + 3000);
}

bool QuibAppBase::UsesSystemCaret() const
{
    return useSystemCaret;
}

void QuibAppBase::SetSystemCaret(bool shown, int x, int y)
{
    systemCaretShown = shown;
    if (shown)
        systemCaretPos = Point(x, y);
}

// The hooks and simple answers of the base.
void QuibAppBase::OnLoadingComplete() {}
void QuibAppBase::InitHook() {}
void QuibAppBase::OnExitHook() {}
void QuibAppBase::AfterMainLoopHook() {}
void QuibAppBase::LoadingThreadProc() {}
void QuibAppBase::BeforeCreateWindowHook() {}
void QuibAppBase::ReservedHook(int) {}
void QuibAppBase::BeforeDisplayInitHook() {}
void QuibAppBase::AfterDisplayInitHook() {}
bool QuibAppBase::KeepWorkingDirectory(const std::string&)
{
    return false;
}
void QuibAppBase::OnModalDialogOpened() {}
void QuibAppBase::OnModalDialogClosed() {}
void QuibAppBase::OnGotFocus() {}
void QuibAppBase::OnLostFocus() {}
bool QuibAppBase::OnRawKeyDown(int, bool, bool)
{
    return false;
}
void QuibAppBase::OnCloseRequest() {}
void QuibAppBase::OnFreshDisplayTest() {}
bool QuibAppBase::ReservedQuery(int, int)
{
    return false;
}
void QuibAppBase::BeforeSettingsHook() {}

} // namespace Quib
