#pragma once
#include "src/screens/BoardTransformer.h"
#include "src/screens/PageMesh.h"

#include <memory>

namespace Quib {

class Image;

// The old board, frozen into a picture at the start, folds away like a
// turned page over the new board (or black).
class BoardTransformerPager : public BoardTransformer {
public:
    static constexpr int kImageWidth = 1024;
    static constexpr int kImageHeight = 768;

    // The duration is [Game] ScreenFade.
    BoardTransformerPager();
    ~BoardTransformerPager() override;

    void Start() override;
    void Advance(float seconds) override;
    void Draw(Graphics& g) override;

    void BuildMesh();
    void DeformMesh(float p, const Rect& bounds);
    void DrawMesh(Graphics& g);

    std::unique_ptr<Image> oldImage;
    PageMesh mesh;
    float time = 0.0f;
    float duration = 0.0f;
};

} // namespace Quib
