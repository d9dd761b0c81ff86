#pragma once
// The movie player's site in a FlashWidget: the player's invalidation
// rectangles (in the movie's pixels) become the widget's dirty rectangle (in
// its parent's coordinates), united with what is already dirty.

#include "platform/MoviePlayer.h"

namespace Quib {

class FlashWidget;

class ControlSite : public MovieSite {
public:
    explicit ControlSite(FlashWidget* widget) : mWidget(widget) {}

    // With a rectangle: it becomes the dirty rectangle, or is united with it
    // when the widget is already dirty; without: the widget's bounds. The
    // widget is dirty afterwards.
    void InvalidateMovieRect(const MovieRect* rect) override;

private:
    FlashWidget* mWidget;
};

} // namespace Quib
