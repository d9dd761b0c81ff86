#pragma once
#include "framework/widgets/Widget.h"

#include <cstdint>

namespace Quib {

struct MinigamePicture;

// A loose part of an assembly: main picture, shadow and an optional hit
// mask (pictures of the field, not owned), with a hover glow, fades, a
// placed state and a curved flight back home.
class SPart : public Widget {
public:
    void Draw(Graphics& g) override;
    bool AcceptsPoint(int px, int py) override;
    virtual void SetDraggable(bool on) = 0;
    virtual bool IsDragging() const = 0;

    // The pictures' x and y become their offsets inside the part.
    void Setup(int32_t number, MinigamePicture* main, MinigamePicture* shadow, MinigamePicture* mask, float offsetX,
               float offsetY);
    void FitSize();
    void UpdatePart(float seconds);
    void ReturnHome();
    void UpdateFlight();
    void SetPlaced(bool hide);
    // Moves home (and the part, when it is at home) by (dx, dy).
    void ShiftHome(float dx, float dy);

    MinigamePicture* mainPicture = nullptr;
    MinigamePicture* shadowPicture = nullptr;
    MinigamePicture* maskPicture = nullptr;
    float homeX = 0.0f;
    float homeY = 0.0f;
    float flightStartX = 0.0f;
    float flightStartY = 0.0f;
    int32_t number = 0;
    bool returning = false;
    float flightRate = 1.0f;
    float flightProgress = 0.0f;
    float glow = 0.0f;
    bool placed = false;
    float partAlpha = 1.0f;
    float shadowAlpha = 1.0f;
};

} // namespace Quib
