#pragma once
#include "framework/core/Rect.h"
#include "framework/core/TriangleVertex.h"

#include <map>
#include <utility>
#include <vector>

namespace Quib {

// A grid of textured triangles over a picture, two per cell, whose grid
// points can be moved together.
class PageMesh {
public:
    static constexpr int kColumns = 10;
    static constexpr int kRows = 10;

    // Lays out the cells with their texture coordinates; colours 0.
    void Build();
    // The page turn at progress p over the bounds: the page folds over to
    // the left and sinks by a tenth of the height at its edges.
    void Deform(float p, const Rect& bounds);

    int TriangleCount() const { return int(vertices.size() / 3); }

    int columns = kColumns;
    int rows = kRows;
    std::vector<TriangleVertex> vertices;
    // Grid point (column, row) -> the indices of the vertices at it.
    std::map<std::pair<int, int>, std::vector<int>> points;
};

} // namespace Quib
