#pragma once
#include <string>

namespace Quib {

// Told what a movie widget's movie does.
class FlashListener {
public:
    virtual ~FlashListener() = default;

    // The movie stopped playing on its own.
    virtual void OnFlashEnded(int /*id*/) {}
    // A command of the movie with its argument (narrow strings).
    virtual void OnFlashCommand(int /*id*/, const std::string& /*command*/, const std::string& /*argument*/) {}
};

} // namespace Quib
