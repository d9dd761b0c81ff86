// The main loop: application steps, timed updates, drawing and presenting,
// deferred deletes.
#include "framework/app/DDInterface.h"
#include "framework/app/QuibAppBase.h"
#include "framework/files/PerfScope.h"
#include "framework/graphics/DDImage.h"
#include "framework/sound/MusicInterface.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/Clock.h"
#include "platform/SingleInstance.h"
#include "platform/WindowSystem.h"

#include <algorithm>
#include <cmath>

namespace Quib {

void QuibAppBase::RunMainLoop()
{
    while (!exiting) {
        stepAbort = false;
        AppStepUntilUpdate();
    }
}

bool QuibAppBase::AppStepUntilUpdate()
{
    for (;;) {
        if (stepAbort)
            return false;
        bool updated = false;
        AppStep(&updated);
        if (updated)
            return true;
    }
}

bool QuibAppBase::AppStep(bool* updated)
{
    if (updated)
        *updated = false;
    if (stepAbort)
        return false;
    if (frameState == FRAME_DONE)
        frameState = FRAME_MESSAGES;
    ++stepDepth;
    deferredDeletes.EnterStep();

    if (frameState == FRAME_MESSAGES) {
        if (instanceLock && mainWindow && notifyMessage != 0) {
            for (int n = instanceLock->TakeNotifications(); n > 0; --n)
                GetWindowSystem().PostMessage(mainWindow.get(), notifyMessage, 0, 0);
        }
        WindowSystem& windows = GetWindowSystem();
        WindowMessage message;
        while (!exiting && windows.PeekMessage(message))
            windows.DispatchMessage(message);
        PlaybackDemoEvents();
        if (!messageQueue.empty())
            ProcessDeferredMessage();
        else
            frameState = FRAME_UPDATE;
    } else {
        const int before = updateCount;
        switch (stepMode) {
        case STEP_RUN: RunTimedUpdate(true); break;
        case STEP_PAUSED:
            Sleep(uint32_t(std::max(framePeriodMs, 1)));
            frameState = FRAME_DONE;
            break;
        default: // one step asked for
            stepMode = STEP_PAUSED;
            DoUpdateFrames();
            UpdateFrameFraction(1.0f);
            DrawDirtyStuff();
            break;
        }
        if (updated)
            *updated = updateCount != before;
    }

    --stepDepth;
    deferredDeletes.LeaveStep();
    return true;
}

namespace {

// Adds the time since the last tick to the time owed to updates, at most
// 200 ms of it.
void Accumulate(double& accumulator, uint32_t& lastTick, uint32_t now)
{
    if (lastTick != 0)
        accumulator = std::min(200.0, accumulator + double(now - lastTick));
    lastTick = now;
}

} // namespace

bool QuibAppBase::RunTimedUpdate(bool allowSleep)
{
    if (exitRequestedByThread.exchange(false))
        RequestExit();

    const bool refreshPaced = !playing && smoothUpdates && !lastDrawSkipped && !vsyncBroken && !windowed;
    const int rate = std::max(refreshRate, 1);
    const int period = std::max(framePeriodMs, 1);
    const bool timed = updateSpeed > 0 && !(playing && playbackPaused);
    double P = 0;
    double F = 1.0;
    if (timed) {
        if (smoothUpdates) {
            P = 1000.0 / rate / updateSpeed;
            F = 1000.0 / (double(rate) * period);
        } else {
            P = period / updateSpeed;
        }
    }

    // Also once the target is reached: that ends the fast-forward's mute.
    if (playing && DemoFastForward(F, P))
        return true;

    if (!timed) {
        // Nothing is timed: the next step pumps messages again, after a
        // frame's sleep rather than a busy loop.
        frameState = FRAME_DONE;
        if (allowSleep)
            Sleep(uint32_t(period));
        ProcessDeferredDeletes();
        return true;
    }

    const uint32_t t0 = TimeGetTime();
    uint32_t slept = 0;
    if (!refreshPaced)
        Accumulate(updateAccumulatorMs, lastTimerTick, t0);

    bool ranUpdate = false;
    if (frameState == FRAME_UPDATE) {
        ++updatesSinceWait;
        // At least two: one update always runs between draws or waits,
        // however slow the speed.
        const int runLimit = std::max(2, int(std::ceil(updateSpeed * 10)));
        bool due;
        if (updatesSinceWait >= runLimit && loadingAcknowledged)
            due = false;
        else if (refreshPaced)
            due = !updatedSinceDraw || updateAccumulatorMs >= std::trunc(0.75 * P);
        else
            due = updateAccumulatorMs >= P;
        if (due) {
            if (!playing && updateSpeed == 1.0) {
                // Three game seconds in a row that took 800 ms or less: the
                // refresh pacing runs too fast.
                if (++refreshCheckUpdates >= (period + 999) / period) {
                    if (t0 - refreshCheckTime <= 800) {
                        if (++fastSeconds >= 3)
                            vsyncBroken = true;
                    } else {
                        fastSeconds = 0;
                    }
                    refreshCheckTime = t0;
                    refreshCheckUpdates = 0;
                }
            }
            ranUpdate = DoUpdateFrames();
            if (ranUpdate)
                frameState = FRAME_FRACTION;
            updatedSinceDraw = true;
        }
    } else if (frameState == FRAME_FRACTION) {
        frameState = FRAME_DONE;
        fractionAccumulator += F - 1;
        ProcessDeferredDeletes();
        while (fractionAccumulator >= 1) {
            PlaybackDemoEvents();
            ++updatesSinceWait;
            if (!DoUpdateFrames())
                break;
            ProcessDeferredDeletes();
            fractionAccumulator -= 1;
        }
        UpdateFrameFraction(float(F));
        ProcessDeferredDeletes();
        updateAccumulatorMs -= P;
        if (refreshPaced) {
            updateAccumulatorMs -= 0.2;
            if (updateAccumulatorMs <= 0)
                updateAccumulatorMs = 0;
        }
        ranUpdate = true; // on to the loading yield
    }

    if (!ranUpdate) {
        frameState = FRAME_DONE;
        updatesSinceWait = 0;
        if (updatedSinceDraw) {
            DrawDirtyStuff();
        } else {
            // Whole milliseconds, rounded up: a wait of less than one
            // would spin.
            const int wait = int(std::ceil(P - updateAccumulatorMs));
            if (wait > 0) {
                if (!allowSleep)
                    return false;
                ++sleepCount;
                Sleep(uint32_t(wait));
                slept = uint32_t(wait);
            }
        }
    }

    if (loadingThrottle) {
        const int worked = int(TimeGetTime() - t0 - slept);
        const int yield = std::min(250, 2 * worked - int(slept));
        if (yield >= 0) {
            if (!allowSleep)
                return false;
            Sleep(uint32_t(yield));
        }
    }
    ProcessDeferredDeletes();
    return true;
}

bool QuibAppBase::DoUpdateFrames()
{
    PerfScope perf("QuibAppBase::DoUpdateFrames");
    if (idlePaused)
        return false;
    const auto acknowledgeLoading = [this] {
        if (loadingThread.joinable())
            loadingThread.join(); // its work is done: it only returns now
        loadingAcknowledged = true;
        loadingThrottle = false;
        OnLoadingComplete();
    };
    const bool finished = loadingFinished.load(std::memory_order_acquire);
    if (!playing) {
        if (finished && !loadingAcknowledged) {
            acknowledgeLoading();
            if (recording)
                RecordDemoEvent(9);
        }
        UpdateOneFrame();
        return true;
    }
    if (finished && !loadingAcknowledged && loadingEventReplayed)
        acknowledgeLoading();
    if (loadingAcknowledged == loadingEventReplayed && !DemoEventDueNow()) {
        UpdateOneFrame();
        return true;
    }
    return false;
}

void QuibAppBase::UpdateOneFrame()
{
    ++updateCount;
    if (!minimised && widgetManager->UpdateFrame())
        ++changedUpdateCount;
    if (musicInterface)
        musicInterface->Update();
    PurgeReleasedSharedImages();
}

void QuibAppBase::UpdateFrameFraction(float frames)
{
    if (!smoothUpdates || minimised)
        return;
    PerfScope perf("WidgetManager::UpdateFrame");
    TreeWalkFlags flags;
    widgetManager->InitTreeWalkFlags(flags);
    widgetManager->UpdateTreeElapsed(flags, frames);
    if (Widget* overlay = widgetManager->overlayWidget) {
        overlay->manager = widgetManager.get();
        overlay->UpdateTreeElapsed(flags, frames);
        overlay->manager = nullptr;
    }
}

bool QuibAppBase::DrawDirtyStuff()
{
    PerfScope perf("QuibAppBase::DrawDirtyStuff");
    const uint32_t start = TimeGetTime();
    const auto notPresented = [this] {
        updatedSinceDraw = false;
        lastDrawSkipped = true;
        return false;
    };
    if (displayLost) {
        Redraw(nullptr);
        return notPresented();
    }
    if (start - lastIdleCheck > 1000)
        IdleCheck(start);
    if (idlePaused)
        return notPresented();

    developerTools.UpdateOverlays(*this);
    bool dirty = false;
    if (widgetManager->screenImage) {
        drawingScreen = true;
        dirty = widgetManager->DrawScreen();
        drawingScreen = false;
    }
    uint32_t now = TimeGetTime();
    if (!dirty && now - lastDrawTime < 1000 && !forceDraw)
        return notPresented();
    if (int32_t(now - nextDrawTime.load()) < 0)
        return notPresented();

    ++drawCount;
    lastDrawSkipped = false;
    if (waitForVSync && windowed && display) {
        const uint32_t interval = uint32_t(std::max(display->FrameIntervalMs(), 0));
        if (now - lastDrawTime < interval) {
            Sleep(interval - (now - lastDrawTime));
            now = TimeGetTime();
        }
    }
    lastDrawTime = now;
    // The overlays go over the finished screen, bottom right.
    developerTools.DrawOverlays(*this, widgetManager->screenImage);
    Redraw(nullptr);
    const uint32_t after = TimeGetTime();
    Accumulate(updateAccumulatorMs, lastTimerTick, after);
    lastPresentTime = int(after - now);
    const uint32_t spent = after - start;
    totalDrawTime += int(spent);

    if (loadingStarted && !loadingFinished.load(std::memory_order_acquire)) {
        const uint32_t next = nextDrawTime.load() + std::max<uint32_t>(15, spent) + 35;
        nextDrawTime = int32_t(next - after) > 0 ? next : after;
    } else {
        nextDrawTime = after;
    }
    updatedSinceDraw = false;
    forceDraw = false;
    return true;
}

void QuibAppBase::Redraw(const Rect* clip)
{
    PerfScope perf("QuibAppBase::Redraw");
    if (drawingScreen || exiting || idlePaused)
        return;
    if (display && display->Redraw(clip)) {
        displayLost = false;
        lastRecoveryAttempt = 0;
        framePresented = true;
    } else {
        displayLost = true;
        const uint32_t now = TimeGetTime();
        const bool shownMinimised = mainWindow && mainWindow->IsMinimised();
        if ((active || (windowed && now - lastRecoveryAttempt > 1000)) && !shownMinimised && !minimised)
            RecoverDisplay();
    }
    ++redrawCount;
}

void QuibAppBase::RecoverDisplay()
{
    lastRecoveryAttempt = TimeGetTime();
    widgetManager->screenImage = nullptr;
    const ScreenRect work = GetWindowSystem().Screen().workArea;
    if (windowedWanted && work.Width() > 0 && (appWidth >= work.Width() || appHeight >= work.Height())) {
        if (fullScreenImpossible) {
            ShowFatalErrorW(
                GetStringEntry("PLEASE_SET_COLOR_DEPTH", u"Please set your desktop color depth to 16 bit."));
            RequestExit();
        } else {
            fullScreenForced = true;
            SwitchScreenModeWindowed(false);
        }
        return;
    }
    const int result = InitDisplay();
    if (result == RESULT_INVALID_COLORDEPTH && windowed) {
        if (active) {
            // Forced first: the switch is not the player's choice.
            fullScreenForced = true;
            SwitchScreenModeWindowed(false);
        }
    } else if (result == RESULT_3D_FAIL) {
        ChangeDisplay(false, true);
    } else if (result == RESULT_OK) {
        RefreshAllImages();
        widgetManager->screenImage = display->screenImage;
        widgetManager->InvalidateAll();
    }
}

void QuibAppBase::IdleCheck(uint32_t now)
{
    // The platform tells neither the screen saver's timeout nor the time of
    // the last input, so updates never pause for it.
    lastIdleCheck = now;
}

void QuibAppBase::QueueDeferredDelete(Widget* widget)
{
    deferredDeletes.Queue(widget);
}

void QuibAppBase::ProcessDeferredDeletes()
{
    deferredDeletes.Flush();
}

void QuibAppBase::ResetUpdateTimer()
{
    updateAccumulatorMs = 0;
    lastTimerTick = TimeGetTime();
}

} // namespace Quib
