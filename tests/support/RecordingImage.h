#pragma once
// An image that records every drawing slot called on it, for tests of the
// code that turns drawing state into slot calls.
#include "framework/core/ScanSpan.h"
#include "framework/core/TriangleVertex.h"
#include "framework/graphics/Image.h"

#include <ostream>
#include <string>
#include <vector>

namespace Quib::Testing {

struct SlotCall {
    std::string slot;
    Image* source = nullptr;
    Rect rect;   // destination rectangle of fills and stretches
    Rect sourceRect;
    Rect clip;
    Color color;
    DrawMode mode = DRAWMODE_NORMAL;
    int x = 0, y = 0;           // integer positions
    float fx = 0, fy = 0;       // float positions
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    double angle = 0;
    float centerX = 0, centerY = 0;
    bool fast = false;
    int smooth = 0;
    Matrix3x3 matrix;
    std::vector<ScanSpan> spans;
    std::vector<TriangleVertex> vertices;
    std::vector<Point> points;
};

class RecordingImage : public Image {
public:
    RecordingImage(int w, int h)
    {
        width = w;
        height = h;
    }

    std::vector<SlotCall> calls;
    bool fillsPolygons = false; // what TryFillPolygon answers

    SlotCall& Add(const char* slot)
    {
        calls.push_back({});
        calls.back().slot = slot;
        return calls.back();
    }

    bool TryFillPolygon(const Point* v, int count, const Rect& clip, const Color& color, DrawMode mode, int tx,
                        int ty) override
    {
        SlotCall& c = Add("TryFillPolygon");
        c.points.assign(v, v + count);
        c.clip = clip;
        c.color = color;
        c.mode = mode;
        c.x = tx;
        c.y = ty;
        return fillsPolygons;
    }
    void FillRectangle(const Rect& r, const Color& color, DrawMode mode) override
    {
        SlotCall& c = Add("FillRectangle");
        c.rect = r;
        c.color = color;
        c.mode = mode;
    }
    void OutlineRectangle(const Rect& r, const Color& color, DrawMode mode) override
    {
        SlotCall& c = Add("OutlineRectangle");
        c.rect = r;
        c.color = color;
        c.mode = mode;
    }
    void ClearRectangle(const Rect& r) override { Add("ClearRectangle").rect = r; }
    void DrawLineSegment(double x1, double y1, double x2, double y2, const Color& color, DrawMode mode) override
    {
        SlotCall& c = Add("DrawLineSegment");
        c.x1 = x1;
        c.y1 = y1;
        c.x2 = x2;
        c.y2 = y2;
        c.color = color;
        c.mode = mode;
    }
    void FillSpans(const ScanSpan* spans, int count, const Color& color, DrawMode mode) override
    {
        SlotCall& c = Add("FillSpans");
        c.spans.assign(spans, spans + count);
        c.color = color;
        c.mode = mode;
    }
    void PutImage(Image* source, int x, int y, const Rect& s, const Color& color, DrawMode mode) override
    {
        SlotCall& c = Add("PutImage");
        c.source = source;
        c.x = x;
        c.y = y;
        c.sourceRect = s;
        c.color = color;
        c.mode = mode;
    }
    void PutImageSubpixel(Image* source, float x, float y, const Rect& s, const Rect& clip, const Color& color,
                          DrawMode mode) override
    {
        SlotCall& c = Add("PutImageSubpixel");
        c.source = source;
        c.fx = x;
        c.fy = y;
        c.sourceRect = s;
        c.clip = clip;
        c.color = color;
        c.mode = mode;
    }
    void PutImageRotated(Image* source, float x, float y, const Rect& s, const Rect& clip, const Color& color,
                         DrawMode mode, double angle, float cx, float cy) override
    {
        SlotCall& c = Add("PutImageRotated");
        c.source = source;
        c.fx = x;
        c.fy = y;
        c.sourceRect = s;
        c.clip = clip;
        c.color = color;
        c.mode = mode;
        c.angle = angle;
        c.centerX = cx;
        c.centerY = cy;
    }
    void PutImageStretched(Image* source, const Rect& d, const Rect& s, const Rect& clip, const Color& color,
                           DrawMode mode, bool fast) override
    {
        SlotCall& c = Add("PutImageStretched");
        c.source = source;
        c.rect = d;
        c.sourceRect = s;
        c.clip = clip;
        c.color = color;
        c.mode = mode;
        c.fast = fast;
    }
    void PutImageMatrix(Image* source, float x, float y, const Matrix3x3& m, const Rect& clip, const Color& color,
                        DrawMode mode, const Rect& s, int smooth) override
    {
        SlotCall& c = Add("PutImageMatrix");
        c.source = source;
        c.fx = x;
        c.fy = y;
        c.matrix = m;
        c.clip = clip;
        c.color = color;
        c.mode = mode;
        c.sourceRect = s;
        c.smooth = smooth;
    }
    void PutTexturedTriangles(Image* source, const TriangleVertex* v, int count, const Rect& clip,
                              const Color& color, DrawMode mode, float x, float y, int smooth) override
    {
        SlotCall& c = Add("PutTexturedTriangles");
        c.source = source;
        c.vertices.assign(v, v + 3 * count);
        c.clip = clip;
        c.color = color;
        c.mode = mode;
        c.fx = x;
        c.fy = y;
        c.smooth = smooth;
    }
    void PutImageMirrored(Image* source, int x, int y, const Rect& s, const Color& color, DrawMode mode) override
    {
        SlotCall& c = Add("PutImageMirrored");
        c.source = source;
        c.x = x;
        c.y = y;
        c.sourceRect = s;
        c.color = color;
        c.mode = mode;
    }
    void PutImageStretchedMirrored(Image* source, const Rect& d, const Rect& s, const Rect& clip,
                                   const Color& color, DrawMode mode, bool fast) override
    {
        SlotCall& c = Add("PutImageStretchedMirrored");
        c.source = source;
        c.rect = d;
        c.sourceRect = s;
        c.clip = clip;
        c.color = color;
        c.mode = mode;
        c.fast = fast;
    }
};

// An image of a given size that draws nothing: a drawing source.
class SizedImage : public Image {
public:
    SizedImage(int w, int h)
    {
        width = w;
        height = h;
    }
};

} // namespace Quib::Testing

namespace Quib {
inline std::ostream& operator<<(std::ostream& o, const Rect& r)
{
    return o << "(" << r.x << ", " << r.y << ", " << r.width << ", " << r.height << ")";
}
} // namespace Quib
