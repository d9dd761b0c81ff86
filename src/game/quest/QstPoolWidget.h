#pragma once
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/Widget.h"

#include <memory>

namespace Quib {

class QstPoolData;
class QstPoolExtBoard;
class QstPoolItemExtBase;

// The inventory strip in the widget tree: forwards drawing and the mouse
// to the pool in strip coordinates, and owns the board of flying and
// dragged items, attached to the manager together with the widget.
class QstPoolWidget : public Widget, public ButtonListener {
public:
    explicit QstPoolWidget(QstPoolData* owner);
    ~QstPoolWidget() override;

    // Follows the strip's place (the layout may load after the widget).
    void Update() override;
    void Draw(Graphics& g) override;
    bool AcceptsPoint(int px, int py) override;
    void OnMouseMove(int px, int py) override;
    void OnMouseDrag(int px, int py) override;
    void OnMouseLeave() override;
    void OnMouseDownButton(int px, int py, int button, int count) override;
    void OnMouseUpButton(int px, int py, int button, int count) override;
    void OnAttachedToManager(WidgetManager* widgetManager) override;
    void OnDetachedFromManager(WidgetManager* widgetManager) override;
    // Places the widget at the strip's position and sizes it to the strip.
    void PlaceAtStrip();

    QstPoolData* pool = nullptr; // not owned
    std::unique_ptr<QstPoolExtBoard> board;

private:
    static void OnExtension(void* context, QstPoolItemExtBase* extension);
};

} // namespace Quib
