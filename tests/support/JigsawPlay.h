#pragma once
// The jigsaw close-up played with the mouse, as a player would.
#include "framework/graphics/Image.h"
#include "framework/widgets/WidgetManager.h"
#include "src/game/minigames/QstFieldPuzzle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>

namespace Quib::Testing {

// Whether the widget is one of the puzzle's free or anchored parts.
inline bool InJigsawParts(QstFieldPuzzle* puzzle, const Widget* w)
{
    return std::find(puzzle->parts.begin(), puzzle->parts.end(), w) != puzzle->parts.end();
}

// A screen point on one of the part's pieces where the part is on top.
inline bool JigsawPressPoint(WidgetManager& wm, ImgPart* part, int& px, int& py)
{
    const Point screen = part->GetScreenPosition();
    for (const PuzzlePiece& piece : part->pieces) {
        if (!piece.picture || !piece.picture->image)
            continue;
        px = screen.x + int(piece.x) + piece.picture->image->width / 2;
        py = screen.y + int(piece.y) + piece.picture->image->height / 2;
        int lx = 0, ly = 0;
        if (wm.GetWidgetAt(px, py, &lx, &ly) == part)
            return true;
    }
    return false;
}

// The anchored group.
inline QstFieldPuzzle::Part* JigsawAnchor(QstFieldPuzzle* puzzle)
{
    for (QstFieldPuzzle::Part* part : puzzle->parts)
        if (part->locked)
            return part;
    return nullptr;
}

// Drags neighbours of the anchored group onto it until one part is left
// (or after the given number of joins); a part lying over the wanted ones
// is put aside below the picture first. drag(fromX, fromY, toX, toY) drags
// with the mouse and lets the game settle the drop.
template <class Drag>
void SolveJigsawByDragging(QstFieldPuzzle* puzzle, WidgetManager& wm, Drag drag, int joins = 1000)
{
    int parked = 0;
    const Rect inner = puzzle->GetInnerArea();
    const int spotY = puzzle->GetScreenPosition().y + inner.y + inner.height - 88;
    for (int guard = 0; puzzle->parts.size() > 1 && joins > 0 && guard < 40; ++guard) {
        QstFieldPuzzle::Part* anchor = JigsawAnchor(puzzle);
        ASSERT_NE(anchor, nullptr);
        QstFieldPuzzle::Part* part = nullptr;
        QstFieldPuzzle::Part* top = nullptr;
        int px = 0, py = 0, tx = 0, ty = 0;
        for (auto it = puzzle->children.rbegin(); it != puzzle->children.rend() && !part; ++it) {
            auto* candidate = dynamic_cast<QstFieldPuzzle::Part*>(*it);
            if (!candidate || candidate->locked || !InJigsawParts(puzzle, candidate))
                continue;
            if (!top && candidate->GetScreenPosition().y < spotY - 10 && JigsawPressPoint(wm, candidate, tx, ty))
                top = candidate;
            if (puzzle->AreNeighbours(candidate, anchor) && JigsawPressPoint(wm, candidate, px, py))
                part = candidate;
        }
        if (!part) {
            ASSERT_NE(top, nullptr) << "a part to put aside";
            const Point spot(puzzle->GetScreenPosition().x + inner.x - 30 + 125 * (parked++ % 4), spotY);
            const Point at = top->GetScreenPosition();
            drag(tx, ty, tx + spot.x - at.x, ty + spot.y - at.y);
            continue;
        }
        const Point target = anchor->GetOrigin();
        const Point origin = part->GetOrigin();
        const size_t before = puzzle->parts.size();
        drag(px, py, px + target.x - origin.x, py + target.y - origin.y);
        ASSERT_EQ(puzzle->parts.size(), before - 1) << "the drop joined the group";
        --joins;
    }
}

} // namespace Quib::Testing
