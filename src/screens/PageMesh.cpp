#include "src/screens/PageMesh.h"

#include <cmath>

namespace Quib {

void PageMesh::Build()
{
    columns = kColumns;
    rows = kRows;
    vertices.assign(size_t(columns * rows * 6), TriangleVertex{});
    points.clear();
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const std::pair<int, int> corners[6] = {{c, r},     {c + 1, r}, {c + 1, r + 1},
                                                    {c, r + 1}, {c, r},     {c + 1, r + 1}};
            const int first = 6 * (r * columns + c);
            for (int k = 0; k < 6; ++k) {
                TriangleVertex& v = vertices[size_t(first + k)];
                v.u = float(corners[k].first) / float(columns);
                v.v = float(corners[k].second) / float(rows);
                v.color = 0;
                points[corners[k]].push_back(first + k);
            }
        }
    }
}

void PageMesh::Deform(float p, const Rect& bounds)
{
    for (const auto& [point, indices] : points) {
        const float u = float(point.first) / float(columns);
        const float v = float(point.second) / float(rows);
        const int px = int(float(bounds.x) + u * float(bounds.width));
        const int py = int(float(bounds.y) + v * float(bounds.height));
        const float k = std::fabs(u - 0.5f) + 0.5f;
        const float nx = float(px) - 2.0f * float(px) * p * k;
        const float ny = float(py) + p * float(bounds.height / 10) * k;
        for (int index : indices) {
            TriangleVertex& vertex = vertices[size_t(index)];
            vertex.x = nx;
            vertex.y = ny;
            vertex.u = u;
            vertex.v = v;
            vertex.color = 0xFFFFFFFFu;
        }
    }
}

} // namespace Quib
