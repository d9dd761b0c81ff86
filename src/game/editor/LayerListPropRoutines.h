#pragma once
#include "framework/core/Color.h"
#include "framework/widgets/Widget.h"

#include <map>
#include <string>

namespace Quib {

class Graphics;
class LayerListProp;

// The rows of the layer list: groups (path prefixes) and layers, kept in
// the order of the layers' indices in the picture.
namespace LayerListPropRoutines {

class Group;
class Layer;

class Elem {
public:
    Elem(Group* parentGroup, LayerListProp* listener, const std::u16string& path, const std::u16string& name,
         int index);
    virtual ~Elem() = default;
    Elem(const Elem&) = delete;
    Elem& operator=(const Elem&) = delete;

    virtual void Layout(int x, int y, int width);
    virtual int Measure() = 0;
    virtual void Draw(Graphics& g) = 0;
    virtual Layer* HitTest(int px, int py) = 0;
    virtual bool MouseDown(int px, int py, int button, int clicks) = 0;
    virtual bool MouseMove(int px, int py) = 0;

    bool Contains(int px, int py) const { return px >= x && py >= y && px < x + width && py < y + height; }

    Group* parent = nullptr;
    int x = 0, y = 0, width = 0, height = 0;
    int index = 0;
    Color textColor{0, 0, 0, 255};
    bool selected = false;
    bool hovered = false;
    LayerListProp* listener = nullptr;
    std::u16string name;
    std::u16string path;
};

class Layer : public Elem {
public:
    using Elem::Elem;

    int Measure() override;
    void Draw(Graphics& g) override;
    Layer* HitTest(int px, int py) override;
    bool MouseDown(int px, int py, int button, int clicks) override;
    bool MouseMove(int px, int py) override;
};

class Group : public Elem {
public:
    using Elem::Elem;
    ~Group() override;

    int Measure() override;
    void Draw(Graphics& g) override;
    Layer* HitTest(int px, int py) override;
    bool MouseDown(int px, int py, int button, int clicks) override;
    bool MouseMove(int px, int py) override;

    void SetExpanded(bool value);
    void AddLayer(Layer* layer);
    void AddGroup(Group* group);
    int LastIndex() const;

    static Group* GetOrCreatePath(Group* g, const std::u16string& prefix, const std::u16string& rest, int index);
    static Group* FindGroupAt(Group* g, const std::u16string& name, int index);
    static Group* SplitAt(Group* h, const std::u16string& prefix, const std::u16string& name, int index);

    std::map<int, Elem*> rows;      // every child row (owned through the two maps below)
    std::map<int, Group*> groups;   // owned
    std::map<int, Layer*> layers;   // owned
    bool expanded = false;
    bool headerShown = true;
    int boxX = 0, boxY = 0, boxWidth = 0, boxHeight = 0;
};

// The row height: the font's height (16 without a font).
int RowHeight();

// Draws and hit-tests the row tree, in its own coordinates.
class PropertyListBack : public Widget {
public:
    explicit PropertyListBack(LayerListProp* list);

    void Draw(Graphics& g) override;
    void OnMouseDownButton(int px, int py, int button, int count) override;
    void OnMouseMove(int px, int py) override;
    void OnMouseLeave() override;

private:
    LayerListProp* list;
};

} // namespace LayerListPropRoutines
} // namespace Quib
