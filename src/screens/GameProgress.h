#pragma once
#include "framework/widgets/Widget.h"

namespace Quib {

class Image;
class PsdPictureLayer;

// The progress bar of the whole game: the empty bar, and over it as much of
// the full bar as the player's progress, its right end leading.
class GameProgress : public Widget {
public:
    // Bounds cover both layers; a missing layer is logged and left out.
    GameProgress(PsdPictureLayer* emptyLayer, PsdPictureLayer* fullLayer);

    // The width of the full bar shown at a progress (0..1).
    static int FilledWidth(int fullWidth, float progress);

    void Draw(Graphics& g) override;

    PsdPictureLayer* empty = nullptr; // the layout's
    PsdPictureLayer* full = nullptr;  // the layout's
};

} // namespace Quib
