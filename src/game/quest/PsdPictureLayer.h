#pragma once
#include <cstdint>
#include <string>

namespace Quib {

class Graphics;
class Image;
class PsdPictureLayer;

// Draws a layer in place of its image.
using PsdLayerDrawCallback = void (*)(Graphics& g, PsdPictureLayer& layer);

// One named layer of a layered picture: its image file, position and z.
class PsdPictureLayer {
public:
    PsdPictureLayer() = default;
    PsdPictureLayer(const PsdPictureLayer&) = delete;
    PsdPictureLayer& operator=(const PsdPictureLayer&) = delete;

    // Deletes the image when there is one.
    void ReleaseImage();

    // Lower case; "/" forms groups; also the image path below the folder.
    std::string name;
    bool loadPending = true;     // PsdPicture::LoadFlaggedImages loads it
    bool releasePending = false; // PsdPicture::UpdateFlagged releases it
    int32_t x = 0;
    int32_t y = 0;
    int32_t homeX = 0; // the position read from the file (moved by Offset)
    int32_t homeY = 0;
    int32_t offsetX = 0; // added when drawing
    int32_t offsetY = 0;
    int32_t z = 0;
    bool drawn = true;
    bool mirrored = false;
    Image* image = nullptr; // owned unless the picture shares its images
    PsdLayerDrawCallback drawCallback = nullptr;
    // A failed image load was logged; later failures stay quiet.
    bool missingReported = false;
};

} // namespace Quib
