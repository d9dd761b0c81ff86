#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace Quib {

class QstFieldLayer;

// The scene's record of one layer of its layered picture, handed to the
// layer readers while the scene loads.
struct PsdLayerInfo {
    std::string name;  // lower case
    int32_t baseZ = 0; // picture z x 100: room for layers stacked against it
    float x = 0.0f;    // top-left corner
    float y = 0.0f;
    bool used = false; // a reader took this picture layer as its own image
    // Field layers placed at or against this picture layer, in creation
    // order; the field that owns the picture layer collects them.
    std::vector<QstFieldLayer*> users;
};

} // namespace Quib
