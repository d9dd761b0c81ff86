// A long run of seeded random input through the window, as a restless
// player would give it: clicks, double clicks, drags, keys, typed text,
// wheel turns, focus changes, minimising, maximising and full-screen
// switches, over every board of the game. Now and then it is nudged to a
// board it has not been on for a while. Afterwards the memory has not grown
// without bound and the profile loads in a fresh game.
//   QUIB_MONKEY_SEED, QUIB_MONKEY_EVENTS: the run; QUIB_MONKEY_SECONDS: a
//   bound on its wall time; QUIB_MONKEY_VERBOSE=1 prints every event.
#include "tests/reliability/ReliabilitySupport.h"

#include "framework/widgets/ButtonWidget.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/TextCodecs.h"
#include "platform/WindowMessages.h"
#include "src/Profiles.h"
#include "src/UserFolders.h"
#include "src/game/ispy/ISpy.h"
#include "src/game/ispy/TPicture.h"
#include "src/game/quest/QstBoardHooks.h"
#include "src/game/quest/QstBook.h"
#include "src/game/quest/QstField.h"
#include "src/game/quest/QstScene.h"
#include "src/game/quest/SBackFromHOGData.h"
#include "src/screens/AboutScreen.h"
#include "src/screens/ExitScreen.h"
#include "src/screens/GameBoard.h"
#include "src/screens/InGameMenu.h"
#include "src/screens/MainMenu.h"
#include "src/screens/Movie.h"
#include "src/screens/Options.h"
#include "src/screens/ProfileScreen.h"
#include "src/screens/TGameButton.h"
#include "src/screens/TitleScreen.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <functional>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

namespace Quib::Reliability {
namespace {

using namespace Testing;
namespace fs = std::filesystem;

// The names the nudges can go to, read from the data.
struct Destinations {
    std::vector<std::string> scenes;
    std::map<std::string, std::vector<std::string>> fields; // close-ups by scene
    std::vector<std::string> hogLevels;
    std::vector<std::string> movies;
};

Destinations ReadDestinations(const std::string& root)
{
    Destinations d;
    const std::regex fieldName(R"re(<Field\s+name="([^"]+)")re");
    for (const auto& entry : fs::directory_iterator(root + "/data/scenes")) {
        if (entry.path().extension() != ".xml")
            continue;
        const std::string scene = entry.path().stem().string();
        d.scenes.push_back(scene);
        const std::string text = TempDir::ReadFile(entry.path().string());
        for (auto it = std::sregex_iterator(text.begin(), text.end(), fieldName); it != std::sregex_iterator(); ++it)
            if ((*it)[1] != "main")
                d.fields[scene].push_back((*it)[1]);
    }
    for (const auto& entry : fs::directory_iterator(root + "/data/hog"))
        if (fs::exists(entry.path() / "pic.ini"))
            d.hogLevels.push_back(entry.path().filename().string());
    std::sort(d.hogLevels.begin(), d.hogLevels.end());
    for (const auto& entry : fs::directory_iterator(root + "/res/movies"))
        if (entry.path().extension() == ".dat")
            d.movies.push_back(entry.path().stem().string());
    std::sort(d.scenes.begin(), d.scenes.end());
    std::sort(d.movies.begin(), d.movies.end());
    return d;
}

// The last events sent, written out when the process dies.
class EventTrail {
public:
    void Add(const std::string& text)
    {
        std::snprintf(mLines[mNext % kLines], kWidth, "%s", text.c_str());
        ++mNext;
    }
    void Dump(int fd) const
    {
        const char head[] = "\nmonkey: the last events sent:\n";
        (void)!write(fd, head, sizeof head - 1);
        const size_t first = mNext > kLines ? mNext - kLines : 0;
        for (size_t i = first; i < mNext; ++i) {
            const char* line = mLines[i % kLines];
            (void)!write(fd, line, std::strlen(line));
            (void)!write(fd, "\n", 1);
        }
    }

private:
    static constexpr size_t kLines = 24;
    static constexpr size_t kWidth = 96;
    char mLines[kLines][kWidth] = {};
    size_t mNext = 0;
};

EventTrail gMonkeyTrail;

#ifdef QUIB_RELIABILITY_ASAN
void MonkeyDeathCallback()
{
    gMonkeyTrail.Dump(2);
}
#else
void MonkeyFatalSignal(int sig)
{
    gMonkeyTrail.Dump(2);
    signal(sig, SIG_DFL);
    raise(sig);
}
#endif

// The game drawing one frame in a few: the software 3-D frames cost most
// of a run's time, and input is what this run is about.
class MonkeyGameApp : public ReliabilityGameApp {
public:
    bool DrawDirtyStuff() override
    {
        if (++drawTick % drawEvery != 0) {
            updatedSinceDraw = false; // as if drawn: the loop sleeps on
            return false;
        }
        return ReliabilityGameApp::DrawDirtyStuff();
    }
    // Frames of a loop nested in the main one (a modal dialog waiting for
    // its answer) go to the hook, which keeps the input coming.
    void UpdateOneFrame() override
    {
        ReliabilityGameApp::UpdateOneFrame();
        if (stepDepth > 1 && onNestedFrame)
            onNestedFrame();
    }
    long drawTick = 0;
    long drawEvery = 1;
    std::function<void()> onNestedFrame;
};

class Monkey {
public:
    Monkey(HeadlessAppEnvironment& env, const std::string& dataRoot, uint32_t seed)
        : mEnv(env), mRandom(seed), mDest(ReadDestinations(dataRoot))
    {
        mVerbose = EnvNumber("QUIB_MONKEY_VERBOSE", 0) != 0;
    }

    void Start()
    {
        mApp = std::make_unique<MonkeyGameApp>();
        mApp->drawEvery = std::max(1L, EnvNumber("QUIB_MONKEY_DRAW_EVERY", 8));
        mApp->onNestedFrame = [this] { NestedFrame(); };
        mApp->Initialize();
        ASSERT_TRUE(mEnv.fatalExits.empty());
        ASSERT_TRUE(mApp->mainWindow);
        // What Run does before its loop.
        mApp->mainWindow->Show(ShowCommand::Show);
        mApp->mainWindow->SetForeground();
        mApp->inMainLoop = true;
        mApp->lastInputTime = mApp->windowTimerTick = GetTickCount();
        ++starts;
    }

    // What Run does after its loop, then what the program does at its end.
    void Stop()
    {
        if (!mApp)
            return;
        mApp->ProcessDeferredDeletes();
        mApp->inMainLoop = false;
        mApp->WaitForLoadingThread();
        mApp.reset();
        SingletoneBase::DestroyAll();
    }

    // One random event (or a few making one gesture) and the frames after it.
    void Step(long index)
    {
        if (mApp->exiting) {
            Note("(the game ended: started again)");
            Stop();
            Start();
        }
        HeadlessWindow* w = mEnv.windows.MainWindow();
        if (!w)
            return Frames(1);
        // A window left minimised or unfocused comes back after a while.
        if (mAway > 0 && --mAway == 0) {
            if (w->IsMinimised()) {
                Send("restore");
                w->Show(ShowCommand::Restore);
            } else if (!w->IsActive()) {
                Send("focus gained");
                w->Activate(true);
            }
            return Frames(3);
        }
        if (index >= mNudgeAt && Nudge()) {
            mNudgeAt = index + kNudgeEvery;
            return;
        }

        int cw = 0, ch = 0;
        w->GetClientSize(cw, ch);
        cw = std::max(cw, 1);
        ch = std::max(ch, 1);
        auto x = [&] { return Pick(-8, cw + 8); };
        auto y = [&] { return Pick(-8, ch + 8); };
        const int roll = Pick(0, 999);
        if (roll < 250) {
            const int px = x(), py = y();
            Send("move " + Pt(px, py));
            w->MouseMove(px, py);
            Frames(Pick(1, 3));
        } else if (roll < 530) {
            const int px = x(), py = y();
            Send("click " + Pt(px, py));
            Click(*w, InputEvent::Left, px, py);
        } else if (roll < 590) {
            const int px = x(), py = y();
            Send("right click " + Pt(px, py));
            Click(*w, InputEvent::Right, px, py);
        } else if (roll < 610) {
            const int px = x(), py = y();
            Send("middle click " + Pt(px, py));
            Click(*w, InputEvent::Middle, px, py);
        } else if (roll < 660) {
            const int px = x(), py = y();
            Send("double click " + Pt(px, py));
            w->MouseMove(px, py);
            w->MouseDown(InputEvent::Left, px, py, 1);
            w->MouseUp(InputEvent::Left, px, py);
            Frames(1);
            w->MouseDown(InputEvent::Left, px, py, 2);
            w->MouseUp(InputEvent::Left, px, py);
            Frames(Pick(1, 4));
        } else if (roll < 730) {
            int px = x(), py = y();
            const int tx = x(), ty = y();
            Send("drag " + Pt(px, py) + " to " + Pt(tx, ty));
            w->MouseMove(px, py);
            w->MouseDown(InputEvent::Left, px, py, 1);
            Frames(1);
            const int steps = Pick(2, 8);
            for (int i = 1; i <= steps; ++i) {
                w->MouseMove(px + (tx - px) * i / steps, py + (ty - py) * i / steps);
                Frames(1);
            }
            w->MouseUp(InputEvent::Left, tx, ty);
            Frames(Pick(1, 4));
        } else if (roll < 830) {
            static const uint8_t keys[] = {VK_ESCAPE, VK_ESCAPE, VK_RETURN, VK_RETURN, VK_SPACE, VK_BACK, VK_TAB,
                                           VK_LEFT,   VK_RIGHT,  VK_UP,     VK_DOWN,   VK_HOME,  VK_END, VK_DELETE,
                                           VK_PRIOR,  VK_NEXT,   VK_F1,     VK_F2,     VK_F3,    VK_F4,  0x74,
                                           0x75,      0x76,      VK_F8,     0x78,      0x7A,     'A',    'H',
                                           'J',       'M',       'P',       'Q',       'S',      'Z',    '1'};
            const uint8_t key = keys[Pick(0, int(std::size(keys)) - 1)];
            Send("key " + std::to_string(key));
            w->KeyDown(key);
            if (Pick(0, 9) == 0)
                w->KeyDown(key, true);
            w->KeyUp(key);
            Frames(Pick(1, 3));
        } else if (roll < 890) {
            static const char* const texts[] = {"a", "Z", "7", " ", "Anna", "x y", "\xc3\xa9", "\xc3\x9f\xc3\xbc",
                                                "\xd0\x96", "\xe2\x82\xac", "\xf0\x9f\x98\x80", "%s%n", "\\", "\""};
            const char* text = texts[Pick(0, int(std::size(texts)) - 1)];
            Send(std::string("type ") + text);
            w->Type(text);
            Frames(Pick(1, 2));
        } else if (roll < 940) {
            static const float turns[] = {1, -1, 2, -2, 0.5f, -0.5f, 0.25f, 5, -5};
            const float notches = turns[Pick(0, int(std::size(turns)) - 1)];
            Send("wheel " + std::to_string(notches));
            w->Wheel(notches);
            Frames(Pick(1, 3));
        } else if (roll < 955) {
            Send("focus lost");
            w->Activate(false);
            mAway = Pick(1, 4);
            Frames(Pick(2, 6));
        } else if (roll < 965) {
            Send("minimise");
            w->Show(ShowCommand::Minimise);
            mAway = Pick(1, 4);
            Frames(Pick(2, 6));
        } else if (roll < 975) {
            const bool max = w->State() != ShowState::Maximised;
            Send(max ? "maximise" : "restore");
            w->Show(max ? ShowCommand::Maximise : ShowCommand::Restore);
            Frames(Pick(2, 6));
        } else if (roll < 982) {
            Send("alt+enter");
            w->KeyDown(VK_MENU);
            w->KeyDown(VK_RETURN);
            w->KeyUp(VK_RETURN);
            w->KeyUp(VK_MENU);
            Frames(Pick(2, 6));
        } else if (roll < 986) {
            const int sw = Pick(640, 1920), sh = Pick(480, 1200);
            Send("display " + Pt(sw, sh));
            InputEvent changed;
            changed.type = InputEvent::DisplayChanged;
            changed.x = sw;
            changed.y = sh;
            w->Input(changed);
            Frames(Pick(1, 3));
        } else if (roll < 988) {
            Send("close");
            w->RequestClose();
            Frames(2);
        } else {
            Send("wait");
            Frames(Pick(5, 40));
        }
        Observe();
    }

    // In a modal loop: now and then a click (often on one of the dialog's
    // buttons), Escape, Enter or a character.
    void NestedFrame()
    {
        if (++mNestedFrames % 3 != 0)
            return;
        HeadlessWindow* w = mEnv.windows.MainWindow();
        if (!w)
            return;
        if (!w->IsActive())
            w->Activate(true);
        int cw = 0, ch = 0;
        w->GetClientSize(cw, ch);
        const int roll = Pick(0, 9);
        if (roll < 4) {
            std::vector<Widget*> buttons;
            CollectDialogButtons(mApp->widgetManager.get(), 0, false, buttons);
            if (!buttons.empty() && WindowIsAppSized(*w)) {
                Widget* button = buttons[size_t(Pick(0, int(buttons.size()) - 1))];
                const Point at = button->GetScreenPosition();
                Send("modal: dialog button");
                w->MouseMove(at.x + button->width / 2, at.y + button->height / 2);
                w->MouseDown(InputEvent::Left, at.x + button->width / 2, at.y + button->height / 2, 1);
                w->MouseUp(InputEvent::Left, at.x + button->width / 2, at.y + button->height / 2);
                return;
            }
        }
        if (roll < 7) {
            const int px = Pick(0, std::max(cw - 1, 0)), py = Pick(0, std::max(ch - 1, 0));
            Send("modal: click " + Pt(px, py));
            w->MouseMove(px, py);
            w->MouseDown(InputEvent::Left, px, py, 1);
            w->MouseUp(InputEvent::Left, px, py);
        } else if (roll < 9) {
            const uint8_t key = roll == 7 ? VK_ESCAPE : VK_RETURN;
            Send("modal: key " + std::to_string(key));
            w->KeyDown(key);
            w->KeyUp(key);
        } else {
            Send("modal: type q");
            w->Type("q");
        }
    }

    // Runs frames until no board loads and no transition runs.
    void Settle(int limit = 3000)
    {
        for (int i = 0; i < limit && !Settled(); ++i)
            Frames(1);
        Observe();
    }

    void PrintSummary(std::ostream& out) const
    {
        out << "monkey: boards and popups reached (" << reached.size() << "):";
        for (const auto& [name, count] : reached)
            out << " " << name << "=" << count;
        out << "\n";
    }

    std::map<std::string, long> reached; // board or popup -> events seen on it
    long sent = 0;                      // window events sent
    long nudges = 0;
    int starts = 0;

private:
    static constexpr long kNudgeEvery = 60;

    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(mRandom); }
    static std::string Pt(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }

    void Note(const std::string& text)
    {
        gMonkeyTrail.Add(text);
        if (mVerbose)
            std::cout << "monkey: " << std::chrono::duration<double>(std::chrono::steady_clock::now() - mBegan).count()
                      << " s, clock " << GetTickCount() << ": " << text << std::endl;
    }
    void Send(const std::string& text)
    {
        ++sent;
        Note(std::to_string(sent) + " " + text);
    }

    void Click(HeadlessWindow& w, uint8_t button, int px, int py)
    {
        w.MouseMove(px, py);
        Frames(1);
        w.MouseDown(button, px, py, 1);
        Frames(Pick(0, 2));
        w.MouseUp(button, px, py);
        Frames(Pick(1, 4));
    }

    // Frames of the main loop; while a board loads, the loading thread
    // gets real time too.
    void Frames(int count)
    {
        for (int i = 0; i < count && !mApp->exiting; ++i) {
            if (mApp->GetLoadingScreen())
                std::this_thread::sleep_for(std::chrono::microseconds(300));
            mApp->stepAbort = false;
            const uint32_t before = mEnv.clock.Milliseconds();
            mApp->AppStepUntilUpdate();
            // Paced by the screen's refresh (full screen), the loop waits in
            // the presenter, which here returns at once: the refresh passes.
            if (mEnv.clock.Milliseconds() == before)
                mEnv.clock.Advance(16);
        }
    }

    bool Settled() const
    {
        return mApp->exiting ||
               (mApp->CurrentBoard() && !mApp->Transformer() && !mApp->GetLoadingScreen() &&
                (!mApp->NextBoard() || mApp->NextBoard() == mApp->CurrentBoard()) && mApp->GetDialogCount() == 0);
    }

    // What the player sees now: the board, then the popups over it.
    std::string Where() const
    {
        BaseBoard* board = mApp->CurrentBoard();
        std::string where;
        if (!board)
            where = "none";
        else if (dynamic_cast<TitleScreen*>(board))
            where = "title";
        else if (dynamic_cast<MainMenu*>(board))
            where = "main menu";
        else if (dynamic_cast<AboutScreen*>(board))
            where = "credits";
        else if (auto* movie = dynamic_cast<Movie*>(board))
            where = "movie " + movie->movieName;
        else if (auto* hog = dynamic_cast<ISpy*>(board))
            where = "hidden-object " + (hog->picture ? hog->picture->name : std::string("?"));
        else if (auto* game = dynamic_cast<GameBoard*>(board)) {
            where = "scene " + (game->scene ? game->scene->GetSceneName() : std::string("?"));
            if (game->scene)
                if (QstField* top = game->scene->GetTopField(); top && top->GetName() != "main")
                    where += " close-up " + top->GetName();
        } else
            where = "other board";
        if (mApp->GetLoadingScreen())
            where = "loading";
        return where;
    }

    void CollectPopups(WidgetContainer* container, int depth, std::set<std::string>& out) const
    {
        if (!container || depth > 3)
            return;
        for (Widget* child : container->children) {
            if (dynamic_cast<Options*>(child))
                out.insert("options");
            else if (dynamic_cast<ProfileScreen*>(child))
                out.insert("profiles");
            else if (dynamic_cast<ExitScreen*>(child))
                out.insert("exit question");
            else if (dynamic_cast<InGameMenu*>(child))
                out.insert("in-game menu");
            else if (dynamic_cast<QstBook*>(child))
                out.insert("journal");
            else if (dynamic_cast<Dialog*>(child))
                out.insert("dialog");
            CollectPopups(child, depth + 1, out);
        }
    }

    void CollectDialogButtons(WidgetContainer* container, int depth, bool inDialog, std::vector<Widget*>& out) const
    {
        if (!container || depth > 5)
            return;
        for (Widget* child : container->children) {
            const bool dialog = inDialog || dynamic_cast<Dialog*>(child) != nullptr;
            if (dialog && dynamic_cast<ButtonWidget*>(child) && child->visible)
                out.push_back(child);
            CollectDialogButtons(child, depth + 1, dialog, out);
        }
    }

    void Observe()
    {
        const std::string where = Where();
        ++reached[where];
        std::set<std::string> popups;
        CollectPopups(mApp->widgetManager.get(), 0, popups);
        for (const std::string& popup : popups)
            ++reached["popup " + popup];
        if (where != mLastWhere) {
            Note("   now on: " + where);
            mLastWhere = where;
        }
    }

    // Sends the game somewhere it has been least: a menu button clicked
    // through the window, or a scene, close-up, hidden-object level or
    // movie started as the game's scripts start them.
    bool Nudge()
    {
        if (!Settled() || mApp->exiting)
            return false;
        HeadlessWindow* w = mEnv.windows.MainWindow();
        if (!w || w->IsMinimised() || !w->IsActive())
            return false;
        QstBoardHooks* hooks = QstBoardHooks::Get();
        for (int attempt = 0; attempt < 5; ++attempt) {
            const int kind = int(mNextNudge++ % 5);
            if (NudgeTo(kind, hooks)) {
                ++nudges;
                Settle();
                return true;
            }
        }
        return false;
    }

    bool NudgeTo(int kind, QstBoardHooks* hooks)
    {
        if (kind == 0) {
            // The main menu, then one of its buttons clicked: Play, the
            // profiles, the options or the credits.
            if (!dynamic_cast<MainMenu*>(mApp->CurrentBoard())) {
                Note("nudge: main menu");
                mApp->SwitchToBoard(new MainMenu());
                Settle();
            }
            auto* menu = dynamic_cast<MainMenu*>(mApp->CurrentBoard());
            HeadlessWindow* now = mEnv.windows.MainWindow();
            if (menu && now && Settled() && int(menu->buttons.size()) > MainMenu::kCredits && WindowIsAppSized(*now))
                if (TGameButton* button = menu->buttons[size_t(Pick(0, MainMenu::kCredits))]) {
                    const Point at = button->GetScreenPosition();
                    Send("nudge: menu button " + std::to_string(button->id));
                    Click(*now, InputEvent::Left, at.x + button->width / 2, at.y + button->height / 2);
                }
        } else if (kind == 1 && !mDest.scenes.empty()) {
            const std::string& scene = mDest.scenes[size_t(Pick(0, int(mDest.scenes.size()) - 1))];
            Note("nudge: scene " + scene);
            mApp->SwitchToBoard(new GameBoard(scene));
        } else if (kind == 2) {
            auto* game = dynamic_cast<GameBoard*>(mApp->CurrentBoard());
            if (!game || !game->scene || (game->scene->GetTopField() && game->scene->GetTopField()->GetName() != "main"))
                return false;
            const auto& fields = mDest.fields[game->scene->GetSceneName()];
            if (fields.empty())
                return false;
            const std::string& field = fields[size_t(Pick(0, int(fields.size()) - 1))];
            Note("nudge: close-up " + field);
            game->scene->AddPopupField(field, true);
        } else if (kind == 3 && hooks && !mDest.hogLevels.empty()) {
            SBackFromHOGData back;
            back.sceneName = mDest.scenes.empty() ? "harbour" : mDest.scenes.front();
            const std::string& level = mDest.hogLevels[size_t(Pick(0, int(mDest.hogLevels.size()) - 1))];
            Note("nudge: hidden-object level " + level);
            hooks->StartHOG(level, back);
        } else if (kind == 4 && hooks && !mDest.movies.empty()) {
            SMovieReturnData back;
            back.nextScene = back.sceneName = mDest.scenes.empty() ? "harbour" : mDest.scenes.front();
            const std::string& movie = mDest.movies[size_t(Pick(0, int(mDest.movies.size()) - 1))];
            Note("nudge: movie " + movie);
            hooks->StartMovie(movie, back);
        } else {
            return false;
        }
        return true;
    }

    bool WindowIsAppSized(HeadlessWindow& w) const
    {
        int cw = 0, ch = 0;
        w.GetClientSize(cw, ch);
        return cw == mApp->AppWidth() && ch == mApp->AppHeight();
    }

    HeadlessAppEnvironment& mEnv;
    std::mt19937 mRandom;
    Destinations mDest;
    std::unique_ptr<MonkeyGameApp> mApp;
    std::string mLastWhere;
    int mAway = 0;
    long mNextNudge = 0;
    long mNestedFrames = 0;
    long mNudgeAt = kNudgeEvery;
    bool mVerbose = false;
    std::chrono::steady_clock::time_point mBegan = std::chrono::steady_clock::now();
};

TEST(Monkey, RandomInputOverEveryBoardNeitherCrashesNorGrowsAndTheProfileStillLoads)
{
    const uint32_t seed = uint32_t(EnvNumber("QUIB_MONKEY_SEED", 20261211));
    const long events = EnvNumber("QUIB_MONKEY_EVENTS", UnderSanitizer() ? 2000 : 6000);
    const long seconds = EnvNumber("QUIB_MONKEY_SECONDS", UnderSanitizer() ? 150 : 60);
    std::cout << "monkey: seed " << seed << ", " << events << " events, at most " << seconds << " s\n";
#ifdef QUIB_RELIABILITY_ASAN
    __sanitizer_set_death_callback(&MonkeyDeathCallback);
#else
    for (int sig : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL})
        signal(sig, &MonkeyFatalSignal);
#endif

    SingletoneBase::DestroyAll();
    HeadlessAppEnvironment env;
    TailSink sink;
    ScopedPak pak;
    TempDir data;
    CopyGameData(data.Path());
    ScopedWorkingDirectory cwd(data.Path());

    Monkey monkey(env, data.Path(), seed);
    monkey.Start();
    ASSERT_FALSE(HasFatalFailure());

    const auto began = std::chrono::steady_clock::now();
    const long baselineAt = std::min<long>(1000, events / 2);
    uint64_t baseline = 0, baselineResident = 0, peakResident = 0;
    long done = 0;
    for (; done < events; ++done) {
        monkey.Step(done);
        peakResident = std::max(peakResident, ResidentBytes());
        if (done + 1 == baselineAt) {
            baseline = HeldBytes();
            baselineResident = ResidentBytes();
        }
        if (std::chrono::steady_clock::now() - began > std::chrono::seconds(seconds)) {
            std::cout << "monkey: stopped by the time bound\n";
            ++done;
            break;
        }
    }
    monkey.Settle();
    const uint64_t final = HeldBytes();
    const uint64_t finalResident = ResidentBytes();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();

    std::cout << "monkey: " << done << " steps, " << monkey.sent << " window events sent, " << monkey.nudges
              << " nudges, " << monkey.starts << " game start(s), " << sink.lines << " log lines, " << sink.boxes
              << " message boxes, " << wall << " s\n";
    monkey.PrintSummary(std::cout);
    std::cout << "monkey: memory after " << baselineAt << " steps " << Megabytes(baseline) << " MB, at the end "
              << Megabytes(final) << " MB" << (UnderSanitizer() ? " (heap)" : " (resident)") << "; resident "
              << Megabytes(baselineResident) << " -> " << Megabytes(finalResident) << " MB, peak "
              << Megabytes(peakResident) << " MB\n";
    if (!sink.lastBox.empty())
        std::cout << "monkey: last message box: " << sink.lastBox << "\n";

    // Every kind of board was reached.
    auto reachedAny = [&](const std::string& prefix) {
        for (const auto& [name, count] : monkey.reached)
            if (name.rfind(prefix, 0) == 0)
                return true;
        return false;
    };
    if (done >= events) {
        for (const char* kind : {"main menu", "scene ", "hidden-object ", "movie "})
            EXPECT_TRUE(reachedAny(kind)) << kind;
    }
    // No growth beyond the caches, which the first part of the run filled.
    EXPECT_LE(final, baseline + std::max<uint64_t>(baseline / 4, 64u << 20))
        << Megabytes(baseline) << " MB -> " << Megabytes(final) << " MB";

    // The game ends as the program ends it; the profile loads in a new one.
    monkey.Stop();
    ASSERT_TRUE(env.fatalExits.empty());
    {
        ReliabilityGameApp fresh;
        fresh.Initialize();
        EXPECT_TRUE(env.fatalExits.empty());
        Profiles& profiles = Profiles::Instance();
        EXPECT_TRUE(profiles.HasCurrent());
        EXPECT_TRUE(profiles.LoadCurrent()) << Utf16ToUtf8(profiles.CurrentName());
        for (const auto& [name, entry] : profiles.Entries()) {
            std::unique_ptr<IniDocument> doc;
            EXPECT_EQ(Profiles::ReadProfileFile((fs::path(Utf16ToUtf8(ProfilesFolder())) / entry.fileName).string(), doc),
                      Profiles::ReadResult::Ok)
                << entry.fileName;
        }
        std::cout << "monkey: " << profiles.Entries().size() << " profile(s) load afterwards, the current one \""
                  << Utf16ToUtf8(profiles.CurrentName()) << "\"\n";
    }
    SingletoneBase::DestroyAll();
}

} // namespace
} // namespace Quib::Reliability
