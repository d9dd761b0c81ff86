#pragma once
#include "platform/DisplaySurface.h"
#include "platform/SystemFont.h"

#include <cstdint>

namespace Quib {

// Blends text coverage in colour 0xAARRGGBB into a locked 16- or 32-bit
// surface, the coverage's top-left at (left, top), which the caller has
// checked to lie inside the surface.
void BlendCoverage(const SurfaceDesc& target, const TextCoverage& coverage, int64_t left, int64_t top,
                   uint32_t color);
// The same a pixel at a time, as the reference BlendCoverage is tested against.
void BlendCoverageReference(const SurfaceDesc& target, const TextCoverage& coverage, int64_t left, int64_t top,
                            uint32_t color);

} // namespace Quib
