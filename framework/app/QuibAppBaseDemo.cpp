// Demo recording and playback.
#include "framework/app/QuibAppBase.h"

#include "framework/app/DDInterface.h"
#include "framework/files/PakInterface.h"
#include "framework/files/PathUtils.h"
#include "framework/files/PrintfFormat.h"
#include "framework/files/ProcessLog.h"
#include "framework/files/Random.h"
#include "framework/sound/SoundManager.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/Clock.h"
#include "platform/FileNames.h"
#include "platform/SettingsFile.h"
#include "platform/Window.h"
#include "platform/WindowMessages.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>

namespace Quib {

namespace {

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(uint8_t(x)) == std::tolower(uint8_t(y));
           });
}

// N of a name stem + N + ".dmo" (letter case aside, N plain digits); -1
// for any other name.
int NumberedDemo(std::string_view name, std::string_view stem)
{
    constexpr std::string_view kExtension = ".dmo";
    if (name.size() <= stem.size() + kExtension.size())
        return -1;
    if (!EqualsNoCase(name.substr(0, stem.size()), stem) ||
        !EqualsNoCase(name.substr(name.size() - kExtension.size()), kExtension))
        return -1;
    const std::string_view digits = name.substr(stem.size(), name.size() - stem.size() - kExtension.size());
    if (digits.size() > 9)
        return -1;
    int number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return -1;
        number = number * 10 + (c - '0');
    }
    return number;
}

const char* DemoEventName(int code)
{
    switch (code) {
    case DEMO_REGISTRY_READ: return "registry read";
    case DEMO_REGISTRY_WRITE: return "registry write";
    case DEMO_VALUE: return "value";
    case DEMO_SCREEN_MODE: return "screen mode";
    default: return "event";
    }
}

} // namespace

void QuibAppBase::WriteDemoEventHeader(bool mouseClass, int code)
{
    demo.WriteHeader(updateCount, mouseClass, code);
}

bool QuibAppBase::PrepareDemoEvent()
{
    return demo.Prepare(updateCount);
}

void QuibAppBase::RecordDemoEvent(const DemoEvent& event)
{
    if (recording)
        demo.WriteEvent(updateCount, event);
}

void QuibAppBase::RecordDemoEvent(int code)
{
    DemoEvent event;
    event.code = code;
    RecordDemoEvent(event);
}

void QuibAppBase::RecordDemoScreenMode(bool windowedFlag, int rate)
{
    DemoEvent event;
    event.code = DEMO_SCREEN_MODE;
    event.flag = windowedFlag;
    event.value = rate;
    RecordDemoEvent(event);
}

void QuibAppBase::RecordDemoWheel(int notches)
{
    if (exiting)
        return;
    DemoEvent event;
    event.code = DEMO_MOUSE_WHEEL;
    event.value = notches;
    RecordDemoEvent(event);
}

void QuibAppBase::SetReplayedMousePosition(int x, int y)
{
    replayedMousePosition.store(PackCursorPosition(x, y));
}

void QuibAppBase::RecordDemoMessage(const WindowMessage& message)
{
    if (!recording || exiting)
        return;
    const bool ofMainWindow = message.window && message.window == mainWindow.get();
    DemoEvent event;
    switch (message.message) {
    case WM_ACTIVATEAPP:
        if (!ofMainWindow)
            return;
        event.code = DEMO_ACTIVATE;
        event.flag = message.wParam != 0;
        break;
    case WM_SIZE:
        if (!ofMainWindow)
            return;
        event.code = DEMO_MINIMISED;
        event.flag = message.wParam == SIZE_MINIMIZED;
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        event.code = DEMO_KEY_DOWN;
        event.value = int(message.wParam & 0xFF);
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        event.code = DEMO_KEY_UP;
        event.value = int(message.wParam & 0xFF);
        break;
    case WM_CHAR:
        event.code = DEMO_CHAR;
        event.flag = true;
        event.value = int(message.wParam & 0xFFFF);
        break;
    case WM_CLOSE:
        if (!ofMainWindow && !(message.window && message.window == invisibleWindow.get()))
            return;
        event.code = DEMO_CLOSE;
        break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: {
        // Replayed straight into the widget manager: application
        // coordinates, so a replay does not depend on the window's size.
        int x = LowWordSigned(message.lParam);
        int y = HighWordSigned(message.lParam);
        widgetManager->ScaleMousePoint(x, y);
        demo.WriteMousePosition(updateCount, x, y);
        event.mouseClass = true;
        event.code = DEMO_MOUSE_BUTTON;
        switch (message.message) {
        case WM_LBUTTONDOWN: event.flag = true, event.value = CLICK_LEFT; break;
        case WM_LBUTTONDBLCLK: event.flag = true, event.value = CLICK_LEFT_DOUBLE; break;
        case WM_RBUTTONDOWN: event.flag = true, event.value = CLICK_RIGHT; break;
        case WM_RBUTTONDBLCLK: event.flag = true, event.value = CLICK_RIGHT_DOUBLE; break;
        case WM_MBUTTONDOWN: event.flag = true, event.value = CLICK_MIDDLE; break;
        case WM_LBUTTONUP: event.value = CLICK_LEFT; break;
        case WM_RBUTTONUP: event.value = CLICK_RIGHT; break;
        case WM_MBUTTONUP: event.value = CLICK_MIDDLE; break;
        default: return; // a move: its position is all
        }
        break;
    }
    default: return;
    }
    demo.WriteEvent(updateCount, event);
}

void QuibAppBase::PlaybackDemoEvents()
{
    if (!playing)
        return;
    // An event whose header was the last bits of the stream is applied too.
    while (!exiting && PrepareDemoEvent()) {
        DemoEvent event;
        if (!demo.TakePending(event))
            break;
        ApplyDemoEvent(event);
    }
}

void QuibAppBase::ApplyDemoEvent(const DemoEvent& event)
{
    WidgetManager& manager = *widgetManager;
    const int x = demo.lastMouseX; // moved already by a mouse event
    const int y = demo.lastMouseY;
    // A move reaches the widgets as a live mouse message's does: a drag
    // while a button is held.
    const auto move = [&] {
        SetReplayedMousePosition(x, y);
        if (manager.buttonsOnPressed != 0)
            manager.HandleMouseDrag(x, y);
        else
            manager.SetMousePosition(x, y);
    };
    if (event.mouseClass) {
        if (event.code == DEMO_MOUSE_MOVE)
            move();
        else if (event.flag)
            manager.HandleMouseDown(x, y, event.value);
        else
            manager.HandleMouseUp(x, y, event.value);
        return;
    }
    switch (event.code) {
    case DEMO_MOUSE_POSITION: move(); break;
    case DEMO_ACTIVATE:
        if (exiting)
            break;
        active = event.flag;
        OnActiveChanged();
        if (active && !windowed)
            manager.InvalidateAll();
        if (urlOpening && !active)
            OnOpenUrlDone(urlBeingOpened);
        break;
    case DEMO_MINIMISED:
        if (exiting)
            break;
        ApplyMinimised(event.flag);
        OnActiveChanged();
        break;
    case DEMO_KEY_DOWN: manager.HandleKeyDown(event.value); break;
    case DEMO_KEY_UP: manager.HandleKeyUp(event.value); break;
    case DEMO_CHAR: manager.HandleKeyChar(char16_t(event.value)); break;
    case DEMO_CLOSE: RequestExit(); break;
    case DEMO_MOUSE_ENTER:
        mouseInside = true;
        RefreshCursor();
        break;
    case DEMO_MOUSE_LEAVE:
        manager.HandleMouseExit();
        mouseInside = false;
        RefreshCursor();
        break;
    case DEMO_LOADING_DONE: loadingEventReplayed = true; break;
    case DEMO_REGISTRY_READ:
    case DEMO_REGISTRY_WRITE:
    case DEMO_VALUE:
        // Read whole (its data is consumed), so the stream stays in step.
        QUIB_LOG_ERROR("Demo out of step: a recorded %s at update %d was not asked for", DemoEventName(event.code),
                       updateCount);
        break;
    case DEMO_MOUSE_WHEEL: manager.HandleMouseWheel(event.value); break;
    case DEMO_SCREEN_MODE:
        windowedWanted = event.flag;
        refreshRate = event.value;
        break;
    default: break; // fillers
    }
}

void QuibAppBase::ReadDemoScreenMode()
{
    if (!playing)
        return;
    if (!PrepareDemoEvent() || demo.PendingClass() || demo.PendingCode() != DEMO_SCREEN_MODE) {
        QUIB_LOG_ERROR("Demo out of step: no recorded screen mode at start-up");
        return;
    }
    DemoEvent event;
    if (demo.TakePending(event)) {
        windowedWanted = event.flag;
        refreshRate = event.value;
    }
}

bool QuibAppBase::DemoEventDueNow()
{
    return playing && PrepareDemoEvent();
}

bool QuibAppBase::DemoFinished()
{
    return demo.needHeader && demo.buffer.AtEnd();
}

bool QuibAppBase::DemoFastForward(double framesPerPresent, double)
{
    // Playing to the end stops where the recording stopped; after that
    // updates would only run on at full speed with nothing to replay.
    if (playToEnd && DemoFinished())
        playToEnd = false;
    if (updateCount < fastForwardTarget || playToEnd) {
        // The next step pumps messages and applies what is due.
        frameState = FRAME_DONE;
        if (!drawNow && !fastForwardMuted) {
            fastForwardMuted = true;
            Mute(true);
        }
        for (;;) {
            ResetUpdateTimer();
            // No update while a recorded event is due: the next message
            // step applies it.
            if (!DoUpdateFrames())
                return true;
            fractionAccumulator += framesPerPresent - 1;
            ProcessDeferredDeletes();
            while (fractionAccumulator >= 1) {
                PlaybackDemoEvents();
                if (!DoUpdateFrames())
                    break;
                ProcessDeferredDeletes();
                fractionAccumulator -= 1;
            }
            UpdateFrameFraction(float(framesPerPresent));
            ProcessDeferredDeletes();
            const uint32_t now = TimeGetTime();
            if (drawNow || now - lastFastForwardDraw >= 1000) {
                drawNow = false;
                lastFastForwardDraw = now;
                DrawDirtyStuff();
                return true;
            }
            // The target itself is not passed.
            if ((updateCount >= fastForwardTarget && !playToEnd) || exiting)
                return true;
        }
    }
    if (fastForwardMuted) {
        fastForwardMuted = false;
        if (soundManager)
            soundManager->StopAllSounds();
        Unmute(true);
    }
    return false;
}

bool QuibAppBase::OpenDemoFile(std::string& error)
{
    PakFile* file = PakFOpen(demoFileName);
    if (!file) {
        error = "Demo file not found: " + demoFileName;
        return false;
    }
    // One byte more than any file may have tells a file too large.
    std::string bytes;
    char chunk[65536];
    size_t got = 0;
    while (bytes.size() <= DEMO_MAX_FILE_BYTES && (got = PakFRead(chunk, 1, sizeof chunk, file)) > 0)
        bytes.append(chunk, got);
    PakFClose(file);

    DemoFileData data;
    if (!ParseDemoFile(bytes, data, error))
        return false;
    if (data.productVersion != productVersion) {
        error = "This demo file appears to be for '" + data.productVersion + "'";
        return false;
    }
    randomSeed = data.seed;
    MersenneSeed(randomSeed);
    srand(randomSeed);
    demoMarkers = std::move(data.markers);
    demoLength = data.updateCount;
    demo.Clear();
    demo.version = data.version;
    demo.buffer = std::move(data.events);
    loadingEventReplayed = false;
    return true;
}

void QuibAppBase::WriteDemoFile()
{
    if (!recording)
        return;
    DemoFileData data;
    data.seed = randomSeed;
    data.productVersion = productVersion;
    data.markers = demoMarkers;
    data.updateCount = updateCount;
    data.events = demo.buffer;
    const std::string bytes = FormatDemoFile(data);
    const std::string folder = GetDirectoryPart(demoFileName);
    if (!folder.empty())
        MakeDirectories(folder);
    AtomicFileWriter writer(demoFileName);
    if (!writer.IsOpen() || !writer.Write(bytes) || !writer.Commit())
        QUIB_LOG_ERROR("The demo file \"%s\" could not be written", demoFileName.c_str());
}

int QuibAppBase::RotateDemoFiles(const std::string& stem, int keep, bool deleteOldest)
{
    const int slash = std::max(StringRFindChar(stem, '\\'), StringRFindChar(stem, '/'));
    const std::string folder = slash >= 0 ? stem.substr(0, size_t(slash) + 1) : std::string();
    const std::string base = stem.substr(size_t(slash + 1));
    int highest = 0;
    int lowest = INT_MAX;
    std::string lowestName;
    int count = 0;
    for (const DiskFindEntry& entry : FindOnDisk(stem + "*.dmo")) {
        const int number = entry.isDirectory ? -1 : NumberedDemo(entry.name, base);
        if (number < 0)
            continue;
        ++count;
        highest = std::max(highest, number);
        if (number < lowest) {
            lowest = number;
            lowestName = entry.name;
        }
    }
    if (deleteOldest && count > 0 && count >= keep)
        RemoveFile(folder + lowestName);
    return highest;
}

void QuibAppBase::RecordOrReplayValue(std::vector<uint8_t>& value)
{
    if (playing) {
        if (closedByUser)
            return;
        if (!PrepareDemoEvent() || demo.PendingClass() || demo.PendingCode() != DEMO_VALUE) {
            QUIB_LOG_ERROR("Demo out of step: no recorded value at update %d", updateCount);
            return;
        }
        DemoEvent event;
        if (demo.TakePending(event))
            value = std::move(event.bytes);
        return;
    }
    DemoEvent event;
    event.code = DEMO_VALUE;
    event.bytes = value;
    RecordDemoEvent(event);
}

bool QuibAppBase::RecordOrReplayBool(bool value)
{
    std::vector<uint8_t> bytes{uint8_t(value ? 1 : 0)};
    RecordOrReplayValue(bytes);
    if (bytes.size() != 1) {
        QUIB_LOG_ERROR("Demo out of step: a recorded value of %d bytes for a yes/no", int(bytes.size()));
        return value;
    }
    return bytes[0] != 0;
}

std::string QuibAppBase::RecordOrReplayString(const std::string& value)
{
    const size_t length = std::min<size_t>(value.size(), 0xFFFF);
    std::vector<uint8_t> bytes{uint8_t(length), uint8_t(length >> 8)};
    bytes.insert(bytes.end(), value.begin(), value.begin() + std::ptrdiff_t(length));
    RecordOrReplayValue(bytes);
    const size_t stored = bytes.size() >= 2 ? size_t(bytes[0]) | size_t(bytes[1]) << 8 : 0;
    if (bytes.size() < 2 || bytes.size() != 2 + stored) {
        QUIB_LOG_ERROR("Demo out of step: a recorded value of %d bytes for a text", int(bytes.size()));
        return value;
    }
    return std::string(bytes.begin() + 2, bytes.end());
}

void QuibAppBase::HandlePlaybackKey(int key)
{
    if (!playing)
        return;
    const int32_t period = std::max(framePeriodMs, 1);
    switch (key) {
    case '+': updateSpeed *= 1.5; break;
    case '-': updateSpeed /= 1.5; break;
    case '=': updateSpeed = 1.0; break;
    case '0': fastForwardTarget = demoLength; break;
    case '4':
    case '5':
    case '6':
    case '7':
    case '8':
    case '9': {
        static constexpr int32_t kBeforeEndMs[] = {120000, 90000, 60000, 30000, 10000, 5000};
        fastForwardTarget = demoLength - kBeforeEndMs[key - '4'] / period;
        break;
    }
    case 'M':
    case 'm': playToEnd = true; break;
    case 'N':
    case 'n':
        fastForwardTarget = updateCount + 1;
        drawNow = true;
        break;
    case 'P':
    case 'p':
        playbackPaused = !playbackPaused;
        ResetUpdateTimer();
        break;
    case 'S':
    case 's':
        if (GetMusicVolume() != 0.0) {
            savedMusicVolume = GetMusicVolume();
            SetMusicVolume(0.0);
        } else {
            SetMusicVolume(savedMusicVolume);
        }
        if (GetSfxVolume() != 0.0) {
            savedSfxVolume = GetSfxVolume();
            SetSfxVolume(0.0);
        } else {
            SetSfxVolume(savedSfxVolume);
        }
        break;
    case 'J':
    case 'j': ShowJumpToTimeDialog(); break;
    case 'L':
    case 'l': ShowMarkerListDialog(); break;
    default: break;
    }
}

std::string QuibAppBase::GetDemoJumpTimeText()
{
    std::string text;
    if (SettingsFile* file = Settings())
        file->ReadString("DemoJumpTime", text);
    if (text.size() > 1000)
        text.resize(1000);
    return text;
}

void QuibAppBase::SetDemoJumpTime(const std::string& entered)
{
    const std::string text = entered.substr(0, 500);
    if (SettingsFile* file = Settings())
        file->WriteString("DemoJumpTime", text);
    // "h:m:s", "m:s" or "s": each field is worth 60 of the next.
    int64_t seconds = 0;
    size_t start = 0;
    for (;;) {
        const size_t colon = text.find(':', start);
        seconds = std::clamp<int64_t>(seconds * 60 + std::atoi(text.substr(start, colon - start).c_str()),
                                      -INT32_MAX, INT32_MAX);
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    const int64_t updates = (seconds + 1) * 1000 / std::max(framePeriodMs, 1);
    fastForwardTarget = int32_t(std::clamp<int64_t>(int64_t(demoLength) - updates, INT32_MIN, INT32_MAX));
}

std::vector<std::pair<std::string, int32_t>> QuibAppBase::GetDemoMarkerLines() const
{
    std::vector<std::pair<std::string, int32_t>> lines;
    for (const DemoMarker& marker : demoMarkers) {
        if (marker.updateNumber <= updateCount)
            continue;
        const int64_t t = (int64_t(demoLength) - marker.updateNumber) * framePeriodMs;
        lines.emplace_back(StrFormat("%s (%02d:%02d:%02d)", marker.name.c_str(), int(t / 3600000),
                                     int(t / 60000 % 60), int(t / 1000 % 60)),
                           marker.updateNumber);
    }
    return lines;
}

void QuibAppBase::JumpToDemoMarker(int32_t updateNumber)
{
    if (updateNumber > updateCount)
        fastForwardTarget = updateNumber;
}

} // namespace Quib
