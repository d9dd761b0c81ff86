#pragma once
#include "framework/widgets/Widget.h"

#include <cstdint>
#include <string>

namespace Quib {

class BaseBoard;
class BoardTransformerListener;

// A full-screen widget that animates the change from one board to the next
// on the wall clock, then tells its listener. The boards stay hidden while
// it runs; it draws them itself.
class BoardTransformer : public Widget {
public:
    BoardTransformer() = default;

    // Seconds of wall-clock time since the last update.
    virtual void Advance(float seconds) { (void)seconds; }
    virtual void Start() {}

    void Update() override;
    // Once only: shows the boards again, then tells the listener (which may
    // delete the transformer).
    void Finish();

    uint32_t lastTime = 0;
    bool started = false; // lastTime has been read
    bool notFinished = true;
    BaseBoard* oldBoard = nullptr;
    BaseBoard* newBoard = nullptr; // null: the new board loads first
    BoardTransformerListener* listener = nullptr;

protected:
    // Draws the board's whole tree (or its drawing over its children) at its
    // place, moved down by dy.
    void DrawBoard(Graphics& g, BaseBoard* board, int dy = 0);
    void DrawBoardOverChildren(Graphics& g, BaseBoard* board);
    // time / duration limited to 0..1; 1 for no duration.
    static float Progress(float time, float duration);
    // Whether a timed kind is done: at the end, or half way without a new
    // board.
    bool DoneAt(float time, float duration) const;
};

// The transition kinds of [ScreenEffect].
enum ScreenEffect : int {
    SCREEN_EFFECT_NONE = 0,
    SCREEN_EFFECT_FADE = 1,
    SCREEN_EFFECT_SLIDE = 2,
    SCREEN_EFFECT_PAGE = 3,
    SCREEN_EFFECT_FADE_IN = 4,
    SCREEN_EFFECT_TO_MOVIE = 5,
    SCREEN_EFFECT_FROM_MOVIE = 6,
};

// The kind a name stands for ("fade", "page", ...); any other name gives
// the default kind.
int ParseScreenEffect(const std::string& name, int defaultKind);

// The started transition from the old board to the new one (null: the new
// board loads first), chosen by the [ScreenEffect] key "<Old>To<New>", else
// by "default" (read at the first call of the process). Both boards are
// hidden until it finishes. The caller owns it and attaches it.
BoardTransformer* CreateBoardTransformer(BaseBoard* oldBoard, BaseBoard* newBoard,
                                         BoardTransformerListener* listener);

// Forgets the default kind, so that the next call reads it again.
void ResetDefaultScreenEffect();

} // namespace Quib
