#pragma once
#include "src/game/quest/Layer/PsdLayerInfo.h"

#include <string>
#include <vector>

namespace Quib {

// What a scene hands its layer readers while it loads: its picture layers
// in the picture's z order and the picture's folder.
struct SLoadLayerDataCont {
    std::vector<PsdLayerInfo> layers;
    std::string directory; // image paths are this plus a layer name

    // The first entry with exactly that name (case-sensitive), or null.
    PsdLayerInfo* Find(const std::string& name);
};

} // namespace Quib
