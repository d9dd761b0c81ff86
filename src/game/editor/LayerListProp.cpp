#include "src/game/editor/LayerListProp.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/widgets/ScrollbarWidget.h"
#include "src/GameResources.h"
#include "src/game/editor/QstSceneEditor.h"

#include <algorithm>

namespace Quib {

namespace LayerListPropRoutines {

int RowHeight()
{
    return FONT_CORBEL ? FONT_CORBEL->Height() : 16;
}

Elem::Elem(Group* parentGroup, LayerListProp* rowListener, const std::u16string& rowPath,
           const std::u16string& rowName, int rowIndex)
    : parent(parentGroup), index(rowIndex), listener(rowListener), name(rowName), path(rowPath)
{
}

void Elem::Layout(int newX, int newY, int newWidth)
{
    x = newX;
    y = newY;
    width = newWidth;
    height = Measure();
}

// --- Layer ---

int Layer::Measure()
{
    return RowHeight();
}

void Layer::Draw(Graphics& g)
{
    if (selected) {
        g.color = Color(0xff555599u);
        g.FillRectangle(x, y, width, height);
    }
    g.font = FONT_CORBEL;
    g.color = hovered ? Color(0xffaaaaaau) : Color(0, 0, 0, 255);
    g.DrawText(name, x, y + (FONT_CORBEL ? FONT_CORBEL->Ascent() : 0));
}

Layer* Layer::HitTest(int px, int py)
{
    return Contains(px, py) ? this : nullptr;
}

bool Layer::MouseDown(int px, int py, int, int)
{
    if (!Contains(px, py))
        return false;
    listener->Select(this);
    return true;
}

bool Layer::MouseMove(int px, int py)
{
    if (!Contains(px, py))
        return false;
    listener->SetHover(this);
    return true;
}

// --- Group ---

Group::~Group()
{
    for (auto& [i, group] : groups)
        delete group;
    for (auto& [i, layer] : layers)
        delete layer;
}

int Group::Measure()
{
    int total = 0;
    const int rowHeight = RowHeight();
    if (parent && headerShown) {
        total = rowHeight;
        boxX = x;
        boxY = y + (rowHeight - 12) / 2;
        boxWidth = 12;
        boxHeight = 12;
    }
    if (expanded) {
        for (auto& [i, row] : rows) {
            row->Layout(x + 10, y + total, width - 10);
            total += row->height;
        }
    }
    return total;
}

void Group::Draw(Graphics& g)
{
    if (parent && headerShown) {
        g.colorizeImages = true;
        g.color = Color(0xff858585u);
        Point corners[3];
        if (expanded) {
            corners[0] = Point(boxX, boxY);
            corners[1] = Point(boxX + boxWidth, boxY);
            corners[2] = Point(boxX + boxWidth / 2, boxY + boxHeight);
        } else {
            corners[0] = Point(boxX, boxY);
            corners[1] = Point(boxX, boxY + boxHeight);
            corners[2] = Point(boxX + boxWidth, boxY + boxHeight / 2);
        }
        g.FillPolygon(corners, 3);
        g.color = textColor;
        g.font = FONT_CORBEL;
        g.DrawText(name, boxX + boxWidth + 2, y + (FONT_CORBEL ? FONT_CORBEL->Ascent() : 0));
    }
    if (expanded)
        for (auto& [i, row] : rows)
            row->Draw(g);
}

Layer* Group::HitTest(int, int)
{
    return nullptr;
}

bool Group::MouseDown(int px, int py, int button, int clicks)
{
    if (!Contains(px, py))
        return false;
    if (parent && headerShown && px >= boxX && py >= boxY && px < boxX + boxWidth && py < boxY + boxHeight) {
        SetExpanded(!expanded);
        return true;
    }
    if (expanded)
        for (auto& [i, row] : rows)
            if (row->MouseDown(px, py, button, clicks))
                return true;
    return false;
}

bool Group::MouseMove(int px, int py)
{
    if (!Contains(px, py) || !expanded)
        return false;
    for (auto& [i, row] : rows)
        if (row->MouseMove(px, py))
            return true;
    return false;
}

void Group::SetExpanded(bool value)
{
    if (value == expanded)
        return;
    expanded = value;
    if (listener)
        listener->RelayoutRows();
}

void Group::AddLayer(Layer* layer)
{
    layer->parent = this;
    rows[layer->index] = layer;
    layers[layer->index] = layer;
}

void Group::AddGroup(Group* group)
{
    rows[group->index] = group;
    groups[group->index] = group;
}

int Group::LastIndex() const
{
    if (rows.empty())
        return index;
    int last = rows.rbegin()->first;
    if (!groups.empty())
        last = std::max(last, groups.rbegin()->second->LastIndex());
    return last;
}

Group* Group::FindGroupAt(Group* g, const std::u16string& wanted, int at)
{
    auto it = g->groups.upper_bound(at);
    if (it == g->groups.begin())
        return nullptr;
    Group* found = std::prev(it)->second;
    auto next = g->rows.upper_bound(found->index);
    if (next != g->rows.end() && next->first < at)
        return nullptr;
    if (found->name == wanted)
        return found;
    return at < found->LastIndex() ? found : nullptr;
}

Group* Group::SplitAt(Group* h, const std::u16string& prefix, const std::u16string& splitName, int at)
{
    Group* inner = nullptr;
    int newIndex;
    if (Group* child = FindGroupAt(h, splitName, at)) {
        inner = SplitAt(child, prefix + splitName + u"/", child->name, at);
        newIndex = inner->index;
    } else {
        auto above = h->rows.upper_bound(at);
        newIndex = above != h->rows.end() ? above->first : h->LastIndex() + 1;
    }
    Group* made = new Group(h, h->listener, h->path, h->name, newIndex);
    if (inner)
        made->AddGroup(inner);
    for (auto it = h->groups.lower_bound(newIndex); it != h->groups.end();) {
        it->second->parent = made;
        made->AddGroup(it->second);
        h->rows.erase(it->first);
        it = h->groups.erase(it);
    }
    for (auto it = h->layers.lower_bound(newIndex); it != h->layers.end();) {
        made->AddLayer(it->second);
        h->rows.erase(it->first);
        it = h->layers.erase(it);
    }
    return made;
}

Group* Group::GetOrCreatePath(Group* g, const std::u16string& prefix, const std::u16string& rest, int at)
{
    const size_t slash = rest.find(u'/');
    if (slash != std::u16string::npos) {
        const std::u16string segment = rest.substr(0, slash);
        const std::u16string remainder = rest.substr(slash + 1);
        Group* found = FindGroupAt(g, segment, at);
        if (found && found->name == segment)
            return GetOrCreatePath(found, prefix + segment + u"/", remainder, at);
        if (found)
            g->AddGroup(SplitAt(found, prefix, found->name, at));
        Group* made = new Group(g, g->listener, prefix + segment + u"/", segment, at);
        g->AddGroup(made);
        if (remainder.empty())
            return made;
        return GetOrCreatePath(made, prefix + segment + u"/", remainder, at);
    }
    if (!rest.empty())
        if (Group* found = FindGroupAt(g, std::u16string(), at))
            g->AddGroup(SplitAt(found, prefix, found->name, at));
    return g;
}

// --- PropertyListBack ---

PropertyListBack::PropertyListBack(LayerListProp* owner) : list(owner) {}

void PropertyListBack::Draw(Graphics& g)
{
    list->Root()->Draw(g);
}

void PropertyListBack::OnMouseDownButton(int px, int py, int button, int count)
{
    if (!list->Root()->MouseDown(px, py, button, count))
        list->Select(nullptr);
}

void PropertyListBack::OnMouseMove(int px, int py)
{
    if (!list->Root()->MouseMove(px, py))
        list->SetHover(nullptr);
}

void PropertyListBack::OnMouseLeave()
{
    list->SetHover(nullptr);
}

} // namespace LayerListPropRoutines

using namespace LayerListPropRoutines;

LayerListProp::LayerListProp(RowDelegate first, RowDelegate second, RowDelegate third)
    : PropertyBlock(u"Layers", false, true)
{
    root = new Group(nullptr, this, u"/", std::u16string(), 0);
    root->expanded = true;
    root->headerShown = false;
    viewport = new Widget();
    back = new PropertyListBack(this);
    viewport->AttachChild(back);
    AttachChild(viewport);
    scrollbar = new ScrollbarWidget(this);
    AttachChild(scrollbar);
    delegates[0] = std::move(first);
    delegates[1] = std::move(second);
    delegates[2] = std::move(third);
}

LayerListProp::~LayerListProp()
{
    delete back;
    delete viewport;
    delete scrollbar;
    delete root;
}

void LayerListProp::AddLayer(const std::u16string& path, int index)
{
    const size_t slash = path.rfind(u'/');
    const std::u16string rowName = slash == std::u16string::npos ? path : path.substr(slash + 1);
    Group* group = Group::GetOrCreatePath(root, std::u16string(), path, index);
    group->AddLayer(new Layer(group, this, path, rowName, index));
}

void LayerListProp::FillFromScene(QstSceneEditor* editor)
{
    if (!editor)
        return;
    const std::vector<PsdLayerInfo>& entries = editor->loadContext.layers;
    for (size_t i = 0; i < entries.size(); ++i)
        AddLayer(std::u16string(entries[i].name.begin(), entries[i].name.end()), int(i));
    if (laidOut)
        RelayoutRows(width);
}

void LayerListProp::Select(Layer* row)
{
    if (selected)
        selected->selected = false;
    selected = row;
    if (selected)
        selected->selected = true;
}

void LayerListProp::SetHover(Layer* row)
{
    if (hovered)
        hovered->hovered = false;
    hovered = row;
    if (hovered)
        hovered->hovered = true;
}

void LayerListProp::RelayoutRows(int newWidth)
{
    root->Layout(0, 0, newWidth);
    back->SetBounds(0, 0, newWidth - 20, root->height);
    scrollbar->SetPageSize(300);
    scrollbar->SetMaxValue(back->height);
}

void LayerListProp::LayoutAll(int newX, int newY, int newWidth)
{
    RelayoutRows(newWidth);
    // The header's height is known only after the block's own layout.
    PropertyBlock::LayoutAll(newX, newY, newWidth);
    viewport->SetBounds(0, topMargin, newWidth - 20, 300);
    scrollbar->ResizeScrollbar(viewport->x + viewport->width, topMargin, 20, 300);
    bottomMargin = 302;
    PropertyBlock::LayoutAll(newX, newY, newWidth);
}

void LayerListProp::OnScroll(int, double value)
{
    back->MoveTo(back->x, -int(value));
}

} // namespace Quib
