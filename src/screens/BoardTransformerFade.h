#pragma once
#include "src/screens/BoardTransformer.h"

namespace Quib {

// The old board darkens to black over the first half, the new board clears
// from black over the second.
class BoardTransformerFade : public BoardTransformer {
public:
    // The duration is [Game] ScreenFade.
    BoardTransformerFade();

    void Advance(float seconds) override;
    void Draw(Graphics& g) override;
    void DrawOverChildren(Graphics& g) override;

    // The black's alpha at progress p.
    static int AlphaAt(float p);

    float time = 0.0f;
    float duration = 0.0f;

private:
    BaseBoard* Shown() const;
};

} // namespace Quib
