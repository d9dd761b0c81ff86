#pragma once
#include "framework/core/Color.h"
#include "src/game/editor/PropertyBase.h"

#include <string>

namespace Quib {

class Font;

// A word-wrapped line of text; as tall as the wrapped text.
class TextProp : public PropertyBase {
public:
    explicit TextProp(const std::u16string& text);

    void SetText(const std::u16string& text);
    void UpdateHeight() override;
    void Draw(Graphics& g) override;
    // The widest line wrapped at that width (0: the widget's width).
    int MeasureWidth(int atWidth);

    std::u16string text;
    Color color{0, 0, 0, 255};
    int justification = -1;
    Font* font = nullptr;
};

} // namespace Quib
