#pragma once

namespace Quib {

class DrawTransform;
class Graphics;
class QstItemStateDraw;

// Draws each layer of the picture's state scaled about the layer's own
// centre, at the picture's position (x, y) plus the layer's position plus
// half the layer's size.
void DrawItemPicture(Graphics& g, const QstItemStateDraw& picture, float x, float y, float scale,
                     DrawTransform& transform);

} // namespace Quib
