#include "tests/playthrough/PlaythroughSession.h"

#include "framework/app/DDInterface.h"
#include "framework/files/Singletone.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/CommandLine.h"
#include "src/GameApp.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/PlayerInfo.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "src/game/quest/Layer/QstSeaLayer.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemState.h"
#include "src/game/quest/QstScene.h"
#include "src/screens/GameBoard.h"
#include "src/screens/HintTimer.h"
#include "src/screens/MainMenu.h"
#include "src/game/ispy/ISpy.h"
#include "tests/playthrough/Walkthrough.h"
#include "tests/support/AppTestSupport.h"
#include "tests/support/ScopedPak.h"
#include "tests/support/TempDir.h"

#include <zlib.h>

#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <algorithm>
#include <memory>
#include <sstream>
#include <thread>

namespace Quib::Playthrough {

namespace {

namespace fs = std::filesystem;

// The game with the run's hooks: the walkthrough after each update, the
// checksums in place of the draws, and (recording) a board's loading
// finished before the loop goes on, so that it lands on the same update
// when replayed.
class SessionApp : public GameApp {
public:
    SessionApp(const SessionOptions& options, SessionResult& result) : options(options), result(result)
    {
        soundDisabled = true;
        // The software 2-D display: its screen image is the frame drawn,
        // read back whole for the checksums.
        auto3D = false;
    }
    bool KeepWorkingDirectory(const std::string&) override { return true; }

    bool AppStep(bool* updated) override
    {
        const bool going = GameApp::AppStep(updated);
        if (recording)
            while (loadingStarted && !loadingFinished.load(std::memory_order_acquire))
                std::this_thread::sleep_for(std::chrono::microseconds(200));
        return going;
    }

    void UpdateOneFrame() override
    {
        GameApp::UpdateOneFrame();
        if (exiting || !inMainLoop)
            return;
        if (BoardSettled(*this))
            result.lastBoard = BoardName(*this);
        HeadlessWindow* window = windows ? windows->MainWindow() : nullptr;
        if (player && window && !closeSent) {
            player->Tick(*this, *window);
            if (player->Finished()) {
                if (player->Failed())
                    Stop(player->Error());
                else
                    Close();
            }
        }
        if (updateCount > options.updateLimit && !closeSent)
            Stop("the run went past " + std::to_string(options.updateLimit) + " updates");
        if (playing && DemoFinished() && ++updatesAfterDemo > 500) {
            Stop("the demo ended without closing the game");
            RequestExit();
        }
    }

    bool DrawDirtyStuff() override
    {
        // Drawing happens only for the checksums: the same frames in a
        // recording and in its replay, and a run as fast as updates go.
        updatedSinceDraw = false;
        lastDrawSkipped = true;
        if (!widgetManager || !widgetManager->screenImage || updateCount == lastSumUpdate || exiting)
            return false;
        if (!CurrentBoard() || Transformer() || GetLoadingScreen() || NextBoard() != CurrentBoard())
            return false;
        const std::string board = BoardName(*this);
        if (board == lastSumBoard && updateCount - lastSumUpdate < options.checksumEvery)
            return false;
        widgetManager->InvalidateAll();
        widgetManager->DrawScreen();
        // The frame as drawn, read back from the screen image.
        DDImage* drawn = display ? display->screenImage : nullptr;
        if (!drawn)
            return false;
        frame.width = drawn->width;
        frame.height = drawn->height;
        const size_t count = size_t(std::max(drawn->width, 1)) * size_t(std::max(drawn->height, 1));
        if (frameWords.size() != count)
            frameWords.assign(count, 0);
        frame.pixels = frameWords.data();
        if (!drawn->ReadPictureInto(frame.pixels)) {
            frame.pixels = nullptr;
            return false;
        }
        // Only the colour: the alpha byte of an opaque screen is not part of the picture.
        uint32_t crc = uint32_t(crc32(0L, Z_NULL, 0));
        std::vector<uint8_t> row(size_t(frame.width) * 3);
        for (int y = 0; y < frame.height; ++y) {
            const uint32_t* line = frame.pixels + size_t(y) * size_t(frame.width);
            for (int x = 0; x < frame.width; ++x) {
                row[size_t(x) * 3] = uint8_t(line[x]);
                row[size_t(x) * 3 + 1] = uint8_t(line[x] >> 8);
                row[size_t(x) * 3 + 2] = uint8_t(line[x] >> 16);
            }
            crc = uint32_t(crc32(crc, row.data(), uInt(row.size())));
        }
        result.sums.push_back({updateCount, board, crc});
        if (!options.shotFolder.empty()) {
            char name[64];
            std::snprintf(name, sizeof name, "/%06d.png", updateCount);
            ImageLib::WritePng(options.shotFolder + name, &frame);
        }
        frame.pixels = nullptr; // the words are the vector's
        lastSumUpdate = updateCount;
        lastSumBoard = board;
        return false;
    }

    void Close()
    {
        if (closeSent)
            return;
        closeSent = true;
        if (HeadlessWindow* window = windows ? windows->MainWindow() : nullptr)
            window->RequestClose();
        else
            RequestExit();
    }
    void Stop(const std::string& why)
    {
        if (result.error.empty())
            result.error = why;
        Close();
    }

    const SessionOptions& options;
    SessionResult& result;
    HeadlessWindowSystem* windows = nullptr;
    std::unique_ptr<WalkthroughPlayer> player;
    bool closeSent = false;
    int lastSumUpdate = -1;
    std::string lastSumBoard;
    int updatesAfterDemo = 0;
    ImageLib::Image frame;
    std::vector<uint32_t> frameWords;
};

void CollectFacts(SessionResult& result)
{
    if (GameControllerCommon::Instance().Player().gameComplete)
        result.facts.push_back("game complete");
    // The hidden-object levels (sign, wreck), the close-up puzzles (the
    // study's and the workshop's objects) and the story's steps.
    for (const char* ref : {"harbour:sign", "harbour:lantern", "harbour:crate", "harbour:study_door", "pier:wreck",
                            "pier:boat", "pier:lamp", "pier:boathouse", "study:musicbox", "study:bureau",
                            "study:safe", "study:door", "study:tiles", "workshop:jigsaw", "workshop:telescope",
                            "workshop:burner", "workshop:winch", "workshop:sarcophagus"}) {
        QstItem* item = QstScene::GetItemByRef(ref);
        if (item && item->GetCurrentState())
            result.facts.push_back(std::string(ref) + " " + item->GetCurrentState()->GetName());
    }
}

} // namespace

SessionResult RunSession(const SessionOptions& options)
{
    SessionResult result;
    const bool record = !options.walkthrough.empty();
    std::vector<WalkStep> steps;
    if (record && !ParseWalkthrough(options.walkthrough, steps, result.error))
        return result;

    Testing::HeadlessAppEnvironment env;
    Testing::ScopedPak pak;
    Testing::TempDir data;
    std::error_code failure;
    fs::copy(options.dataFolder, data.Path(), fs::copy_options::recursive, failure);
    if (failure) {
        result.error = "cannot copy the data folder " + options.dataFolder + ": " + failure.message();
        return result;
    }
    Testing::ScopedWorkingDirectory cwd(data.Path());
    SingletoneBase::DestroyAll();
    const std::string demoArgument = "-demofile=" + options.demoFile;
    const char* arguments[] = {"pelleranthe", record ? "-record" : "-play", demoArgument.c_str()};
    SetProcessArguments(3, arguments);

    {
        auto app = std::make_unique<SessionApp>(options, result);
        app->windows = &env.windows;
        if (record)
            app->player = std::make_unique<WalkthroughPlayer>(std::move(steps));
        // The hint compass's timer lives for the process: made before the
        // run's random numbers are seeded, and made anew once they are, so
        // that every run starts with the same one.
        GetHintTimer();
        QstSeaLayer::SetSeaClock(0.0f); // the sea's swell, kept for the process too
        app->Initialize();
        GetHintTimer() = HintTimer();
        if (!env.fatalExits.empty() || !app->initialized) {
            result.error = "the game did not start";
            for (const auto& box : env.sink.boxes)
                result.error += ": " + box.text;
        } else {
            app->Run();
        }
        result.updates = app->updateCount;
        if (app->player)
            result.trace = app->player->Trace();
        CollectFacts(result);
        // Scenes hold pictures of this run's display: they go before it,
        // once no board shows one. The demo is written first; what follows
        // is no part of it.
        if (app->recording)
            app->WriteDemoFile();
        app->recording = false;
        app->playing = false;
        if (app->initialized && !dynamic_cast<MainMenu*>(app->CurrentBoard())) {
            app->SwitchToBoard(new MainMenu());
            for (int i = 0; i < 5000 && !(dynamic_cast<MainMenu*>(app->CurrentBoard()) && BoardSettled(*app)); ++i) {
                if (app->loadingStarted && !app->loadingFinished.load())
                    std::this_thread::sleep_for(std::chrono::microseconds(200));
                env.clock.Advance(10);
                app->DoUpdateFrames();
                app->ProcessDeferredDeletes();
            }
        }
        if (dynamic_cast<MainMenu*>(app->CurrentBoard()))
            QstGameControllerScene::Instance().ClearLevels();
        app.reset();
    }
    const auto& lines = env.sink.debugLines;
    for (size_t i = lines.size() > 30 ? lines.size() - 30 : 0; i < lines.size(); ++i)
        result.logTail.push_back(lines[i]);
    SingletoneBase::DestroyAll();
    result.ok = result.error.empty();
    return result;
}

std::string FormatSums(const std::vector<FrameSum>& sums)
{
    std::ostringstream out;
    out << "# Frame checksums of the recorded playthrough: update, board, CRC-32 of the drawn frame.\n";
    for (const FrameSum& sum : sums) {
        char crc[16];
        std::snprintf(crc, sizeof crc, "%08x", sum.crc);
        out << sum.update << ' ' << sum.board << ' ' << crc << '\n';
    }
    return out.str();
}

bool ParseSums(const std::string& text, std::vector<FrameSum>& sums, std::string& error)
{
    sums.clear();
    std::istringstream in(text);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream words(line);
        FrameSum sum;
        std::string crc;
        if (!(words >> sum.update >> sum.board >> crc) || crc.size() != 8) {
            error = "checksum line " + std::to_string(number) + " is damaged: " + line;
            return false;
        }
        sum.crc = uint32_t(std::stoul(crc, nullptr, 16));
        sums.push_back(sum);
    }
    return true;
}

std::string FirstDifference(const std::vector<FrameSum>& expected, const std::vector<FrameSum>& actual)
{
    const size_t common = std::min(expected.size(), actual.size());
    for (size_t i = 0; i < common; ++i) {
        const FrameSum& e = expected[i];
        const FrameSum& a = actual[i];
        if (e == a)
            continue;
        char text[256];
        std::snprintf(text, sizeof text,
                      "checksum %zu differs: recorded update %d on %s (%08x), replayed update %d on %s (%08x)", i,
                      e.update, e.board.c_str(), e.crc, a.update, a.board.c_str(), a.crc);
        return text;
    }
    if (expected.size() != actual.size()) {
        const bool shorter = actual.size() < expected.size();
        const FrameSum& first = shorter ? expected[common] : actual[common];
        return std::string(shorter ? "the replay stopped before" : "the replay went on past") +
               " the recorded checksums: first unmatched at update " + std::to_string(first.update) + " on " +
               first.board + " (" + std::to_string(expected.size()) + " recorded, " +
               std::to_string(actual.size()) + " replayed)";
    }
    return std::string();
}

} // namespace Quib::Playthrough
