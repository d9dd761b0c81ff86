#include "src/screens/BoardTransformerFade.h"

#include "framework/graphics/Graphics.h"
#include "src/GameSettings.h"

#include <algorithm>

namespace Quib {

BoardTransformerFade::BoardTransformerFade() : duration(GetGameIniFloat("ScreenFade", "Game", 0.0f)) {}

void BoardTransformerFade::Advance(float seconds)
{
    time += seconds;
    if (DoneAt(time, duration))
        Finish();
}

BaseBoard* BoardTransformerFade::Shown() const
{
    return Progress(time, duration) < 0.5f ? oldBoard : newBoard;
}

int BoardTransformerFade::AlphaAt(float p)
{
    const float a = p < 0.5f ? 255.0f * 2.0f * p : 255.0f * (1.0f - (p - 0.5f) * 2.0f);
    return std::clamp(int(a), 0, 255);
}

void BoardTransformerFade::Draw(Graphics& g)
{
    DrawBoard(g, Shown());
}

void BoardTransformerFade::DrawOverChildren(Graphics& g)
{
    DrawBoardOverChildren(g, Shown());
    g.color = Color(0, 0, 0, AlphaAt(Progress(time, duration)));
    g.FillRectangle(0, 0, width, height);
}

} // namespace Quib
