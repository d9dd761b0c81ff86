#pragma once
#include "src/game/quest/Layer/QstLayer.h"

#include <cstdint>

namespace Quib {

class Image;
class QstImageLayerData;
struct Rect;

// A layer that draws an image of the layered picture.
class QstImageLayer : public QstLayer {
public:
    explicit QstImageLayer(QstImageLayerData* data);
    QstImageLayer(const QstImageLayer& other) = default;

    QstLayer* Clone() const override;
    void DoAddProperties(QstPropertyPage* page, std::string& title) override;
    void Draw(Graphics& g, DrawTransform& transform, QstSceneDistortion* distortion) override;
    // The image pixel's ARGB word is above 0x00FFFFFF (alpha at least 1).
    bool HitTest(int x, int y) const override;

    // Set the data's shown / group-visible flag of any layer kind (and the
    // data's immediate flag); loads on show; immediately snaps the alpha.
    static void SetDataVisible(QstLayer* layer, bool value, bool immediately);
    static void SetDataGroupVisible(QstLayer* layer, bool value, bool immediately);

    QstImageLayerData* ImageData() const;

    // Shared by the image, animation and sea kinds: draws an image of the
    // given size centred on the transform (distorted, transformed or plain),
    // tinted by the data colour.
    static void DrawCentredImage(Graphics& g, Image* image, const DrawTransform& transform,
                                 QstSceneDistortion* distortion, float width, float height);
    // The whole image with its corner at a float position (plus the
    // Graphics translation): a plain copy when that lands on whole pixels,
    // else resampled.
    static void DrawImageAtFloat(Graphics& g, Image* image, float x, float y);
    // Pixel word of an image at (x, y); 0 outside it or without pixels.
    static uint32_t ImagePixel(Image* image, int x, int y);
};

} // namespace Quib
