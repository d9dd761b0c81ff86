// Demo files end to end: a scripted run of a widget tree that draws is
// recorded, then replayed by a fresh program, which must draw the same
// frames and draw the same random numbers. A recording kept under
// tests/data/demo/ is replayed against what it gave when it was made, so a
// change of the format or of the replay shows.
//
// To remake the kept recording (after a deliberate change of the format or
// of what the test program does), run this test program with
// QUIB_WRITE_DEMO_DATA=1 set.
#include "framework/files/Random.h"
#include "framework/graphics/Graphics.h"
#include "platform/Clipboard.h"
#include "platform/DisplaySurface.h"
#include "platform/FileNames.h"
#include "tests/support/AppTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace Quib {
namespace {

using namespace Testing;

// What one update frame left behind.
struct Frame {
    int update = 0;
    uint32_t checksum = 0; // of the whole screen after the frame was drawn
    int crtRandom = 0;     // the C runtime generator's number of the frame
    uint32_t mtRandom = 0; // the Mersenne twister's
    bool operator==(const Frame&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Frame& f)
{
    return out << f.update << " " << f.checksum << " " << f.crtRandom << " " << f.mtRandom;
}

// Paints itself in a shade drawn from both random generators every update,
// with a marker that input moves, recolours and resizes.
class Painter : public Widget {
public:
    Painter() { takesFocus = true; }
    void Update() override
    {
        crt = Quib::rand();
        mt = MersenneNext();
        Invalidate();
    }
    void Draw(Graphics& g) override
    {
        g.color = Color(crt & 0xFF, (crt >> 8) & 0x7F, int(mt & 0xFF));
        g.FillRectangle(0, 0, width, height);
        g.color = markerColor;
        g.FillRectangle(markerX - size, markerY - size, 2 * size + 1, 2 * size + 1);
    }
    void OnMouseMove(int px, int py) override { Place(px, py); }
    void OnMouseDrag(int px, int py) override { Place(px, py); }
    void OnMouseDown(int px, int py, ClickCode code) override
    {
        Place(px, py);
        markerColor = code < 0 ? Color(255, 0, 0) : Color(0, 255, 0);
        log.push_back("down " + std::to_string(code));
    }
    void OnMouseUp(int, int, ClickCode code) override { log.push_back("up " + std::to_string(code)); }
    void OnKeyChar(char16_t ch) override
    {
        markerColor = Color(ch * 7 & 0xFF, ch * 13 & 0xFF, ch * 29 & 0xFF);
        log.push_back("char " + std::to_string(int(ch)));
        wantValues = true;
    }
    void OnKeyDown(int key) override { log.push_back("key " + std::to_string(key)); }
    void OnMouseWheel(int delta) override
    {
        size = std::clamp(size + delta, 1, 20);
        log.push_back("wheel " + std::to_string(delta));
    }
    void Place(int px, int py)
    {
        markerX = px;
        markerY = py;
    }

    int crt = 0;
    uint32_t mt = 0;
    int markerX = 0;
    int markerY = 0;
    int size = 4;
    bool wantValues = false; // the next update asks for values from outside
    Color markerColor{255, 255, 255};
    std::vector<std::string> log;
};

// FNV-1a over the screen's pixel rows.
uint32_t ScreenChecksum(DisplaySurface& surface)
{
    uint32_t hash = 2166136261u;
    const uint32_t rowBytes = surface.Width() * surface.Format().bitCount / 8;
    for (uint32_t y = 0; y < surface.Height(); ++y) {
        const uint8_t* row = surface.Bits() + ptrdiff_t(y) * surface.Pitch();
        for (uint32_t i = 0; i < rowBytes; ++i)
            hash = (hash ^ row[i]) * 16777619u;
    }
    return hash;
}

// The program under test: a painter over most of the window and a button
// beside it; after each update frame the screen is drawn and summed.
class DemoProgram : public TestApp {
public:
    DemoProgram()
    {
        appWidth = 320;
        appHeight = 240;
        registryKey = "Quib Demo Test";
    }
    void InitHook() override
    {
        painter = Adopt(new Painter);
        painter->SetBounds(0, 0, 240, 240);
        button = Adopt(new RecordingWidget);
        button->SetBounds(250, 20, 60, 30);
        button->animate = true;
        widgetManager->SetFocusWidget(painter);
    }
    void UpdateOneFrame() override
    {
        TestApp::UpdateOneFrame();
        if (painter->wantValues) {
            // Values from outside, asked for in the middle of the run.
            painter->wantValues = false;
            const std::string clip = GetClipboardText();
            RegistryWriteDWord("Clicks", int32_t(painter->log.size()));
            int32_t stored = 0;
            RegistryReadDWord("Clicks", stored);
            painter->size = 1 + int(clip.size() + size_t(stored)) % 10;
        }
        widgetManager->DrawScreen();
        frames.push_back({updateCount, ScreenChecksum(*display->ScreenSurface()), painter->crt, painter->mt});
    }

    Painter* painter = nullptr;
    RecordingWidget* button = nullptr;
    std::vector<Frame> frames;
};

// Everything a run left that a replay must give again.
struct RunResult {
    std::vector<Frame> frames;
    std::vector<std::string> painterLog;
    std::vector<std::string> buttonLog;
    int updates = 0;
};

// Records the script into the file.
RunResult Record(const std::string& file)
{
    HeadlessAppEnvironment env(100000);
    env.windows.GetClipboard().SetText("recorded clipboard");
    DemoProgram app;
    app.recording = true;
    app.demoFileName = file;
    app.Initialize();
    EXPECT_TRUE(env.fatalExits.empty());
    HeadlessWindow& window = *env.windows.MainWindow();
    int start = 0;
    app.onUpdate = [&](int update) {
        if (!app.loadingAcknowledged)
            return;
        if (start == 0)
            start = update;
        switch (update - start) {
        case 3: window.MouseMove(50, 50); break;
        case 4: window.MouseMove(60, 55); break; // a small step
        case 5: window.MouseDown(InputEvent::Left, 60, 55); break;
        case 6: window.MouseMove(70, 60); break; // dragging
        case 7: window.MouseUp(InputEvent::Left, 70, 60); break;
        case 9: window.MouseMove(200, 150); break; // a long jump
        case 10: window.MouseDown(InputEvent::Right, 200, 150, 2); break;
        case 11: window.MouseUp(InputEvent::Right, 200, 150); break;
        case 13:
            window.KeyDown('A');
            window.Type("a");
            window.KeyUp('A');
            break;
        case 15: window.Wheel(1.0f); break;
        case 16: window.Wheel(-0.5f); break;
        case 17: window.Wheel(-0.5f); break; // a notch from two halves
        case 19: window.MouseMove(270, 30); break;
        case 20: window.MouseDown(InputEvent::Left, 270, 30); break;
        case 21: window.MouseUp(InputEvent::Left, 270, 30); break;
        case 22: window.MouseMove(-10, -20); break; // off the window's top left
        case 30: window.Activate(false); break;
        case 33: window.Activate(true); break;
        case 70: window.RequestClose(); break;
        default: break;
        }
    };
    app.Run();
    EXPECT_TRUE(app.closedByUser);
    RunResult result{app.frames, app.painter->log, app.button->log, app.updateCount};
    return result; // the file is written as the program ends
}

// Replays the file in a fresh program: another clock, other settings and
// another clipboard.
RunResult Replay(const std::string& file, std::string* error = nullptr,
                 const std::function<void(DemoProgram&)>& beforeRun = nullptr)
{
    HeadlessAppEnvironment env(7777777);
    env.windows.GetClipboard().SetText("something else");
    DemoProgram app;
    app.playing = true;
    app.demoFileName = file;
    app.Initialize();
    if (!env.fatalExits.empty()) {
        if (error && !env.sink.boxes.empty())
            *error = env.sink.boxes.back().text;
        return {};
    }
    if (beforeRun)
        beforeRun(app);
    app.Run();
    EXPECT_TRUE(app.exiting);
    EXPECT_FALSE(app.closedByUser); // the recorded close ended it
    EXPECT_TRUE(app.DemoFinished());
    return {app.frames, app.painter->log, app.button->log, app.updateCount};
}

void ExpectSameRun(const RunResult& replayed, const RunResult& recorded)
{
    EXPECT_EQ(replayed.updates, recorded.updates);
    EXPECT_EQ(replayed.painterLog, recorded.painterLog);
    EXPECT_EQ(replayed.buttonLog, recorded.buttonLog);
    ASSERT_EQ(replayed.frames.size(), recorded.frames.size());
    for (size_t i = 0; i < recorded.frames.size(); ++i)
        ASSERT_EQ(replayed.frames[i], recorded.frames[i]) << "frame " << i;
}

TEST(DemoReplay, ARecordedRunReplaysFrameForFrame)
{
    TempDir dir;
    const std::string file = dir / "scripted.dmo";
    const RunResult recorded = Record(file);
    ASSERT_GT(recorded.updates, 70);
    // The script reached the widgets.
    EXPECT_EQ(recorded.painterLog, (std::vector<std::string>{"down 1", "up 1", "down -2", "up -1", "key 65",
                                                             "char 97", "wheel 1", "wheel -1"}));
    EXPECT_EQ(recorded.buttonLog, (std::vector<std::string>{"enter", "down 1 20,10", "up 1", "leave"}));

    std::string error;
    const RunResult replayed = Replay(file, &error);
    EXPECT_EQ(error, "");
    ExpectSameRun(replayed, recorded);

    if (std::getenv("QUIB_WRITE_DEMO_DATA")) {
        const std::string folder = std::string(QUIB_TEST_DATA) + "/demo";
        MakeDirectories(folder);
        std::ofstream(folder + "/scripted.dmo", std::ios::binary) << TempDir::ReadFile(file);
        std::ofstream expected(folder + "/scripted.expected", std::ios::binary);
        expected << "updates " << recorded.updates << "\n";
        for (const std::string& line : recorded.painterLog)
            expected << "painter " << line << "\n";
        for (const std::string& line : recorded.buttonLog)
            expected << "button " << line << "\n";
        for (const Frame& f : recorded.frames)
            expected << "frame " << f << "\n";
    }
}

// The kept recording and what it gave when it was made.
RunResult ReadExpected(const std::string& path)
{
    RunResult result;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string kind;
        fields >> kind;
        std::string rest;
        std::getline(fields >> std::ws, rest);
        if (kind == "updates")
            result.updates = std::stoi(rest);
        else if (kind == "painter")
            result.painterLog.push_back(rest);
        else if (kind == "button")
            result.buttonLog.push_back(rest);
        else if (kind == "frame") {
            Frame f;
            std::istringstream(rest) >> f.update >> f.checksum >> f.crtRandom >> f.mtRandom;
            result.frames.push_back(f);
        }
    }
    return result;
}

TEST(DemoReplay, TheKeptRecordingStillReplays)
{
    const std::string folder = std::string(QUIB_TEST_DATA) + "/demo";
    const RunResult expected = ReadExpected(folder + "/scripted.expected");
    ASSERT_GT(expected.frames.size(), 70u);
    // Replayed from a copy: the program never writes into tests/data.
    TempDir dir;
    const std::string file = dir / "kept.dmo";
    std::ofstream(file, std::ios::binary) << TempDir::ReadFile(folder + "/scripted.dmo");
    std::string error;
    const RunResult replayed = Replay(file, &error);
    EXPECT_EQ(error, "");
    ExpectSameRun(replayed, expected);
}

TEST(DemoReplay, FastForwardChangesOnlyThePace)
{
    const std::string folder = std::string(QUIB_TEST_DATA) + "/demo";
    const RunResult expected = ReadExpected(folder + "/scripted.expected");
    TempDir dir;
    const std::string file = dir / "kept.dmo";
    std::ofstream(file, std::ios::binary) << TempDir::ReadFile(folder + "/scripted.dmo");

    // To the middle, muted on the way and unmuted there; to the end; and
    // playing to the end at full speed.
    struct Case {
        const char* name;
        std::function<void(DemoProgram&)> start;
    } cases[] = {
        {"to update 40",
         [](DemoProgram& app) {
             app.fastForwardTarget = 40;
             app.onUpdate = [&app](int update) {
                 if (update == 20) {
                     EXPECT_EQ(app.autoMuteCount, 1); // the fast-forward's mute
                 }
                 if (update == 45) {
                     EXPECT_FALSE(app.fastForwardMuted);
                     EXPECT_EQ(app.autoMuteCount, 0);
                 }
             };
         }},
        {"key 0", [](DemoProgram& app) { app.HandlePlaybackKey('0'); }},
        {"key M", [](DemoProgram& app) { app.HandlePlaybackKey('M'); }},
        {"key N", [](DemoProgram& app) { app.HandlePlaybackKey('n'); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        const RunResult replayed = Replay(file, &error, c.start);
        EXPECT_EQ(error, "");
        ExpectSameRun(replayed, expected);
    }
}

TEST(DemoReplay, ADamagedRecordingEndsTheStartWithAMessage)
{
    const std::string folder = std::string(QUIB_TEST_DATA) + "/demo";
    std::string bytes = TempDir::ReadFile(folder + "/scripted.dmo");
    ASSERT_GT(bytes.size(), 40u);
    TempDir dir;
    const std::string file = dir / "damaged.dmo";
    std::ofstream(file, std::ios::binary) << bytes.substr(0, bytes.size() - 3);
    std::string error;
    const RunResult replayed = Replay(file, &error);
    EXPECT_EQ(error, "Invalid demo file. Its events are not the length it gives.");
    EXPECT_TRUE(replayed.frames.empty());
}

} // namespace
} // namespace Quib
