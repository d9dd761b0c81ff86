#pragma once
#include "src/screens/BoardTransformer.h"

namespace Quib {

// A white flash into a movie: the old board turns white over the first
// phase (the fade-in time), the new board emerges from white over the
// second (the fade-out time).
class BoardTransformerToMovie : public BoardTransformer {
public:
    // [Game] MovieFadeInTime and MovieFadeOutTime.
    BoardTransformerToMovie();

    void Advance(float seconds) override;
    void Draw(Graphics& g) override;
    void DrawOverChildren(Graphics& g) override;

    // The white's alpha now.
    int WhiteAlpha() const;

    float time = 0.0f;
    float fadeInTime = 0.0f;
    float fadeOutTime = 0.0f;

protected:
    virtual float FirstPhase() const { return fadeInTime; }
    virtual float SecondPhase() const { return fadeOutTime; }

private:
    BaseBoard* Shown() const;
};

} // namespace Quib
