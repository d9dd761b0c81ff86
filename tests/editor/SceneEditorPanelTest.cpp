// What the editor scene does to an attached panel: scrolling the selected
// entry into view, refilling the list on a rename, unbinding on a layer
// replacement.
#include "src/game/editor/QstSceneEditor.h"
#include "src/game/editor/QstSceneEditorPanel.h"

#include <gtest/gtest.h>

#include <vector>

namespace Quib::Testing {
namespace {

class FakeEditorPanel : public QstSceneEditorPanel {
public:
    QstScene* GetScene() override { return scene; }
    void ClearList() override { names.clear(); }
    void AddListName(const std::u16string& name) override { names.push_back(name); }
    int FindListName(const std::u16string& name) override
    {
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i] == name)
                return int(i);
        return -1;
    }
    void SelectListIndex(int index) override { selected = index; }
    int SelectedListIndex() override { return selected; }
    double ScrollValue() override { return value; }
    double ScrollMax() override { return maximum; }
    double ScrollPage() override { return page; }
    void SetScrollValue(double v) override { value = v; }
    void Unbind() override { scene = nullptr; }
    void ClearSelectionState() override { selectionCleared = true; }

    QstScene* scene = nullptr;
    std::vector<std::u16string> names;
    int selected = -1;
    double value = 0.0, maximum = 0.0, page = 0.0;
    bool selectionCleared = false;
};

TEST(SceneEditorPanel, SelectionScrollsIntoView)
{
    struct Case {
        int selected;
        double value, maximum, page;
        double expected;
    };
    const Case cases[] = {
        {-1, 5, 100, 10, 5},  // nothing selected
        {50, 5, 10, 10, 5},   // everything fits
        {3, 5, 100, 10, 3},   // above the view
        {20, 5, 100, 10, 11}, // below the view: last visible
        {9, 5, 100, 10, 5},   // inside
    };
    for (const Case& c : cases) {
        FakeEditorPanel panel;
        panel.selected = c.selected;
        panel.value = c.value;
        panel.maximum = c.maximum;
        panel.page = c.page;
        QstSceneEditor::ScrollSelectionIntoView(&panel);
        EXPECT_DOUBLE_EQ(panel.value, c.expected) << c.selected;
    }
}

TEST(SceneEditorPanel, OnlyThePanelShowingTheSceneIsRefreshedOrUnbound)
{
    QstSceneEditor editor("nowhere");
    QstSceneEditor other("elsewhere");
    FakeEditorPanel panel;
    panel.scene = &other;
    panel.names = {u"old"};
    editor.RefreshLayerList(&panel, &editor, "x");
    EXPECT_EQ(panel.names.size(), 1u); // shows another scene: untouched
    editor.DetachPanelScene(&panel);
    EXPECT_EQ(panel.scene, &other);

    panel.scene = &editor;
    editor.RefreshLayerList(&panel, &editor, "x");
    EXPECT_TRUE(panel.names.empty()); // refilled from a scene without items
    EXPECT_EQ(panel.selected, -1);
    editor.AttachPanel(&panel);
    editor.ReplaceLayer(nullptr, nullptr);
    EXPECT_EQ(panel.scene, nullptr);
    EXPECT_TRUE(panel.selectionCleared);
}

} // namespace
} // namespace Quib::Testing
