// The layer list keeps picture order: a group is cut wherever another
// group's layer lies between its members; clicks select rows.
#include "src/game/editor/LayerListProp.h"

#include <gtest/gtest.h>

namespace Quib::Testing {
namespace {

using LayerListPropRoutines::Group;

// The top-level rows as "name" (group names with a trailing '/').
std::string TopRows(LayerListProp& list)
{
    std::string out;
    for (auto& [index, row] : list.Root()->rows) {
        std::string name(row->name.begin(), row->name.end());
        const bool group = list.Root()->groups.count(index) != 0;
        out += name + (group ? "/" : "") + std::to_string(index) + " ";
    }
    return out;
}

TEST(LayerList, GroupsAreCutAroundOtherLayers)
{
    struct Case {
        std::vector<std::pair<std::u16string, int>> adds;
        std::string rows;
    };
    const Case cases[] = {
        {{{u"a/x", 1}, {u"b/y", 2}, {u"a/z", 3}}, "a/1 b/2 a/3 "},
        {{{u"a/x", 1}, {u"a/z", 3}, {u"b/y", 2}}, "a/1 b/2 a/3 "},
        {{{u"top", 0}, {u"a/x", 1}, {u"a/z", 2}}, "top0 a/1 "},
        {{{u"a/x", 1}, {u"a/z", 3}, {u"mid", 2}}, "a/1 mid2 a/3 "},
    };
    for (const Case& c : cases) {
        LayerListProp list(nullptr, nullptr, nullptr);
        for (const auto& [path, index] : c.adds)
            list.AddLayer(path, index);
        EXPECT_EQ(TopRows(list), c.rows);
    }
}

TEST(LayerList, ClicksSelectExpandAndClear)
{
    LayerListProp list(nullptr, nullptr, nullptr);
    list.AddLayer(u"sky", 0);
    list.AddLayer(u"ship/hull", 1);
    list.AddLayer(u"ship/sail", 2);
    list.LayoutAll(0, 0, 300);
    Group* ship = list.Root()->groups.at(1);
    EXPECT_FALSE(ship->expanded);
    const int row = LayerListPropRoutines::RowHeight();
    // Only the top rows show: the list is the header, 10, 300 and 2 tall.
    EXPECT_EQ(list.Back()->height, 2 * row);
    EXPECT_EQ(list.height, list.HeaderHeight() + 10 + 300 + 2);

    auto* back = list.Back();
    back->OnMouseDownButton(12, 1, 1, 1); // the sky row
    ASSERT_NE(list.Selected(), nullptr);
    EXPECT_EQ(list.Selected()->name, u"sky");
    back->OnMouseDownButton(ship->boxX + 30, row + 1, 1, 1); // the group's name: no toggle
    EXPECT_FALSE(ship->expanded);
    EXPECT_EQ(list.Selected(), nullptr);
    back->OnMouseDownButton(ship->boxX + 2, ship->boxY + 2, 1, 1); // its box
    EXPECT_TRUE(ship->expanded);
    EXPECT_EQ(list.Back()->height, 4 * row);
    back->OnMouseMove(30, 3 * row + 1);
    ASSERT_NE(list.Hovered(), nullptr);
    EXPECT_EQ(list.Hovered()->name, u"sail");
    back->OnMouseDownButton(30, 3 * row + 1, 1, 1);
    EXPECT_EQ(list.Selected()->name, u"sail");
    back->OnMouseDownButton(30, 10 * row, 1, 1); // empty space
    EXPECT_EQ(list.Selected(), nullptr);
    back->OnMouseLeave();
    EXPECT_EQ(list.Hovered(), nullptr);
}

} // namespace
} // namespace Quib::Testing
