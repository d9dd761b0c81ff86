#pragma once
#include "src/screens/BoardTransformerToMovie.h"

namespace Quib {

// The white flash out of a movie: the phases of the flash into one swapped,
// the fade-out time first.
class BoardTransformerFromMovie : public BoardTransformerToMovie {
protected:
    float FirstPhase() const override { return fadeOutTime; }
    float SecondPhase() const override { return fadeInTime; }
};

} // namespace Quib
