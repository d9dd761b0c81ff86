#pragma once
// The movie player's event sink in a FlashWidget: a command of the movie
// reaches the widget (and its listener) as command and argument.

#include "platform/MoviePlayer.h"

namespace Quib {

class FlashWidget;

class FlashSink : public MovieEventSink {
public:
    explicit FlashSink(FlashWidget* widget) : mWidget(widget) {}

    void OnMovieCommand(const std::string& command, const std::string& argument) override;

private:
    FlashWidget* mWidget;
};

} // namespace Quib
