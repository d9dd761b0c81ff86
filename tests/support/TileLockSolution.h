#pragma once
// The tile lock solved from its own arrangement: the shortest turns of its
// four locks that put every tile home.
#include "src/game/minigames/QstFieldLock15.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <queue>
#include <utility>
#include <vector>

namespace Quib::Testing {

// A turn of the tile lock: (lock index 0..3, forward).
using TileMove = std::pair<int, bool>;
using Tiles = std::array<int32_t, 9>;

// The arrangement after one turn.
inline Tiles TilesAfter(const Tiles& homes, TileMove move)
{
    int32_t cells[4];
    for (int i = 0; i < 4; ++i)
        cells[i] = QstFieldLock15::kBlocks[move.first][i];
    if (!move.second)
        std::swap(cells[1], cells[3]);
    Tiles out = homes;
    for (int i = 0; i < 4; ++i)
        out[size_t(cells[(i + 1) % 4])] = homes[size_t(cells[i])];
    return out;
}

// The turns from the arrangement to the solved one; empty when solved or
// unreachable.
inline std::vector<TileMove> TileSolution(const Tiles& start)
{
    const Tiles goal{0, 1, 2, 3, 4, 5, 6, 7, 8};
    std::map<Tiles, std::pair<Tiles, TileMove>> from;
    std::queue<Tiles> open;
    from[start] = {start, {-1, true}};
    open.push(start);
    while (!open.empty() && !from.count(goal)) {
        const Tiles current = open.front();
        open.pop();
        for (int lock = 0; lock < 4; ++lock)
            for (bool forward : {true, false}) {
                const Tiles next = TilesAfter(current, {lock, forward});
                if (from.emplace(next, std::make_pair(current, TileMove{lock, forward})).second)
                    open.push(next);
            }
    }
    std::vector<TileMove> moves;
    if (!from.count(goal))
        return moves;
    for (Tiles at = goal; at != start; at = from[at].first)
        moves.insert(moves.begin(), from[at].second);
    return moves;
}

} // namespace Quib::Testing
