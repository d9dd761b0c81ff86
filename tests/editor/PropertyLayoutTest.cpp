// The property panel stacks its children, re-stacks after a change and
// reports height changes up to its root.
#include "src/game/editor/BorderProp.h"
#include "src/game/editor/PropertyBase.h"
#include "src/game/editor/PropertyBlock.h"

#include <gtest/gtest.h>

namespace Quib::Testing {
namespace {

// A property of a fixed height.
class FixedHeightProp : public PropertyBase {
public:
    explicit FixedHeightProp(int h) : fixed(h) {}
    void UpdateHeight() override { height = fixed; }
    int fixed;
};

// Counts the root's height reports.
struct RootListener : PropertyListener {
    void OnChildResized(PropertyBase* child) override
    {
        ++reports;
        lastHeight = child->height;
    }
    int reports = 0;
    int lastHeight = -1;
};

TEST(PropertyLayout, ChildrenStackWithSpacingAndHiddenOnesTakeNoRoom)
{
    RootListener listener;
    PropertyBase panel(&listener);
    auto* a = new FixedHeightProp(20);
    auto* b = new FixedHeightProp(30);
    auto* c = new FixedHeightProp(20);
    panel.AddProperty(a);
    panel.AddProperty(b);
    panel.AddProperty(c);
    panel.LayoutAll(0, 0, 200);
    EXPECT_EQ(a->y, 10);
    EXPECT_EQ(b->y, 45);
    EXPECT_EQ(c->y, 90);
    for (PropertyBase* p : {static_cast<PropertyBase*>(a), static_cast<PropertyBase*>(b), static_cast<PropertyBase*>(c)}) {
        EXPECT_EQ(p->x, 10);
        EXPECT_EQ(p->width, 180);
    }
    EXPECT_EQ(panel.height, 120);

    b->SetVisible(false);
    EXPECT_EQ(c->y, 45);
    EXPECT_EQ(panel.height, 75);
    EXPECT_EQ(listener.lastHeight, 75);

    // Added after the layout: placed at once below the last child.
    auto* d = new FixedHeightProp(5);
    panel.AddProperty(d);
    EXPECT_EQ(d->y, 45 + 20 + 15);
    EXPECT_EQ(panel.height, 80 + 5 + 10);
    EXPECT_EQ(listener.lastHeight, 95);
}

TEST(PropertyLayout, NestedChangesTravelUpTheOwnerChain)
{
    RootListener listener;
    PropertyBase panel(&listener);
    auto* inner = new PropertyBase();
    auto* leaf = new FixedHeightProp(20);
    inner->AddProperty(leaf);
    auto* after = new FixedHeightProp(10);
    panel.AddProperty(inner);
    panel.AddProperty(after);
    panel.LayoutAll(0, 0, 200);
    ASSERT_EQ(inner->height, 40);
    EXPECT_EQ(after->y, 10 + 40 + 15);
    leaf->SetVisible(false); // inner shrinks to its margins
    EXPECT_EQ(inner->height, 20);
    EXPECT_EQ(after->y, 10 + 20 + 15);
    EXPECT_EQ(panel.height, after->y + 10 + 10);
}

TEST(PropertyLayout, CollapsedBlockIsItsHeaderAndHidesNewChildren)
{
    PropertyBase panel;
    auto* block = new PropertyBlock(u"Block", true, false);
    panel.AddProperty(block);
    panel.LayoutAll(0, 0, 200);
    const int header = block->HeaderHeight();
    EXPECT_EQ(header, 12); // no font in the tests: the pads alone
    auto* child = new FixedHeightProp(20);
    block->AddProperty(child);
    EXPECT_FALSE(child->visible);
    EXPECT_EQ(block->height, header);
    block->SetCollapsed(false);
    EXPECT_TRUE(child->visible);
    EXPECT_EQ(block->height, header + 10 + 20 + 10);
    EXPECT_EQ(panel.height, 10 + block->height + 10);
    // Only the header takes the mouse; a press toggles.
    EXPECT_TRUE(block->AcceptsPoint(5, header - 1));
    EXPECT_FALSE(block->AcceptsPoint(5, header));
    block->OnMouseDownButton(5, 5, 1, 1);
    EXPECT_TRUE(block->IsCollapsed());
    EXPECT_EQ(panel.height, 10 + header + 10);
}

TEST(PropertyLayout, IndentedBlockAndBorderMargins)
{
    PropertyBase panel;
    auto* block = new PropertyBlock(u"Indented", false, true);
    auto* border = new BorderProp(new FixedHeightProp(8), Color(0xff888888u), Color(0, 0, 0, 0));
    panel.AddProperty(block);
    panel.AddProperty(border);
    panel.LayoutAll(0, 0, 200);
    EXPECT_EQ(block->x, 2);
    EXPECT_EQ(block->x + block->width, 198);
    EXPECT_EQ(border->x, 10);
    EXPECT_EQ(border->height, 2 + 8 + 2);
}

} // namespace
} // namespace Quib::Testing
