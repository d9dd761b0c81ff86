#pragma once
// What the benchmarks that hold pixman beside our drawing set up alike.
#include <pixman.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace Quib {

// ARGB words with the colour premultiplied by alpha / 255, as pixman takes
// them.
inline void Premultiply(std::vector<uint32_t>& px)
{
    for (uint32_t& p : px) {
        const uint32_t a = p >> 24;
        p = (a << 24) | ((((p >> 16) & 255) * a / 255) << 16) | ((((p >> 8) & 255) * a / 255) << 8) |
            ((p & 255) * a / 255);
    }
}

// Has src sampled bilinearly, without repeat, through a turn by angle
// (radians, y down, positive anticlockwise) that puts its point (centre,
// centre) on the destination point (ox, oy): each destination point d
// samples centre + R (d - o).
inline void SetBilinearTurn(pixman_image_t* src, double angle, double centre, double ox, double oy)
{
    const double c = std::cos(angle), s = std::sin(angle);
    pixman_transform_t t;
    pixman_transform_init_identity(&t);
    t.matrix[0][0] = pixman_double_to_fixed(c);
    t.matrix[0][1] = pixman_double_to_fixed(-s);
    t.matrix[0][2] = pixman_double_to_fixed(centre - c * ox + s * oy);
    t.matrix[1][0] = pixman_double_to_fixed(s);
    t.matrix[1][1] = pixman_double_to_fixed(c);
    t.matrix[1][2] = pixman_double_to_fixed(centre - s * ox - c * oy);
    pixman_image_set_transform(src, &t);
    pixman_image_set_filter(src, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    pixman_image_set_repeat(src, PIXMAN_REPEAT_NONE);
}

} // namespace Quib
