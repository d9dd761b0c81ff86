#pragma once
#include <cstdint>

namespace Quib {

// How a colour or an image combines with the destination.
using DrawMode = int32_t;
enum : DrawMode {
    DRAWMODE_NORMAL = 0,   // alpha blending
    DRAWMODE_ADDITIVE = 1,
};

} // namespace Quib
