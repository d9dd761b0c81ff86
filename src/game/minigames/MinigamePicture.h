#pragma once
#include <cstdint>
#include <string>

namespace Quib {

class Image;

// A picture a mini-game takes out of its field's layers to draw itself.
struct MinigamePicture {
    std::string imagePath; // the scene picture's folder + name
    std::string name;      // the layer's name, mask included
    float x = 0.0f;        // scene coordinates
    float y = 0.0f;
    Image* image = nullptr; // owned; loaded by the field's Layout
    int32_t z = 0;
};

} // namespace Quib
