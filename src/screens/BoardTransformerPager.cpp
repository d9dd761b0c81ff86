#include "src/screens/BoardTransformerPager.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "src/GameSettings.h"
#include "src/screens/BaseBoard.h"

namespace Quib {

BoardTransformerPager::BoardTransformerPager() : duration(GetGameIniFloat("ScreenFade", "Game", 0.0f)) {}

BoardTransformerPager::~BoardTransformerPager() = default;

void BoardTransformerPager::Start()
{
    auto image = std::make_unique<MemoryImage>();
    image->Resize(kImageWidth, kImageHeight);
    if (oldBoard) {
        Graphics g(image.get());
        // The board at the image's origin.
        g.transX = float(x - oldBoard->x);
        g.transY = float(y - oldBoard->y);
        DrawBoard(g, oldBoard);
    }
    oldImage = std::move(image);
    BuildMesh();
}

void BoardTransformerPager::Advance(float seconds)
{
    time += seconds;
    DeformMesh(Progress(time, duration), GetBounds());
    if (DoneAt(time, duration))
        Finish();
}

void BoardTransformerPager::Draw(Graphics& g)
{
    if (newBoard) {
        DrawBoard(g, newBoard);
    } else {
        g.color = Color(0, 0, 0, 255);
        g.FillRectangle(0, 0, width, height);
    }
    DrawMesh(g);
}

void BoardTransformerPager::BuildMesh()
{
    mesh.Build();
}

void BoardTransformerPager::DeformMesh(float p, const Rect& bounds)
{
    mesh.Deform(p, bounds);
}

void BoardTransformerPager::DrawMesh(Graphics& g)
{
    if (!oldImage || mesh.vertices.empty())
        return;
    // The mesh is laid out in the parent's coordinates.
    Graphics meshGraphics(g);
    meshGraphics.transX -= float(x);
    meshGraphics.transY -= float(y);
    meshGraphics.DrawTexturedTriangles(oldImage.get(), mesh.vertices.data(), mesh.TriangleCount());
}

} // namespace Quib
