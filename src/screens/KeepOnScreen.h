#pragma once
#include <algorithm>

namespace Quib {

// The start of a span of the given length moved so that the span lies
// whole on a screen of screenLength, margin pixels from either edge; a span
// too long for that starts at the margin.
inline int KeepSpanOnScreen(int start, int length, int screenLength, int margin)
{
    return std::max(margin, std::min(start, screenLength - margin - length));
}

} // namespace Quib
