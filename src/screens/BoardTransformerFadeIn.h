#pragma once
#include "src/screens/BoardTransformer.h"

#include <memory>

namespace Quib {

class Image;

// The new board, frozen into a picture at the start, shows through more and
// more over the old board.
class BoardTransformerFadeIn : public BoardTransformer {
public:
    // The duration is [Game] ScreenFade.
    BoardTransformerFadeIn();
    ~BoardTransformerFadeIn() override;

    void Start() override;
    void Advance(float seconds) override;
    void Draw(Graphics& g) override;

    std::unique_ptr<Image> newImage; // null without a new board
    float time = 0.0f;
    float duration = 0.0f;
};

} // namespace Quib
