#include "src/game/quest/QstPixelAlpha.h"

#include "framework/graphics/MemoryImage.h"

namespace Quib {

int PictureAlphaAt(Image* picture, int x, int y)
{
    if (!picture || x < 0 || y < 0 || x >= picture->width || y >= picture->height)
        return 0;
    auto* memory = dynamic_cast<MemoryImage*>(picture);
    return memory ? int(memory->GetPixel(x, y) >> 24) : 255;
}

} // namespace Quib
