// The cursor and loading threads, cursors, screen modes, volumes, shared
// images, screenshots and the debug keys of the loop.
#include "framework/app/DDInterface.h"
#include "framework/app/QuibAppBase.h"
#include "framework/files/PathUtils.h"
#include "framework/files/PrintfFormat.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/ImageLib.h"
#include "framework/sound/MusicInterface.h"
#include "framework/sound/SoundInstance.h"
#include "framework/sound/SoundManager.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/Clock.h"
#include "platform/MessageSink.h"
#include "platform/TextCodecs.h"
#include "platform/WindowSystem.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace Quib {

// ---- Cursor thread

void QuibAppBase::StartCursorThread()
{
    if (cursorThreadRunning || cursorThread.joinable())
        return;
    cursorThreadStop = false;
    cursorThreadRunning = true;
    cursorThread = std::thread([this] { CursorThreadProc(); });
}

void QuibAppBase::StopCursorThread()
{
    if (!cursorThread.joinable())
        return;
    {
        std::lock_guard lock(cursorWakeMutex);
        cursorThreadStop = true;
    }
    cursorWake.notify_all();
    if (cursorThread.get_id() != std::this_thread::get_id())
        cursorThread.join();
    else
        cursorThread.detach();
}

bool QuibAppBase::CursorClientPosition(int& x, int& y)
{
    if (playing) {
        UnpackCursorPosition(replayedMousePosition.load(), x, y);
        return true;
    }
    std::lock_guard lock(mainWindowMutex);
    if (!mainWindow)
        return false;
    mainWindow->GetLastMousePosition(x, y);
    return true;
}

void QuibAppBase::CursorThreadProc()
{
    std::unique_lock lock(cursorWakeMutex);
    while (!exiting && !cursorThreadStop) {
        lock.unlock();
        int x = 0, y = 0;
        DDInterface* target = display.get();
        if (target && framePresented && CursorClientPosition(x, y)) {
            const uint64_t position = PackCursorPosition(x, y);
            const uint32_t sinceDraw = TimeGetTime() - nextDrawTime.load();
            if (position != target->drawnCursorPosition.load() &&
                sinceDraw <= uint32_t(std::max(frameIntervalMs.load(), 0) + 5))
                target->cursorPosition.store(position);
        }
        lock.lock();
        cursorWake.wait_for(lock, std::chrono::milliseconds(10), [this] { return exiting || cursorThreadStop; });
    }
    cursorThreadRunning = false;
}

// ---- Loading thread

void QuibAppBase::StartLoadingThread()
{
    if (loadingStarted)
        return;
    if (loadingThread.joinable())
        loadingThread.join(); // an earlier one, done
    loadingThrottle = true;
    loadingStarted = true;
    loadingFinished.store(false, std::memory_order_relaxed);
    loadingAcknowledged = false;
    loadingThread = std::thread([this] { LoadingThreadMain(); });
}

void QuibAppBase::LoadingThreadMain()
{
    LoadingThreadProc();
    OutputDebugString(StrFormat("Resource Loading Time: %d\r\n", int(GetTickCount() - loadTime)));
    // Release: everything the loading work wrote is visible to the thread
    // that sees the flag.
    loadingFinished.store(true, std::memory_order_release);
}

void QuibAppBase::WaitForLoadingThread()
{
    if (loadingThread.joinable() && loadingThread.get_id() != std::this_thread::get_id())
        loadingThread.join();
}

double QuibAppBase::GetLoadingProgress()
{
    if (loadingAcknowledged)
        return 1.0;
    if (!loadingStarted)
        return 0.0;
    const int total = loadingTasksTotal.load();
    if (total <= 0)
        return 0.0;
    return std::min(1.0, double(loadingTasksDone.load()) / total);
}

// ---- Cursors

bool QuibAppBase::SetCustomCursorImage(int cursorNumber, Image* image)
{
    if (!IsCursorSlot(cursorNumber))
        return false;
    customCursorImages[cursorNumber] = image;
    return true;
}

void QuibAppBase::ShowSystemCursor(CursorId cursor)
{
    GetWindowSystem().Cursors().SetCursor(cursor);
}

void QuibAppBase::RefreshCursor()
{
    if (!display)
        return;
    CursorSystem& cursors = GetWindowSystem().Cursors();
    if (hidden || !mouseInside) {
        ShowSystemCursor(cursors.GetStandardCursor(StandardCursor::Arrow));
        return;
    }
    const int n = cursorNum;
    Image* custom = IsCursorSlot(n) ? customCursorImages[n] : nullptr;
    if (custom && (playing || customCursors || n == 12)) {
        if (display->SetCursorImage(custom))
            forceDraw = true;
        CursorId shown = 0;
        if (playing) {
            // The replay's own cursor is drawn: the live one says "hands
            // off" over the application and is the arrow around it.
            int x = 0, y = 0;
            if (mainWindow)
                mainWindow->GetLastMousePosition(x, y);
            const Rect& area = display->presentRect;
            const bool overApp = x >= area.x && y >= area.y && x < area.x + area.width && y < area.y + area.height;
            shown = cursors.GetStandardCursor(overApp ? StandardCursor::No : StandardCursor::Arrow);
        }
        ShowSystemCursor(shown);
        systemCursorShown = false;
        return;
    }
    CursorId cursor = overrideCursor;
    if (!cursor) {
        const CursorChoice choice = CursorChoiceFor(n);
        if (choice.kind == CursorChoice::Builtin)
            cursor = builtinCursors[choice.builtin - 1];
        else if (choice.kind == CursorChoice::Standard)
            cursor = cursors.GetStandardCursor(choice.standard);
    }
    ShowSystemCursor(cursor);
    if (display->SetCursorImage(nullptr))
        forceDraw = true;
    systemCursorShown = true;
}

void QuibAppBase::EnableCustomCursors(bool enable)
{
    customCursors = enable;
    RefreshCursor();
}

// ---- Display and screen mode

DDInterface* QuibAppBase::ChangeDisplay(bool is3D, bool reinitialise)
{
    if (!display)
        return nullptr;
    if (display->is3D == is3D)
        return display.get();
    switched3D = true;
    display->is3D = is3D;
    if (!reinitialise)
        return display.get();
    const int result = InitDisplay();
    if (result != RESULT_OK) {
        if (is3D)
            return ChangeDisplay(false, true);
        ShowFatalErrorW(GetStringEntry("FAILED_INIT_DIRECTDRAW", u"Failed to initialize DirectDraw: ") +
                        Utf8ToUtf16(DisplayResultName(result)) + u" " + Utf8ToUtf16(display->errorText));
        FatalExit(1);
        return display.get();
    }
    RefreshAllImages();
    widgetManager->screenImage = display->screenImage;
    widgetManager->InvalidateAll();
    return display.get();
}

void QuibAppBase::SwitchScreenMode(bool wantWindow, bool is3D, bool force)
{
    if (fullScreenForced)
        wantWindow = false;
    else
        windowedChoice = wantWindow;
    if (wantWindow == windowedWanted && !force) {
        ChangeDisplay(is3D, true);
        return;
    }
    ChangeDisplay(is3D, false);
    windowedWanted = wantWindow;
    CreateMainWindow();
    if (mainWindow) {
        if (urlOpening) {
            mainWindow->Show(ShowCommand::ShowNoActivate);
        } else {
            mainWindow->Show(ShowCommand::ShowNormal);
            mainWindow->SetForeground();
        }
    }
    if (soundManager)
        soundManager->SetCooperativeWindow(mainWindow.get());
    ResetUpdateTimer();
}

void QuibAppBase::SwitchScreenModeWindowed(bool wantWindow)
{
    SwitchScreenMode(wantWindow, display && display->is3D, false);
}

void QuibAppBase::RefreshScreenMode()
{
    SwitchScreenMode(windowedWanted, display && display->is3D, true);
}

void QuibAppBase::UseVideoMemoryBackBuffer(bool use)
{
    if (use == videoMemoryBackBuffer)
        return;
    videoMemoryBackBuffer = use;
    if (!display)
        return;
    display->UseVideoMemoryBackBuffer(use);
    widgetManager->screenImage = display->screenImage;
    widgetManager->InvalidateAll();
}

void QuibAppBase::HideApp()
{
    if (musicInterface)
        musicInterface->SetVolume(0);
    if (mainWindow)
        mainWindow->Show(ShowCommand::Hide);
    hidden = true;
    RefreshCursor();
}

// ---- Volumes

void QuibAppBase::SetMusicVolume(double volume)
{
    musicVolume = volume;
    if (musicInterface)
        musicInterface->SetVolume(muteCount > 0 ? 0.0 : volume);
}

void QuibAppBase::SetSfxVolume(double volume)
{
    sfxVolume = volume;
    if (soundManager)
        soundManager->SetVolume(muteCount > 0 ? 0.0 : volume);
}

void QuibAppBase::ApplyVolumes()
{
    SetMusicVolume(musicVolume);
    SetSfxVolume(sfxVolume);
}

void QuibAppBase::Mute(bool automatic)
{
    ++muteCount;
    if (automatic)
        ++autoMuteCount;
    ApplyVolumes();
}

void QuibAppBase::Unmute(bool automatic)
{
    if (muteCount > 0) {
        --muteCount;
        if (automatic && autoMuteCount > 0)
            --autoMuteCount;
    }
    ApplyVolumes();
}

bool QuibAppBase::IsMuted()
{
    return muteCount > 0;
}

double QuibAppBase::GetMusicVolume()
{
    return musicVolume;
}

double QuibAppBase::GetSfxVolume()
{
    return sfxVolume;
}

double QuibAppBase::GetMasterVolume()
{
    return soundManager ? soundManager->GetMasterVolume() : 0.0;
}

void QuibAppBase::SetMasterVolume(double volume)
{
    if (soundManager)
        soundManager->SetMasterVolume(volume);
}

void QuibAppBase::PlaySample(int id, int pan)
{
    if (!soundManager || id < 0)
        return;
    if (SoundInstance* instance = soundManager->GetSoundInstance(unsigned(id))) {
        instance->SetPan(pan);
        instance->Play(false, true);
    }
}

void QuibAppBase::PlaySample(int id)
{
    if (!soundManager || id < 0)
        return;
    if (SoundInstance* instance = soundManager->GetSoundInstance(unsigned(id)))
        instance->Play(false, true);
}

// ---- Shared images

SharedImageRef QuibAppBase::GetSharedImage(const std::string& fileName, const std::string& variant, bool* created)
{
    return sharedImages.GetSharedImage(fileName, variant, created);
}

void QuibAppBase::PurgeReleasedSharedImages()
{
    sharedImages.PurgeReleasedSharedImages();
}

// ---- Screenshots and debug keys

std::string QuibAppBase::TakeScreenshot()
{
    if (!display || !display->drawSurface)
        return {};
    std::string folder = Utf16ToUtf8(GetFolderWithSlash());
    if (folder.empty())
        folder = AddTrailingSlash(GetCurrentDir());
    std::replace(folder.begin(), folder.end(), '\\', '/');
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    folder += "_screenshots";
    MkdirTree(folder);
    folder += '/';

    int highest = 0;
    std::error_code error;
    for (const auto& file : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = file.path().filename().string();
        int number = 0;
        char rest[8] = {};
        if (name.size() > 9 && name.compare(0, 5, "image") == 0 &&
            std::sscanf(name.c_str() + 5, "%d%7s", &number, rest) == 2 && std::string(rest) == ".png")
            highest = std::max(highest, number);
    }

    DDImage lent(display.get());
    lent.AttachSurface(display->drawSurface);
    ImageLib::Image picture;
    picture.width = lent.width;
    picture.height = lent.height;
    picture.pixels = new uint32_t[size_t(std::max(lent.width, 1)) * size_t(std::max(lent.height, 1))];
    std::string path = folder + "image" + std::to_string(highest + 1) + ".png";
    if (!lent.ReadPictureInto(picture.pixels) || !ImageLib::WritePng(path, &picture))
        path.clear();
    lent.AttachSurface(nullptr);
    ResetUpdateTimer();
    return path;
}

bool QuibAppBase::DebugKey(int key)
{
    return developerTools.DebugKey(*this, key);
}

} // namespace Quib
