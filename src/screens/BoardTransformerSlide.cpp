#include "src/screens/BoardTransformerSlide.h"

#include "framework/graphics/Graphics.h"
#include "src/GameSettings.h"

namespace Quib {

BoardTransformerSlide::BoardTransformerSlide() : duration(GetGameIniFloat("ScreenFade", "Game", 0.0f)) {}

void BoardTransformerSlide::Advance(float seconds)
{
    time += seconds;
    if (DoneAt(time, duration))
        Finish();
}

int BoardTransformerSlide::Offset() const
{
    return int(Progress(time, duration) * float(height));
}

void BoardTransformerSlide::Draw(Graphics& g)
{
    const int offset = Offset();
    DrawBoard(g, oldBoard, offset);
    if (newBoard) {
        DrawBoard(g, newBoard, offset - height);
    } else {
        g.color = Color(0, 0, 0, 255);
        g.FillRectangle(0, offset - height, width, height);
    }
}

} // namespace Quib
