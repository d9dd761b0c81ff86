#pragma once
#include <cstdint>

namespace Quib {

// One corner of a drawn triangle: position in destination pixels, texture
// coordinates from 0 to 1 across the texture, packed 0xAARRGGBB colour
// (0 = no vertex colour).
struct TriangleVertex {
    float x = 0;
    float y = 0;
    float u = 0;
    float v = 0;
    uint32_t color = 0;
};

} // namespace Quib
