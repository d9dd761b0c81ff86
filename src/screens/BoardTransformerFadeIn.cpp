#include "src/screens/BoardTransformerFadeIn.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "src/GameSettings.h"
#include "src/screens/BaseBoard.h"

#include <algorithm>

namespace Quib {

BoardTransformerFadeIn::BoardTransformerFadeIn() : duration(GetGameIniFloat("ScreenFade", "Game", 0.0f)) {}

BoardTransformerFadeIn::~BoardTransformerFadeIn() = default;

void BoardTransformerFadeIn::Start()
{
    if (!newBoard)
        return;
    auto image = std::make_unique<MemoryImage>();
    image->Resize(newBoard->width, newBoard->height);
    Graphics g(image.get());
    g.transX = float(x - newBoard->x);
    g.transY = float(y - newBoard->y);
    DrawBoard(g, newBoard);
    newImage = std::move(image);
}

void BoardTransformerFadeIn::Advance(float seconds)
{
    time += seconds;
    if (DoneAt(time, duration))
        Finish();
}

void BoardTransformerFadeIn::Draw(Graphics& g)
{
    DrawBoard(g, oldBoard);
    if (!newImage)
        return;
    const int alpha = std::clamp(int(Progress(time, duration) * 255.0f), 0, 255);
    const int atX = newBoard ? newBoard->x - x : 0;
    const int atY = newBoard ? newBoard->y - y : 0;
    g.colorizeImages = true;
    g.color = Color(255, 255, 255, alpha);
    g.DrawImageAt(newImage.get(), atX, atY);
    g.colorizeImages = false;
}

} // namespace Quib
