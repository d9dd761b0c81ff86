#include "src/screens/BoardTransformer.h"

#include "framework/graphics/Graphics.h"
#include "framework/widgets/WidgetApp.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/Clock.h"
#include "src/screens/BaseBoard.h"
#include "src/screens/BoardTransformerListener.h"

#include <algorithm>

namespace Quib {

void BoardTransformer::Update()
{
    Widget::Update();
    const uint32_t now = TimeGetTime();
    if (!started) {
        started = true;
        lastTime = now;
    }
    const float seconds = float(uint32_t(now - lastTime)) / 1000.0f;
    lastTime = now;
    Invalidate();
    // Last: finishing may delete the transformer.
    Advance(seconds);
}

void BoardTransformer::Finish()
{
    if (!notFinished)
        return;
    notFinished = false;
    if (oldBoard)
        oldBoard->SetVisible(true);
    if (newBoard)
        newBoard->SetVisible(true);
    if (BoardTransformerListener* told = listener)
        told->OnTransitionDone();
}

void BoardTransformer::DrawBoard(Graphics& g, BaseBoard* board, int dy)
{
    if (!board)
        return;
    TreeWalkFlags flags;
    WidgetManager* widgetManager = manager;
    if (!widgetManager && TheWidgetApp())
        widgetManager = TheWidgetApp()->GetWidgetManager();
    if (widgetManager) {
        widgetManager->InitTreeWalkFlags(flags);
    } else {
        flags.upperFlags = flags.lowerFlags = WIDGETFLAGS_DEFAULT;
        flags.aboveBase = true;
    }
    Graphics boardGraphics(g);
    boardGraphics.transX += float(board->x - x);
    boardGraphics.transY += float(board->y - y + dy);
    board->DrawTree(flags, boardGraphics);
}

void BoardTransformer::DrawBoardOverChildren(Graphics& g, BaseBoard* board)
{
    if (!board)
        return;
    Graphics boardGraphics(g);
    boardGraphics.transX += float(board->x - x);
    boardGraphics.transY += float(board->y - y);
    board->DrawOverChildren(boardGraphics);
}

float BoardTransformer::Progress(float time, float duration)
{
    if (!(duration > 0.0f))
        return 1.0f;
    return std::clamp(time / duration, 0.0f, 1.0f);
}

bool BoardTransformer::DoneAt(float time, float duration) const
{
    return time >= duration || (!newBoard && Progress(time, duration) >= 0.5f);
}

} // namespace Quib
