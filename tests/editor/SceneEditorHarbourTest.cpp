// The demo scene "harbour" opened in the scene editor: its layers' property
// pages edit the editor's copy, and the player's profile never changes.
#include "framework/files/ProcessLog.h"
#include "framework/files/Singletone.h"
#include "framework/widgets/EditWidget.h"
#include "platform/FileNames.h"
#include "platform/TextCodecs.h"
#include "platform/headless/CapturingSink.h"
#include "src/GameSettings.h"
#include "src/Profiles.h"
#include "src/UserFolders.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/editor/BoolProp.h"
#include "src/game/editor/ColorProp.h"
#include "src/game/editor/LabeledBoolProp.h"
#include "src/game/editor/LabeledProp.h"
#include "src/game/editor/LayerListProp.h"
#include "src/game/editor/NumProp.h"
#include "src/game/editor/QstGameControllerSceneEditor.h"
#include "src/game/editor/QstPropertyPage.h"
#include "src/game/editor/TextProp.h"
#include "src/game/quest/QstField.h"
#include "src/game/quest/QstFieldLayer.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "src/game/quest/Layer/QstImageLayerData.h"
#include "src/game/quest/Layer/QstLayer.h"
#include "tests/support/GameProfileSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace Quib::Testing {
namespace {

class SceneEditorHarbourTest : public GameProfileTest {
protected:
    SceneEditorHarbourTest() : GameProfileTest(u"sailor") {}
    ~SceneEditorHarbourTest() override { QstGameControllerSceneEditor::Instance().ClearLevels(); }

    // The first labelled row with that label, searched depth first.
    static LabeledProp* FindRow(PropertyBase* page, const std::u16string& label)
    {
        for (PropertyBase* child : page->Properties()) {
            if (auto* row = dynamic_cast<LabeledProp*>(child); row && row->Label()->text == label)
                return row;
            if (LabeledProp* inner = FindRow(child, label))
                return inner;
        }
        return nullptr;
    }
    template <class T>
    static T* FindKind(PropertyBase* page)
    {
        for (PropertyBase* child : page->Properties())
            if (auto* found = dynamic_cast<T*>(child))
                return found;
        return nullptr;
    }
    static void Type(EditProp* prop, const std::u16string& keys)
    {
        prop->Field()->SetText(u"", true);
        for (char16_t c : keys)
            prop->Field()->OnKeyChar(c);
    }
    // The first image layer of the editor's main field.
    static QstLayer* FirstImageLayer(QstScene* scene)
    {
        QstField* main = scene->GetField("main");
        if (!main)
            return nullptr;
        for (QstFieldLayer* fieldLayer : main->layers)
            if (QstLayer* layer = fieldLayer->GetLayer(); layer && dynamic_cast<QstImageLayerData*>(layer->data))
                return layer;
        return nullptr;
    }
};

TEST_F(SceneEditorHarbourTest, PropertyEditorsChangeTheEditedLayers)
{
    QstGameControllerSceneEditor& editors = QstGameControllerSceneEditor::Instance();
    editors.SetLevelName("harbour");
    QstSceneEditor* editor = editors.GetCurrentEditor();
    ASSERT_NE(editor, nullptr);
    ASSERT_FALSE(editor->LoadFailed());
    EXPECT_EQ(editors.GetCurrentEditor(), editor); // the active one comes back
    QstLayer* layer = FirstImageLayer(editor);
    ASSERT_NE(layer, nullptr);

    QstPropertyPage page;
    std::string title;
    layer->DoAddProperties(&page, title);
    EXPECT_EQ(title, "Image layer");
    page.LayoutAll(0, 0, 400);

    // X and Y: typed numbers land in the layer; its position prints back.
    LabeledProp* xRow = FindRow(&page, u"X");
    LabeledProp* yRow = FindRow(&page, u"Y");
    ASSERT_TRUE(xRow && yRow);
    auto* xField = dynamic_cast<FloatProp*>(xRow->Value());
    auto* yField = dynamic_cast<FloatProp*>(yRow->Value());
    ASSERT_TRUE(xField && yField);
    EXPECT_EQ(xField->Field()->text, FloatProp::FormatText(layer->x));
    Type(xField, u"123.5");
    Type(yField, u"-7");
    EXPECT_FLOAT_EQ(layer->x, 123.5f);
    EXPECT_FLOAT_EQ(layer->y, -7.0f);
    layer->x = 40.25f; // moved elsewhere: the field follows
    xField->Update();
    EXPECT_EQ(xField->Field()->text, u"40.25");
    float parsed = 0.0f;
    ASSERT_TRUE(FloatProp::ParseText(xField->Field()->text, parsed));
    EXPECT_FLOAT_EQ(parsed, layer->x);

    // The data's flags and colour.
    QstLayerData* data = layer->data;
    auto* disabled = dynamic_cast<LabeledBoolProp*>(FindRow(&page, u"Disabled"));
    ASSERT_NE(disabled, nullptr);
    const bool wasDisabled = data->disabled;
    disabled->OnMouseDownButton(1, 1, 1, 1);
    EXPECT_EQ(data->disabled, !wasDisabled);
    auto* colour = FindKind<ColorProp>(&page);
    ASSERT_NE(colour, nullptr);
    Type(colour->Hex(), u"80FF2000");
    EXPECT_EQ(data->color, Color(255, 32, 0, 128));
    uint32_t packed = 0;
    ASSERT_TRUE(HexProp::ParseText(colour->Hex()->Field()->text, packed));
    EXPECT_EQ(packed, 0x80FF2000u);
    auto* width = dynamic_cast<TextProp*>(FindRow(&page, u"Width")->Value());
    ASSERT_NE(width, nullptr);
    EXPECT_EQ(width->text, FloatProp::FormatText(data->width));

    // The layer list holds every layer of the scene's picture.
    auto* list = FindKind<LayerListProp>(&page);
    ASSERT_NE(list, nullptr);
    size_t rows = 0;
    std::function<void(LayerListPropRoutines::Group*)> count = [&](LayerListPropRoutines::Group* g) {
        rows += g->layers.size();
        for (auto& [i, child] : g->groups)
            count(child);
    };
    count(list->Root());
    EXPECT_EQ(rows, editor->loadContext.layers.size());
    EXPECT_GT(rows, 0u);
}

TEST_F(SceneEditorHarbourTest, EditingLeavesThePlayersProfileAlone)
{
    // The player has been in the harbour and saved.
    QstGameControllerScene& game = QstGameControllerScene::Instance();
    game.Start("harbour");
    QstScene* played = game.GetActiveScene();
    ASSERT_NE(played, nullptr);
    played->AddPopupField("pool", true);
    game.SaveLevels();
    Profiles& profile = Profiles::Instance();
    std::string savedScene;
    ASSERT_TRUE(profile.Lookup("Scenes", "harbour", savedScene));
    const std::string lastScene = profile.GetString("Main", "LastScene");
    const std::string pools = profile.GetString("Main", "Pools");

    QstGameControllerSceneEditor& editors = QstGameControllerSceneEditor::Instance();
    editors.SetLevelName("harbour");
    QstSceneEditor* editor = editors.GetCurrentEditor();
    ASSERT_NE(editor, nullptr);
    ASSERT_NE(static_cast<QstScene*>(editor), played);
    QstLayer* layer = FirstImageLayer(editor);
    ASSERT_NE(layer, nullptr);
    QstPropertyPage page;
    std::string title;
    layer->DoAddProperties(&page, title);
    page.LayoutAll(0, 0, 400);
    Type(dynamic_cast<FloatProp*>(FindRow(&page, u"X")->Value()), u"999");
    editor->AddPopupField("chest", true); // an edited state the player never had
    EXPECT_NE(editor->GetPool(), played->GetPool());

    editors.StoreAll();
    editors.ClearLevels();
    std::string after;
    ASSERT_TRUE(profile.Lookup("Scenes", "harbour", after));
    EXPECT_EQ(after, savedScene);
    EXPECT_EQ(profile.GetString("Main", "LastScene"), lastScene);
    EXPECT_EQ(profile.GetString("Main", "Pools"), pools);
    // The player's own scene was not touched either.
    EXPECT_NE(FirstImageLayer(played)->x, 999.0f);
}

} // namespace
} // namespace Quib::Testing
