#pragma once
// The walkthrough script (data-src/walkthrough.txt) and the player that
// turns its steps into input on the headless window: mouse moves, clicks,
// keys and characters. It reads the running game to find where things are
// and when to go on, and never acts on the game's objects.

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace Quib {
class GameApp;
class HeadlessWindow;
} // namespace Quib

namespace Quib::Playthrough {

struct WalkStep {
    int line = 0;
    std::string verb;
    std::vector<std::string> args;
    std::string text; // the whole line, for messages
};

// Reads the script; false with the line and reason of the first bad line.
bool ParseWalkthrough(const std::string& text, std::vector<WalkStep>& steps, std::string& error);

// The board's name as steps and checksum lists show it: the class name,
// then ':' and the scene, level or movie for the boards that have one
// ("GameBoard:harbour", "ISpy:market", "Movie:intro"); "none" without one.
std::string BoardName(GameApp& app);
// A name matches its full form or its class part ("GameBoard").
bool BoardMatches(const std::string& shown, const std::string& wanted);
// No transition runs, no loading screen is up and no board loads.
bool BoardSettled(GameApp& app);

class WalkthroughPlayer {
public:
    explicit WalkthroughPlayer(std::vector<WalkStep> steps) : steps(std::move(steps)) {}

    // Called after every update frame: sends what is due and moves on.
    void Tick(GameApp& app, HeadlessWindow& window);

    bool Finished() const { return done || failed; }
    bool Failed() const { return failed; }
    const std::string& Error() const { return error; }
    // One line per step as it started, with its update.
    const std::vector<std::string>& Trace() const { return trace; }

private:
    struct Timed {
        int atUpdate;
        std::function<void(HeadlessWindow&)> send;
    };
    // Input sent from now on, each `gap` updates after the one before.
    void Queue(int gap, std::function<void(HeadlessWindow&)> send);
    void QueueClick(int x, int y);
    void Fail(const std::string& reason);
    // One update of the current step; true once it is done.
    bool RunStep(GameApp& app, const WalkStep& step);
    bool ResolveStable(bool found, int x, int y, int& outX, int& outY, int needed = 12);
    // Clicks the point once it has held still (see ResolveStable); true
    // once the click is queued.
    bool ClickWhenStable(bool found, int x, int y);
    void QueueButtonClick(int x, int y, bool right);
    void QueueDrag(int fromX, int fromY, int toX, int toY);
    void QueueWait(int updates);
    // Shows the strip and clicks the item's cell (over several updates);
    // true once the click is queued.
    bool TakeFromPool(GameApp& app, const std::string& itemRef);
    // One update of solving the open close-up from its own data; true once
    // it is won and gone.
    bool SolveField(GameApp& app, const std::string& sceneName, const std::string& fieldName);

    std::vector<WalkStep> steps;
    size_t next = 0;
    bool inStep = false;
    int stepStart = 0;
    int phase = 0;
    int counter = 0;
    int stableX = -1;
    int stableY = -1;
    int stableCount = 0;
    int lastInput = 0;
    int now = 0;
    std::deque<Timed> queued;
    std::vector<std::string> trace;
    bool done = false;
    bool failed = false;
    std::string error;
    int targetX = 0; // use_item: where the item goes
    int targetY = 0;
    int solveIndex = 0; // solve_field
    int solveGuard = 0;
    int parked = 0;
    int takePhase = 0;
    std::vector<std::pair<int, bool>> tileMoves;
    std::string lastTarget; // solve_hog: the element clicked last
    int hogClicks = 0;
};

} // namespace Quib::Playthrough
