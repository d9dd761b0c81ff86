#pragma once
#include "framework/widgets/ScrollListener.h"
#include "src/game/editor/PropertyBlock.h"
#include "src/game/editor/LayerListPropRoutines.h"

#include <functional>
#include <string>

namespace Quib {

class QstSceneEditor;
class ScrollbarWidget;

// The block "Layers": every layer of a scene's picture as a tree of path
// groups, in picture order, inside a 300-pixel scrolling viewport.
class LayerListProp : public PropertyBlock, public ScrollListener {
public:
    using RowDelegate = std::function<void(int index)>;

    LayerListProp(RowDelegate first, RowDelegate second, RowDelegate third);
    ~LayerListProp() override;

    void AddLayer(const std::u16string& path, int index);
    void FillFromScene(QstSceneEditor* editor);
    void Select(LayerListPropRoutines::Layer* row);
    void SetHover(LayerListPropRoutines::Layer* row);
    void LayoutAll(int x, int y, int width) override;
    void RelayoutRows(int width);
    void OnScroll(int id, double value) override;

    LayerListPropRoutines::Group* Root() const { return root; }
    LayerListPropRoutines::Layer* Selected() const { return selected; }
    LayerListPropRoutines::Layer* Hovered() const { return hovered; }
    LayerListPropRoutines::PropertyListBack* Back() const { return back; }
    ScrollbarWidget* Bar() const { return scrollbar; }
    void RelayoutRows() { RelayoutRows(width); }

private:
    LayerListPropRoutines::Group* root = nullptr; // owned
    LayerListPropRoutines::Layer* hovered = nullptr;
    LayerListPropRoutines::Layer* selected = nullptr;
    Widget* viewport = nullptr;                         // owned
    LayerListPropRoutines::PropertyListBack* back = nullptr; // owned
    ScrollbarWidget* scrollbar = nullptr;               // owned
    RowDelegate delegates[3];
};

} // namespace Quib
