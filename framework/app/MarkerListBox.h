#pragma once
// A list of text lines, each carrying a number, with a vertical and a
// horizontal scroll bar (shown while needed), single selection and a
// notice on a double click. The list of the demo markers.

#include "framework/widgets/ScrollListener.h"
#include "framework/widgets/Widget.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Quib {

class Font;
class Graphics;
class ScrollbarWidget;

class MarkerListBox : public Widget, public ScrollListener {
public:
    struct Line {
        std::u16string text;
        int64_t data = 0;
        int32_t width = 0; // in pixels
    };

    MarkerListBox();
    ~MarkerListBox() override;

    // Appends a line; the horizontal extent grows to the widest line.
    void AddLine(const std::u16string& text, int64_t data);
    // The line under the point (widget coordinates); -1 when none.
    int LineAt(int px, int py) const;
    Font& GetFont();

    void SetBounds(int newX, int newY, int newWidth, int newHeight) override;
    void Draw(Graphics& g) override;
    bool TakesFocus() override;
    void OnMouseDownButton(int px, int py, int button, int count) override;
    void OnMouseWheel(int delta) override;
    void OnKeyDown(int key) override;
    void OnScroll(int id, double value) override;

    std::vector<Line> lines;
    int32_t selected = -1;
    int32_t topLine = 0;
    int32_t scrollX = 0;
    int32_t extent = 0; // the widest line
    std::unique_ptr<Font> font;
    std::unique_ptr<ScrollbarWidget> verticalBar;
    std::unique_ptr<ScrollbarWidget> horizontalBar;
    // A double click on a line (its index).
    std::function<void(int)> onDoubleClick;
    // A key the list does not use.
    std::function<void(int)> onKey;

    static constexpr int kBarThickness = 16;

private:
    int LineHeight();
    int VisibleLines();
    void UpdateBars();
};

} // namespace Quib
