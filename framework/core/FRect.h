#pragma once

namespace Quib {

// A rectangle in float pixels: the extent of laid-out text.
struct FRect {
    float x = 0.0f;
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;

    FRect() = default;
    FRect(float px, float py, float w, float h) : x(px), y(py), width(w), height(h) {}
    bool operator==(const FRect&) const = default;
};

} // namespace Quib
