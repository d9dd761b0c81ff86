// Scripts that would loop, grow or act on missing things.
#include "src/game/quest/QstActor.h"
#include "src/game/quest/QstBoardHooks.h"
#include "src/game/quest/SBackFromHOGData.h"
#include "src/game/quest/actions/QstAction.h"
#include "src/game/quest/actions/QstActionToHOG.h"
#include "src/game/quest/actions/QstActionToMovie.h"
#include "src/game/quest/actions/QstActionsGroup.h"
#include "src/game/quest/actions/QstRunningActions.h"
#include "tests/quest/ActionsTestSupport.h"

#include <gtest/gtest.h>

namespace Quib::Testing {
namespace {

TEST(QstActionNames, ANamedWaitRunsItsOwnNestedGroupOnce)
{
    ScriptBook book;
    ASSERT_TRUE(book.Load("<g><Wait name='W' time='0.5'><MsgBook record='r'/></Wait></g>", "G"));
    EXPECT_TRUE(book.Find("W_WaitEnd"));
    ASSERT_TRUE(book.Run("G"));
    for (int i = 0; i < 50; ++i)
        book.Update(0.1f);
    EXPECT_EQ(book.actor.Calls(), "Journal r");
    EXPECT_TRUE(book.running.Empty());
    EXPECT_EQ(book.RefuseCycles(), 0u);
}

TEST(QstActionNames, ANamedToHOGHandsBackItsOwnWonGroup)
{
    ScriptBook book;
    ASSERT_TRUE(book.Load("<g><ToHOG name='H' item1='a' scene_name='lvl' hog_item='k'><MsgBook record='won'/>"
                          "</ToHOG></g>",
                          "G"));
    auto* hog = dynamic_cast<QstActionDataToHOG*>(book.Find("H"));
    ASSERT_TRUE(hog);
    EXPECT_EQ(hog->winGroupName, "H_WinHOG");
    // What the scene runs when the level is won: the group, not the level.
    book.Run(hog->winGroupName);
    EXPECT_EQ(book.actor.Calls(), "Journal won");
}

struct QaCycleCase {
    const char* xml;
    std::vector<std::string> refused;
};

TEST(QstActionCycles, ScriptsThatRunThemselvesAreRefusedAtLoad)
{
    const QaCycleCase cases[] = {
        {"<g><Action name='A'><UseAction name='A'/></Action></g>", {"A"}},
        {"<g><Action name='A'><UseAction name='B'/></Action><Action name='B'><UseAction name='A'/></Action>"
         "<MsgBook name='ok' record='r'/></g>",
         {"A", "B"}},
        {"<g><Wait name='W' time='1'><UseAction name='W'/></Wait></g>", {"W", "W_WaitEnd"}},
        {"<g><ToHOG name='H' item1='a' scene_name='l' hog_item='k'><UseAction name='H'/></ToHOG></g>",
         {"H", "H_WinHOG"}},
        {"<g><ToMovie name='M' movie_name='m' next_scene='s'><OnDone><UseAction name='M'/></OnDone></ToMovie></g>",
         {"M", "M_OnDone"}},
        {"<g><Action name='A'><MsgBook record='r'/></Action><UseAction name='A'/><UseAction name='A'/></g>", {}},
    };
    for (const QaCycleCase& c : cases) {
        ScriptBook book;
        ASSERT_TRUE(book.Load(c.xml, "G")) << c.xml;
        EXPECT_EQ(book.RefuseCycles(), c.refused.size()) << c.xml;
        for (const std::string& name : c.refused) {
            EXPECT_EQ(book.Find(name), nullptr) << name;
            bool reported = false;
            for (const std::string& error : book.errors)
                reported = reported || error == "Action \"" + name + "\" runs itself again; it is refused";
            EXPECT_TRUE(reported) << name;
        }
        // Whatever is left runs and ends.
        book.Run("G");
        for (int i = 0; i < 30; ++i)
            book.Update(0.1f);
        EXPECT_TRUE(book.running.Empty()) << c.xml;
    }
}

TEST(QstActionCycles, ACycleLeftInTheMapIsCutWhileCreatingAndQueried)
{
    ActionLogCapture log;
    ScriptBook book;
    ASSERT_TRUE(book.Load("<g><Action name='A'><MsgBook record='r'/><UseAction name='A'/></Action></g>", "G"));
    std::string popup;
    EXPECT_EQ(book.Find("A")->GetCursorType(&book.actor, popup, nullptr, nullptr), QST_CURSOR_USE);
    EXPECT_FALSE(book.Find("A")->HasMessage(&book.actor, nullptr, nullptr));
    QstAction* action = book.Run("A");
    ASSERT_TRUE(action);
    EXPECT_TRUE(log.Contains("is nested too deep"));
    EXPECT_TRUE(action->IsDone());
}

TEST(QstActionCheckState, AMissingItemFailsTheCheckAndIsLoggedOnce)
{
    ActionLogCapture log;
    ScriptBook book;
    book.actor.items["door"] = "open";
    ASSERT_TRUE(book.Load("<g><CheckState name='c' item1='door' state1='open' item2='ghost' state2='x'>"
                          "<ToScene scene_name='s'/></CheckState></g>",
                          "G"));
    std::string popup;
    bool conditional = false;
    EXPECT_EQ(book.Find("G")->GetCursorType(&book.actor, popup, &conditional, nullptr), QST_CURSOR_NONE);
    EXPECT_TRUE(conditional);
    book.Run("G");
    EXPECT_EQ(book.actor.Calls(), "");
    EXPECT_EQ(log.Count("QstActionDataCheckState name=\"c\" can't get state for item \"ghost\""), 1);
}

TEST(QstActionCheckState, RepeatedUnmetChecksDoNotPileUp)
{
    ScriptBook book;
    book.actor.items["door"] = "closed";
    ASSERT_TRUE(book.Load("<g><CheckState item1='door' state1='open'><Wait time='1'><MsgBook record='r'/></Wait>"
                          "</CheckState></g>",
                          "G"));
    for (int click = 0; click < 100; ++click) {
        book.Run("G");
        book.Update(0.02f);
        EXPECT_LE(book.running.Size(), 1u);
    }
    EXPECT_EQ(book.actor.Calls(), "");
}

// An action that starts another top action from inside the running list's
// walk (a level won at once, a flying item's follow-up).
class QaSpawningAction : public QstAction {
public:
    QaSpawningAction(QstRunningActions* list, int* updates) : QstAction(nullptr, nullptr), list(list), updates(updates) {}
    void Start() override {}
    void Update(float) override
    {
        ++*updates;
        if (spawn) {
            spawn = false;
            auto* child = new QaSpawningAction(list, updates);
            child->spawn = false;
            list->Add(child);
            child->Start();
        }
        done = finishOnUpdate;
    }
    QstRunningActions* list;
    int* updates;
    bool spawn = true;
    bool finishOnUpdate = false;
};

TEST(QstRunningActions, ActionsAddedDuringTheWalkJoinAfterIt)
{
    QstRunningActions list;
    int updates = 0;
    for (int i = 0; i < 20; ++i)
        list.Add(new QaSpawningAction(&list, &updates));
    list.Update(0.1f);
    EXPECT_EQ(updates, 20);
    EXPECT_EQ(list.Size(), 40u);
    list.Update(0.1f);
    EXPECT_EQ(updates, 60);
}

TEST(QstRunningActions, TheListIsBoundedAndClearWaitsForTheWalk)
{
    ActionLogCapture log;
    QstRunningActions list;
    int updates = 0;
    size_t added = 0;
    for (size_t i = 0; i < QstRunningActions::kMaxActions + 10; ++i) {
        auto* action = new QaSpawningAction(&list, &updates);
        action->spawn = false;
        added += list.Add(action);
    }
    EXPECT_EQ(added, QstRunningActions::kMaxActions);
    EXPECT_EQ(list.Size(), QstRunningActions::kMaxActions);
    EXPECT_TRUE(log.Contains("Too many running actions"));

    // An action that clears the list it runs in.
    class Clearing : public QstAction {
    public:
        explicit Clearing(QstRunningActions* l) : QstAction(nullptr, nullptr), list(l) {}
        void Start() override {}
        void Update(float) override { list->Clear(); }
        QstRunningActions* list;
    };
    list.Clear();
    list.Add(new Clearing(&list));
    auto* after = new QaSpawningAction(&list, &updates);
    after->spawn = false;
    list.Add(after);
    updates = 0;
    list.Update(0.1f);
    EXPECT_TRUE(list.Empty());
    EXPECT_EQ(updates, 0);
}

// The boards a script starts, as the screens will provide them.
class QaFakeBoards : public QstBoardHooks {
public:
    QaFakeBoards() { QstBoardHooks::Set(this); }
    ~QaFakeBoards() override { QstBoardHooks::Set(nullptr); }
    void StartHOG(const std::string& level, const SBackFromHOGData& data) override
    {
        std::string line = "hog " + level + " " + data.sceneName + "," + data.wonActions + "," + data.itemRef + "," +
                           (data.noToPool ? "1" : "0") + "," + data.hogItem;
        for (const std::string& item : data.foundItems)
            line += "," + item;
        calls.push_back(line);
    }
    void StartMovie(const std::string& movie, const SMovieReturnData& data) override
    {
        calls.push_back("movie " + movie + " " + data.nextScene + "," + data.onDoneGroup + "," + data.sceneName + "," +
                        data.itemRef);
    }
    void GoToScene(const std::string& scene) override { calls.push_back("scene " + scene); }
    std::vector<std::string> calls;
};

TEST(QstBoardHooks, BoardActionsGoThroughTheHooks)
{
    QaFakeBoards boards;
    ScriptBook book;
    ASSERT_TRUE(book.Load("<g><ToHOG name='H' item1='a' item2='b' scene_name='lvl' hog_item='k' no_to_pool='1'/>"
                          "<ToMovie name='M' movie_name='intro' next_scene='hall'><OnDone/></ToMovie>"
                          "<ToScene scene_name='hall'/></g>",
                          "G"));
    QstActor actor(nullptr); // no scene: the records name none
    auto create = [&](const char* name) {
        return std::unique_ptr<QstAction>(book.Find(name)->CreateAction(&actor, nullptr, book.create));
    };
    create("H")->Start();
    create("M")->Start();
    create("G_00")->Start();
    ASSERT_EQ(boards.calls.size(), 3u);
    EXPECT_EQ(boards.calls[0], "hog lvl ,H_WinHOG,,1,k,a,b");
    EXPECT_EQ(boards.calls[1], "movie intro hall,M_OnDone,,");
    EXPECT_EQ(boards.calls[2], "scene hall");
}

TEST(QstBoardHooks, WithoutHooksBoardActionsOnlyLog)
{
    ActionLogCapture log;
    ScriptBook book;
    ASSERT_TRUE(book.Load("<g><ToMovie movie_name='intro' next_scene='hall'><OnDone/></ToMovie>"
                          "<ToScene scene_name='hall'/></g>",
                          "G"));
    QstActor actor(nullptr);
    std::unique_ptr<QstAction> group(book.Find("G")->CreateAction(&actor, nullptr, book.create));
    // Children are made through the book with its fake actor; run the real one directly.
    std::unique_ptr<QstAction>(book.Find("G_00")->CreateAction(&actor, nullptr, book.create))->Start();
    std::unique_ptr<QstAction>(book.Find("G_01")->CreateAction(&actor, nullptr, book.create))->Start();
    EXPECT_TRUE(log.Contains("no board for the movie \"intro\""));
    EXPECT_TRUE(log.Contains("no board for the scene \"hall\""));
}

} // namespace
} // namespace Quib::Testing

namespace Quib::Testing {
namespace {

TEST(QstActionCycles, SharedReferencesThatFanOutAreBounded)
{
    // L0 runs L1 eight times, L1 runs L2 eight times, ... : 8^8 leaves.
    std::string xml = "<g>";
    for (int level = 0; level < 8; ++level) {
        xml += "<Action name='L" + std::to_string(level) + "'>";
        for (int i = 0; i < 8; ++i)
            xml += "<UseAction name='L" + std::to_string(level + 1) + "'/>";
        xml += "</Action>";
    }
    xml += "<Action name='L8'><Sound sound_name=''/><MsgBubble text='k'/></Action></g>";
    ActionLogCapture log;
    ScriptBook book;
    ASSERT_TRUE(book.Load(xml, "G"));
    EXPECT_EQ(book.RefuseCycles(), 0u);
    std::string popup;
    book.Find("L0")->GetCursorType(&book.actor, popup, nullptr, nullptr);
    book.Find("L0")->HasMessage(&book.actor, nullptr, nullptr);
    QstAction* action = book.Run("L0");
    ASSERT_TRUE(action);
    EXPECT_LE(QstAction::LiveCount(), QstAction::kMaxLive + 64);
    book.running.Clear();
    EXPECT_EQ(QstAction::LiveCount(), 0u);
}

} // namespace
} // namespace Quib::Testing
