#pragma once
#include <cstdint>
#include <string>

namespace Quib {

class ButtonListener;
class Image;
class PsdPictureLayer;

// The close or the skip control drawn on a field's frame.
class QstFieldControl {
public:
    static constexpr int32_t kCloseId = 325;
    static constexpr int32_t kSkipId = 326;

    // The rectangle is the union of the four picture layers' rectangles;
    // missing layers count as nothing.
    QstFieldControl(ButtonListener* listener, int32_t id, const PsdPictureLayer* base, const PsdPictureLayer* charge,
                    const PsdPictureLayer* hover, const PsdPictureLayer* press, std::u16string text);

    void SetVisible(bool value, bool immediately);
    // Only while visible and fully charged.
    void Press(int clicks);
    void Release(int clicks);
    bool IsReady() const { return chargeRatio == 1.0f; }

    // Whether the picture, placed at (px, py), has a pixel with alpha above
    // 10 at (x, y).
    static bool PictureHit(Image* picture, int px, int py, int x, int y);

    ButtonListener* listener = nullptr;
    int32_t id = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    Image* basePicture = nullptr; // not owned (the shared frame layout's)
    int32_t baseOffsetX = 0;
    int32_t baseOffsetY = 0;
    Image* chargePicture = nullptr;
    int32_t chargeOffsetX = 0;
    int32_t chargeOffsetY = 0;
    Image* hoverPicture = nullptr;
    int32_t hoverOffsetX = 0;
    int32_t hoverOffsetY = 0;
    Image* pressPicture = nullptr;
    int32_t pressOffsetX = 0;
    int32_t pressOffsetY = 0;
    std::u16string text;
    float readyLevel = 1.0f;
    float alpha = 1.0f;
    float hoverLevel = 0.0f;
    float pressLevel = 0.0f;
    bool visible = true;
    bool hovered = false;
    bool pressed = false;
    float chargeRatio = 1.0f;
    float chargeTime = 0.0f;
    float chargeElapsed = 0.0f;
};

} // namespace Quib
