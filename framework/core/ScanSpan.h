#pragma once
#include <cstdint>

namespace Quib {

// The pixels (x .. x + length - 1, y).
struct ScanSpan {
    int32_t y = 0;
    int32_t x = 0;
    int32_t length = 0;
};

} // namespace Quib
