#pragma once
// Clipping of device polygons against axis-parallel lines: for drawing
// through a clip rectangle (the device clips pre-transformed vertices only
// to its render target) and for cutting textured triangles into texture
// pieces.

#include "framework/core/Rect.h"
#include "platform/Device3D.h"

#include <array>
#include <cstddef>
#include <vector>

namespace Quib {

// The vertex components the clippers compare, by index; any other index
// reads as 0.
enum : int {
    VERTEX_X = 0,
    VERTEX_Y = 1,
    VERTEX_Z = 2,
    VERTEX_U = 3,
    VERTEX_V = 4,
};
float VertexComponent(const DeviceVertex& vertex, int component);

// A polygon's vertices: up to 100 held inside the list, more on the heap.
class VertexList {
public:
    static constexpr size_t kInline = 100;

    void Clear() { size_ = 0; }
    void Add(const DeviceVertex& vertex);
    size_t Size() const { return size_; }
    DeviceVertex* Data() { return heap_.empty() ? inline_.data() : heap_.data(); }
    const DeviceVertex* Data() const { return heap_.empty() ? inline_.data() : heap_.data(); }
    DeviceVertex& operator[](size_t i) { return Data()[i]; }
    const DeviceVertex& operator[](size_t i) const { return Data()[i]; }
    bool OnHeap() const { return !heap_.empty(); }

private:
    std::array<DeviceVertex, kInline> inline_;
    std::vector<DeviceVertex> heap_;
    size_t size_ = 0;
};

// `from` with x, y, u and v moved towards `to` by t; when the two diffuse
// colours differ, each of their channels likewise (truncated). z, rhw and
// specular stay those of `from`.
DeviceVertex LerpVertex(const DeviceVertex& from, const DeviceVertex& to, float t);

// One clipping pass (Sutherland-Hodgman) against component = limit,
// keeping the part below the limit, or at least the limit. `out` gets the
// kept polygon; it is left empty for a polygon of fewer than 2 vertices.
void ClipPolygonKeepBelow(int component, float limit, const VertexList& polygon, VertexList& out);
void ClipPolygonKeepAtLeast(int component, float limit, const VertexList& polygon, VertexList& out);

// Clips in place to left <= x < left + width, top <= y < top + height,
// edges in the order left, top, right, bottom.
void ClipVerticesToRect(VertexList& polygon, const Rect& rect);
// Clips in place to 0 <= u < 1, 0 <= v < 1.
void ClipToUnitTexture(VertexList& polygon);

// Clips a copy of the polygon to the rectangle and draws what is left, when
// more than 2 vertices, as a triangle fan ("DrawPrimitive (Tri) 2").
void ClipAndDrawFan(Device3D& device, const Rect& clip, const VertexList& polygon);

} // namespace Quib
