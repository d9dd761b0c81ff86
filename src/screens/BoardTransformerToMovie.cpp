#include "src/screens/BoardTransformerToMovie.h"

#include "framework/graphics/Graphics.h"
#include "src/GameSettings.h"

#include <algorithm>

namespace Quib {

namespace {

// part / whole; 1 when the whole is empty.
float Ratio(float part, float whole)
{
    return whole > 0.0f ? part / whole : 1.0f;
}

} // namespace

BoardTransformerToMovie::BoardTransformerToMovie()
    : fadeInTime(GetGameIniFloat("MovieFadeInTime", "Game", 0.0f)),
      fadeOutTime(GetGameIniFloat("MovieFadeOutTime", "Game", 0.0f))
{
}

void BoardTransformerToMovie::Advance(float seconds)
{
    time += seconds;
    const float first = FirstPhase();
    if (time >= first + SecondPhase() || (time >= first && !newBoard))
        Finish();
}

BaseBoard* BoardTransformerToMovie::Shown() const
{
    return time <= FirstPhase() ? oldBoard : newBoard;
}

int BoardTransformerToMovie::WhiteAlpha() const
{
    const float first = FirstPhase();
    const float a = time <= first ? Ratio(time, first) : 1.0f - Ratio(time - first, SecondPhase());
    return std::clamp(int(a * 255.0f), 0, 255);
}

void BoardTransformerToMovie::Draw(Graphics& g)
{
    DrawBoard(g, Shown());
}

void BoardTransformerToMovie::DrawOverChildren(Graphics& g)
{
    DrawBoardOverChildren(g, Shown());
    g.color = Color(255, 255, 255, WhiteAlpha());
    g.FillRectangle(0, 0, width, height);
}

} // namespace Quib
