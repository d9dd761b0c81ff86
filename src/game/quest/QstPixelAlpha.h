#pragma once

namespace Quib {

class Image;

// The alpha (0..255) of the picture's pixel; 0 outside it or without a
// picture, 255 for pictures whose pixels cannot be read.
int PictureAlphaAt(Image* picture, int x, int y);

} // namespace Quib
