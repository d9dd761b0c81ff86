#pragma once
#include <cstdint>
#include <vector>

namespace Quib {

// The cel animation of a picture.
struct ImageAnimation {
    enum : int32_t { TYPE_NONE = 0, TYPE_ONCE = 1, TYPE_PINGPONG = 2, TYPE_LOOP = 3 };

    int32_t type = TYPE_NONE;
    int32_t frameDelay = 1;
    int32_t frameCount = 1;
    std::vector<int32_t> perFrameDelays; // delay per frame, or empty
    std::vector<int32_t> frameMap;       // cel index per frame, or empty
    int32_t totalTime = 0;               // sum of the frame delays
};

} // namespace Quib
