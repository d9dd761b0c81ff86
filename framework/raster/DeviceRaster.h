#pragma once
// The pixel stage of the software 3-D device: triangles and lines of
// pre-transformed corners (pixel centres at whole coordinates), sampled from
// a texture with clamped coordinates, coloured and blended as the device's
// render states say, written into a 32-bit (any channel order, 8 bits a
// channel) or a 5-6-5 / 5-5-5 destination.

#include "framework/core/PixelFormat.h"
#include "framework/core/TriangleVertex.h"

#include <cstdint>

namespace Quib {

// A texture as the pixel stage reads it: 0xAARRGGBB words, width per row.
struct DeviceTexels {
    const uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
};

// Blend factors of the pixel stage.
enum class DeviceFactor : uint8_t {
    One,
    SourceAlpha,
    InverseSourceAlpha,
};

struct DevicePixelState {
    DeviceFactor source = DeviceFactor::SourceAlpha;
    DeviceFactor destination = DeviceFactor::InverseSourceAlpha;
    bool colorFromTexture = true; // texel x diffuse, else the diffuse colour
    bool alphaModulate = true;    // texel alpha x diffuse alpha, else the texel's
    bool linear = false;          // bilinear sampling, else the nearest texel
};

// The pixels drawing may touch: left <= x < right, top <= y < bottom.
struct DeviceClip {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Whether the pixel stage can write into buffers of this format.
bool DeviceCanDrawInto(const PixelFormat& format);

// Draws the triangle a, b, c (x, y in pixels, u, v from 0 to 1 across the
// texture, packed diffuse colour): pixels whose centre lies inside by the
// top-left rule, within the clip and the target. texture null draws
// untextured (the texel is opaque white). Corners that are not finite draw
// nothing.
void RasterizeDeviceTriangle(const TriangleVertex& a, const TriangleVertex& b, const TriangleVertex& c,
                             const DeviceTexels* texture, const DevicePixelState& state, const PixelBuffer& target,
                             const DeviceClip& clip);

// Draws the segment from a to b without its end pixel: one pixel per column
// (rows for a steeper segment) whose centre lies in [a, b), on the row
// nearest the segment there.
void RasterizeDeviceLine(const TriangleVertex& a, const TriangleVertex& b, const DeviceTexels* texture,
                         const DevicePixelState& state, const PixelBuffer& target, const DeviceClip& clip);

} // namespace Quib
