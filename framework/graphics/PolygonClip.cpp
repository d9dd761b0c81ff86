#include "framework/graphics/PolygonClip.h"

#include "framework/graphics/D3DResult.h"

namespace Quib {

namespace {

template <class Outside>
void ClipPass(int component, float limit, const VertexList& polygon, VertexList& out, Outside outside)
{
    out.Clear();
    const size_t n = polygon.Size();
    if (n < 2)
        return;
    for (size_t i = 0; i < n; ++i) {
        const DeviceVertex& from = polygon[i == 0 ? n - 1 : i - 1];
        const DeviceVertex& to = polygon[i];
        const float a = VertexComponent(from, component), b = VertexComponent(to, component);
        const bool fromOut = outside(a), toOut = outside(b);
        if (fromOut && toOut)
            continue;
        if (fromOut != toOut)
            out.Add(LerpVertex(from, to, (limit - a) / (b - a)));
        if (!toOut)
            out.Add(to);
    }
}

} // namespace

float VertexComponent(const DeviceVertex& vertex, int component)
{
    switch (component) {
    case VERTEX_X: return vertex.x;
    case VERTEX_Y: return vertex.y;
    case VERTEX_Z: return vertex.z;
    case VERTEX_U: return vertex.tu;
    case VERTEX_V: return vertex.tv;
    default: return 0.0f;
    }
}

void VertexList::Add(const DeviceVertex& vertex)
{
    if (heap_.empty() && size_ == kInline) {
        heap_.reserve(2 * kInline);
        heap_.assign(inline_.begin(), inline_.end());
    }
    if (!heap_.empty()) {
        if (size_ < heap_.size())
            heap_[size_] = vertex;
        else
            heap_.push_back(vertex);
    } else {
        inline_[size_] = vertex;
    }
    ++size_;
}

DeviceVertex LerpVertex(const DeviceVertex& from, const DeviceVertex& to, float t)
{
    DeviceVertex v = from;
    v.x = from.x + t * (to.x - from.x);
    v.y = from.y + t * (to.y - from.y);
    v.tu = from.tu + t * (to.tu - from.tu);
    v.tv = from.tv + t * (to.tv - from.tv);
    if (from.diffuse != to.diffuse) {
        uint32_t colour = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            const float a = float((from.diffuse >> shift) & 255), b = float((to.diffuse >> shift) & 255);
            const float c = a + t * (b - a);
            const uint32_t channel = c <= 0.0f ? 0u : c >= 255.0f ? 255u : uint32_t(c);
            colour |= channel << shift;
        }
        v.diffuse = colour;
    }
    return v;
}

void ClipPolygonKeepBelow(int component, float limit, const VertexList& polygon, VertexList& out)
{
    ClipPass(component, limit, polygon, out, [limit](float c) { return !(c < limit); });
}

void ClipPolygonKeepAtLeast(int component, float limit, const VertexList& polygon, VertexList& out)
{
    ClipPass(component, limit, polygon, out, [limit](float c) { return !(c >= limit); });
}

void ClipVerticesToRect(VertexList& polygon, const Rect& rect)
{
    VertexList scratch;
    ClipPolygonKeepAtLeast(VERTEX_X, float(rect.x), polygon, scratch);
    ClipPolygonKeepAtLeast(VERTEX_Y, float(rect.y), scratch, polygon);
    ClipPolygonKeepBelow(VERTEX_X, float(int64_t(rect.x) + rect.width), polygon, scratch);
    ClipPolygonKeepBelow(VERTEX_Y, float(int64_t(rect.y) + rect.height), scratch, polygon);
}

void ClipToUnitTexture(VertexList& polygon)
{
    VertexList scratch;
    ClipPolygonKeepAtLeast(VERTEX_U, 0.0f, polygon, scratch);
    ClipPolygonKeepAtLeast(VERTEX_V, 0.0f, scratch, polygon);
    ClipPolygonKeepBelow(VERTEX_U, 1.0f, polygon, scratch);
    ClipPolygonKeepBelow(VERTEX_V, 1.0f, scratch, polygon);
}

void ClipAndDrawFan(Device3D& device, const Rect& clip, const VertexList& polygon)
{
    VertexList copy;
    for (size_t i = 0; i < polygon.Size(); ++i)
        copy.Add(polygon[i]);
    ClipVerticesToRect(copy, clip);
    if (copy.Size() > 2)
        D3DCheckResult("DrawPrimitive (Tri) 2",
                       device.DrawPrimitive(PrimitiveType::TriangleFan, copy.Data(), uint32_t(copy.Size())));
}

} // namespace Quib
