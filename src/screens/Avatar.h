#pragma once
#include "framework/core/Point.h"
#include "framework/core/Rect.h"
#include "framework/widgets/Widget.h"

#include <array>
#include <string>

namespace Quib {

class Image;
class PsdPicture;

// The hero's animated face on the adventure board: cross-fades to the mood
// the scene asks for, holds it a while, then fades back to neutral.
class Avatar : public Widget {
public:
    enum Mood { MOOD_NEUTRAL = 0, MOOD_HAPPY = 1, MOOD_MAD = 2, MOOD_SURPRISE = 3, MOOD_COUNT = 4 };

    static constexpr float kFadeRate = 3.0f;    // cross-fade per second
    static constexpr float kHoldSeconds = 3.0f; // before falling back to neutral

    Avatar();

    // Takes the faces, backs and glass of the character from the layout
    // ("movie" stands for "boat"); the bounds cover them all and the
    // positions become relative to the bounds. A missing layer is logged and
    // left out.
    void LoadFaces(PsdPicture& layout, const std::string& name);
    // One mood's face from the layer of that name; grows the bounds.
    void LoadFace(PsdPicture& layout, const std::string& layerName, int mood, Rect& bounds, bool& haveBounds);

    using Widget::Update;
    // The mood machine; dt in seconds.
    void Update(float dt);
    void Draw(Graphics& g) override;

    std::array<Image*, MOOD_COUNT> faces{}; // not owned (the layout's)
    std::array<Point, MOOD_COUNT> facePositions{};
    Image* back = nullptr;       // not owned
    Image* secondBack = nullptr; // not owned
    Image* glass = nullptr;      // not owned
    Point backPosition;
    Point secondBackPosition;
    Point glassPosition;
    int shownMood = MOOD_NEUTRAL;
    int targetMood = MOOD_NEUTRAL;
    int requestedMood = MOOD_NEUTRAL; // written by the scene
    float crossFade = 0.0f;           // alpha of the target face
    float hold = 0.0f;                // seconds left before neutral
};

} // namespace Quib
