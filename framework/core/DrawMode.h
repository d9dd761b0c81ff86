#pragma once
#include <cstdint>

namespace Quib {

// How a colour or an image combines with the destination. Other values
// are drawn as each drawing routine says.
using DrawMode = int32_t;
enum : DrawMode {
    DRAWMODE_NORMAL = 0,   // alpha blending
    DRAWMODE_ADDITIVE = 1,
    // Alpha blending with the colour taken from the draw colour rather than
    // the texture on the 3-D device; software draws treat it as normal.
    DRAWMODE_NORMAL_COLOR = 2,
};

} // namespace Quib
