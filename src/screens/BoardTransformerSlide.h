#pragma once
#include "src/screens/BoardTransformer.h"

namespace Quib {

// Both boards move down: the old one out at the bottom, the new one (or
// black without one) in from the top.
class BoardTransformerSlide : public BoardTransformer {
public:
    // The duration is [Game] ScreenFade.
    BoardTransformerSlide();

    void Advance(float seconds) override;
    void Draw(Graphics& g) override;

    // How far the old board has moved down.
    int Offset() const;

    float time = 0.0f;
    float duration = 0.0f;
};

} // namespace Quib
