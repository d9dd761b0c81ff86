#include "framework/widgets/ControlSite.h"

#include "framework/core/Rect.h"
#include "framework/widgets/FlashWidget.h"

namespace Quib {

void ControlSite::InvalidateMovieRect(const MovieRect* rect)
{
    if (!rect) {
        mWidget->InvalidateFrame(nullptr);
        return;
    }
    // The movie's pixels start at the widget's corner.
    const Rect r(mWidget->x + rect->x, mWidget->y + rect->y, rect->width, rect->height);
    mWidget->InvalidateFrame(&r);
}

} // namespace Quib
