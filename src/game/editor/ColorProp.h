#pragma once
#include "framework/core/Color.h"
#include "src/game/editor/PropertyBlock.h"

#include <cstdint>

namespace Quib {

class SliderProp;
template <class T, int Kind>
class NumProp;

// trunc(value) limited to 0..255.
int ClampChannel(float value);

// A collapsible colour editor: R, G, B and A sliders and an AARRGGBB hex
// field, with a swatch in the header.
class ColorProp : public PropertyBlock {
public:
    ColorProp(const std::u16string& title, Color* color);

    void LayoutAll(int x, int y, int width) override;
    void Draw(Graphics& g) override;

    void OnRed(float value);
    void OnGreen(float value);
    void OnBlue(float value);
    void OnAlpha(float value);
    void OnHexChanged(uint32_t value);
    void Refresh();

    SliderProp* Slider(int channel) const { return sliders[channel]; }
    NumProp<uint32_t, 1>* Hex() const { return hex; }

    Color* color = nullptr; // edited in place
    int swatchX = 0, swatchY = 0, swatchWidth = 0, swatchHeight = 0;
    int swatchInset = 6;

private:
    SliderProp* sliders[4] = {}; // red, green, blue, alpha; owned through rows
    NumProp<uint32_t, 1>* hex = nullptr;
    bool fromHex = false;
};

} // namespace Quib
