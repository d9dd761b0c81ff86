#pragma once
// Headless runs of the application object: a temporary home for its data,
// settings and lock files, a fake clock, headless windows, captured message
// boxes and fatal exits; an application that counts what the loop does,
// and a widget that records the input it gets.

#include "framework/app/DDInterface.h"
#include "framework/app/QuibAppBase.h"
#include "framework/graphics/Graphics.h"
#include "framework/sound/MusicInterface.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/headless/CapturingSink.h"
#include "platform/headless/FakeClock.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Quib::Testing {

// Everything an application needs for a run without a display, installed
// for the life of the object. Make it before the application.
class HeadlessAppEnvironment {
public:
    explicit HeadlessAppEnvironment(uint32_t startMs = 100000)
        : dataHome("XDG_DATA_HOME", (temp / "data").c_str()),
          configHome("XDG_CONFIG_HOME", (temp / "config").c_str()),
          runtimeDir("XDG_RUNTIME_DIR", temp.Path().c_str()), clock(startMs)
    {
        SetWindowSystem(&windows);
        SetFatalExitHandler([this](int code) { fatalExits.push_back(code); });
    }
    ~HeadlessAppEnvironment()
    {
        SetFatalExitHandler(nullptr);
        SetWindowSystem(nullptr);
    }
    HeadlessAppEnvironment(const HeadlessAppEnvironment&) = delete;
    HeadlessAppEnvironment& operator=(const HeadlessAppEnvironment&) = delete;

    TempDir temp;
    ScopedEnv dataHome;
    ScopedEnv configHome;
    ScopedEnv runtimeDir;
    ScopedFakeClock clock;
    HeadlessWindowSystem windows;
    CapturingSink sink;
    std::vector<int> fatalExits; // exit codes FatalExit was called with
};

// A music player that only keeps its volume.
class VolumeMusic : public MusicInterface {
public:
    void SetVolume(double v) override { volume = v; }
    void Update() override { ++updates; }
    double volume = -1;
    int updates = 0;
};

// An application for tests: keeps the file layer's working directory,
// plays no sound, and counts its hooks.
class TestApp : public QuibAppBase {
public:
    explicit TestApp(const char* key = "QuibTestApp")
    {
        productKey = key;
        soundDisabled = true;
    }
    // The widgets it adopted go first (each leaves the tree as it goes).
    ~TestApp() override { owned.clear(); }

    // Attaches the widget to the manager; the application deletes it.
    template <class W>
    W* Adopt(W* widget)
    {
        widgetManager->AttachChild(widget);
        owned.emplace_back(widget);
        return widget;
    }

    bool KeepWorkingDirectory(const std::string&) override { return true; }
    std::unique_ptr<MusicInterface> CreateMusicInterface(void*) override
    {
        auto made = std::make_unique<VolumeMusic>();
        music = made.get();
        return made;
    }
    void UpdateOneFrame() override
    {
        QuibAppBase::UpdateOneFrame();
        events.push_back('U');
        if (onUpdate)
            onUpdate(updateCount);
    }
    bool DrawDirtyStuff() override
    {
        events.push_back('D');
        return QuibAppBase::DrawDirtyStuff();
    }
    void UpdateFrameFraction(float frames) override
    {
        fractions.push_back(frames);
        QuibAppBase::UpdateFrameFraction(frames);
    }
    void OnExitHook() override { ++exitHooks; }
    void OnGotFocus() override { ++gotFocus; }
    void OnLostFocus() override { ++lostFocus; }
    void OnLoadingComplete() override
    {
        ++loadingCompletes;
        if (onLoadingComplete)
            onLoadingComplete();
    }
    void LoadingThreadProc() override
    {
        if (loadingWork)
            loadingWork();
    }

    VolumeMusic* music = nullptr;
    std::string events; // 'U' update frame, 'D' draw attempt
    std::vector<float> fractions;
    std::function<void(int update)> onUpdate;
    std::function<void()> loadingWork;
    std::function<void()> onLoadingComplete;
    int exitHooks = 0;
    int gotFocus = 0;
    int lostFocus = 0;
    int loadingCompletes = 0;
    std::vector<std::unique_ptr<Widget>> owned;
};

// A widget that records what reaches it and fills itself with its colour.
class RecordingWidget : public Widget {
public:
    RecordingWidget() { takesFocus = true; }
    void OnMouseEnter() override { log.push_back("enter"); }
    void OnMouseLeave() override { log.push_back("leave"); }
    void OnMouseDown(int px, int py, ClickCode code) override
    {
        log.push_back("down " + std::to_string(code) + " " + std::to_string(px) + "," + std::to_string(py));
    }
    void OnMouseUp(int, int, ClickCode code) override { log.push_back("up " + std::to_string(code)); }
    void OnKeyDown(int key) override { log.push_back("key " + std::to_string(key)); }
    void OnKeyChar(char16_t ch) override { log.push_back("char " + std::to_string(int(ch))); }
    void OnMouseWheel(int delta) override { log.push_back("wheel " + std::to_string(delta)); }
    void Update() override
    {
        ++updates;
        if (animate)
            Invalidate();
    }
    void Draw(Graphics& g) override
    {
        g.color = fill;
        g.FillRectangle(0, 0, width, height);
        ++draws;
    }

    std::vector<std::string> log;
    int updates = 0;
    int draws = 0;
    bool animate = false; // dirty after every update
    Color fill{40, 90, 200};
};

} // namespace Quib::Testing
