#pragma once
#include "src/game/editor/PropertyBase.h"

#include <string>

namespace Quib {

class Font;

// A collapsible group of properties under a title bar; a press on the bar
// toggles it.
class PropertyBlock : public PropertyBase {
public:
    PropertyBlock(const std::u16string& title, bool collapsed, bool indented);

    void AddProperty(PropertyBase* child) override;
    void LayoutAll(int x, int y, int width) override;
    void UpdateHeight() override;
    void GetIndent(int& left, int& right) override;
    virtual void SetCollapsed(bool collapsed);

    void OnMouseDownButton(int px, int py, int button, int count) override;
    bool AcceptsPoint(int px, int py) override;
    void Draw(Graphics& g) override;

    bool IsCollapsed() const { return collapsed; }
    int HeaderHeight() const { return headerHeight; }

    int headerLeftPad = 20;
    int headerTopPad = 6;
    int headerRightPad = 5;
    int headerBottomPad = 6;
    int headerHeight = 0;
    std::u16string title;
    bool collapsed = false;
    int contentTopMargin = 10;
    Font* font = nullptr;
    bool indented = false;
};

} // namespace Quib
