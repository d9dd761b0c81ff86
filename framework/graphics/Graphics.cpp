#include "framework/graphics/Graphics.h"

#include "framework/core/ScanSpan.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/LineSteppers.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>
#include <vector>

namespace Quib {

namespace {

// The destination of a Graphics made without an image: 0 x 0, draws nothing.
Image& EmptyDestination()
{
    static Image empty;
    return empty;
}

bool Transparent(const Color& c) { return c.alpha == 0; }

} // namespace

Graphics::Graphics(Image* destination)
{
    destImage = destination ? destination : &EmptyDestination();
    clipRect = Rect(0, 0, destImage->width, destImage->height);
}

Graphics::Graphics(const Graphics& other) : GraphicsState(other) {}

Graphics::~Graphics() = default;

Graphics* Graphics::Clone() const { return new Graphics(*this); }

Graphics* NewGraphicsForImage(Image* image) { return new Graphics(image); }

void Graphics::SaveState() { mSavedStates.push_back(static_cast<const GraphicsState&>(*this)); }

void Graphics::RestoreState()
{
    if (mSavedStates.empty())
        return;
    static_cast<GraphicsState&>(*this) = mSavedStates.back();
    mSavedStates.pop_back();
}

int Graphics::X(int x) const { return TruncToInt(transX + static_cast<float>(x)); }

int Graphics::Y(int y) const { return TruncToInt(transY + static_cast<float>(y)); }

void Graphics::ReplaceClip(int x, int y, int width, int height)
{
    clipRect = Rect(X(x), Y(y), width, height).Intersection(Rect(0, 0, destImage->width, destImage->height));
}

void Graphics::ReplaceClip(const Rect& r) { ReplaceClip(r.x, r.y, r.width, r.height); }

void Graphics::NarrowClip(int x, int y, int width, int height)
{
    clipRect = clipRect.Intersection(Rect(X(x), Y(y), width, height));
}

void Graphics::ModulateColor(const Color& c) { color = MultiplyColors(color, c); }

void Graphics::FillRectangle(int x, int y, int width, int height)
{
    if (Transparent(color))
        return;
    destImage->FillRectangle(Rect(X(x), Y(y), width, height).Intersection(clipRect), color, drawMode);
}

void Graphics::FillRectangle(const Rect& r) { FillRectangle(r.x, r.y, r.width, r.height); }

void Graphics::OutlineRectangle(int x, int y, int width, int height)
{
    if (Transparent(color))
        return;
    const Rect whole(X(x), Y(y), width + 1, height + 1);
    if (whole.Intersection(clipRect) == whole) {
        destImage->OutlineRectangle(Rect(X(x), Y(y), width, height), color, drawMode);
        return;
    }
    FillRectangle(x, y, width + 1, 1);
    FillRectangle(x, y + height, width + 1, 1);
    FillRectangle(x, y + 1, 1, height - 1);
    FillRectangle(x + width, y + 1, 1, height - 1);
}

void Graphics::ClearArea(int x, int y, int width, int height)
{
    destImage->ClearRectangle(Rect(X(x), Y(y), width, height).Intersection(clipRect));
}

void Graphics::ClearArea(int width, int height) { ClearArea(0, 0, width, height); }

void Graphics::DrawLineSegment(int x1, int y1, int x2, int y2)
{
    double ax = double(transX) + x1, ay = double(transY) + y1;
    double bx = double(transX) + x2, by = double(transY) + y2;
    if (ClipLineSegment(ax, ay, bx, by))
        destImage->DrawLineSegment(ax, ay, bx, by, color, drawMode);
}

bool Graphics::ClipLineSegment(double& x1, double& y1, double& x2, double& y2) const
{
    const double cx = clipRect.x, cy = clipRect.y;
    const double right = cx + clipRect.width, bottom = cy + clipRect.height;
    double ax = x1, ay = y1, bx = x2, by = y2;
    if (ax > bx) {
        std::swap(ax, bx);
        std::swap(ay, by);
    }
    if (ax < cx) {
        if (bx < cx)
            return false;
        ay += (by - ay) / (bx - ax) * (cx - ax);
        ax = cx;
    }
    if (bx >= right) {
        if (ax >= right)
            return false;
        by += (by - ay) / (bx - ax) * ((right - 1) - bx);
        bx = right - 1;
    }
    if (ay > by) {
        std::swap(ax, bx);
        std::swap(ay, by);
    }
    if (ay < cy) {
        if (by < cy)
            return false;
        ax += (bx - ax) / (by - ay) * (cy - ay);
        ay = cy;
    }
    if (by >= bottom) {
        if (ay >= bottom)
            return false;
        bx += (bx - ax) / (by - ay) * ((bottom - 1) - by);
        by = bottom - 1;
    }
    x1 = ax;
    y1 = ay;
    x2 = bx;
    y2 = by;
    return true;
}

namespace {

struct ActiveEdge {
    double x;  // at the current row's pixel centre
    double dx; // per row
    int index; // runs from vertex index to vertex index + 1
};

} // namespace

void Graphics::FillPolygon(const Point* vertices, int count)
{
    if (destImage->TryFillPolygon(vertices, count, clipRect, color, drawMode, TruncToInt(transX),
                                  TruncToInt(transY)))
        return;
    std::vector<ScanSpan> spans;
    if (!vertices || count < 1) {
        destImage->FillSpans(spans.data(), 0, color, drawMode);
        return;
    }
    const int n = count;
    const double tx = transX, ty = transY;
    const double x0 = clipRect.x, x1 = double(clipRect.x) + clipRect.width - 1;
    const double y0 = clipRect.y, y1 = double(clipRect.y) + clipRect.height - 1;
    auto vy = [&](int i) { return double(vertices[i].y); };

    std::vector<int> sorted(static_cast<size_t>(n));
    std::iota(sorted.begin(), sorted.end(), 0);
    std::sort(sorted.begin(), sorted.end(), [vertices](int a, int b) { return vertices[a].y < vertices[b].y; });
    std::vector<ActiveEdge> active;
    active.reserve(size_t(n));

    auto insertEdge = [&](int i, int row) {
        const Point& a = vertices[i];
        const Point& b = vertices[(i + 1) % n];
        const Point& p = a.y < b.y ? a : b;
        const Point& q = a.y < b.y ? b : a;
        const double dx = double(q.x - p.x) / double(q.y - p.y);
        active.push_back({dx * (row + 0.5 - p.y - ty) + p.x + tx, dx, i});
    };
    auto removeEdge = [&](int i) {
        auto it = std::find_if(active.begin(), active.end(), [i](const ActiveEdge& e) { return e.index == i; });
        if (it != active.end())
            active.erase(it);
    };

    const double first = std::max(y0, std::ceil(vy(sorted[0]) - 0.5 + ty));
    const double last = std::min(y1, std::floor(vy(sorted[size_t(n - 1)]) - 0.5 + ty));
    if (first <= last) {
        int k = 0;
        for (int y = int(first); y <= int(last); ++y) {
            while (k < n && vy(sorted[size_t(k)]) + ty <= y + 0.5) {
                const int i = sorted[size_t(k)];
                const int p = i == 0 ? n - 1 : i - 1;
                if (vy(p) + ty <= y - 0.5)
                    removeEdge(p);
                else if (vy(p) + ty > y + 0.5)
                    insertEdge(p, y);
                const int q = i == n - 1 ? 0 : i + 1;
                if (vy(q) + ty <= y - 0.5)
                    removeEdge(i);
                else if (vy(q) + ty > y + 0.5)
                    insertEdge(i, y);
                ++k;
            }
            std::sort(active.begin(), active.end(),
                      [](const ActiveEdge& a, const ActiveEdge& b) { return a.x < b.x; });
            for (size_t e = 0; e + 1 < active.size(); e += 2) {
                const double xl = std::max(x0, std::ceil(active[e].x - 0.5));
                const double xr = std::min(x1, std::floor(active[e + 1].x - 0.5));
                if (xl <= xr)
                    spans.push_back({y, int(xl), int(xr) - int(xl) + 1});
                active[e].x += active[e].dx;
                active[e + 1].x += active[e + 1].dx;
            }
        }
    }
    destImage->FillSpans(spans.data(), int(spans.size()), color, drawMode);
}

} // namespace Quib
