#pragma once
#include "framework/raster/TriangleFiller.h"

#include <cstdint>

namespace Quib::Testing {

// The drawing options of one triangle, as run-time flags.
struct ReferenceOptions {
    bool textured = false;
    bool alphaBlended = false;
    bool vertexColours = false;
    bool modulated = false;
    bool smooth = false;
    PixelFormatCode format = PIXEL_FORMAT_8888;
};

// The options of a filler table index.
ReferenceOptions OptionsOfIndex(int index);

// Slow, straightforward drawing of one triangle: every option is tested per
// pixel. Meant to be compared bit for bit with the generated fillers.
void ReferenceFillTriangle(const ReferenceOptions& options, const FixedCorner* corners, uint8_t* bits, int pitch,
                           const TextureInfo& texture, const FillerColor& colour);

} // namespace Quib::Testing
