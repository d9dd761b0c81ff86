#pragma once
// Playing the workshop's puzzles with the mouse: the moves a player makes.
#include "framework/graphics/Image.h"
#include "framework/widgets/WidgetManager.h"
#include "src/game/minigames/QstFieldGorelka.h"
#include "src/game/minigames/QstFieldMummy.h"
#include "src/game/minigames/QstFieldPuzzle.h"
#include "src/game/quest/QstFieldItemLayer.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstPoolData.h"
#include "src/game/quest/QstScene.h"
#include "tests/minigames/MinigameTestSupport.h"
#include "tests/support/JigsawPlay.h"

#include <algorithm>

namespace Quib::Mg2Test {

class WorkshopPlay : public WorkshopTest {
protected:
    static bool InParts(QstFieldPuzzle* puzzle, const Widget* w) { return Testing::InJigsawParts(puzzle, w); }

    // The topmost free part (of the field's children) that lists a piece of
    // the given group among its neighbours; any free part when none given.
    QstFieldPuzzle::Part* TopFreePart(QstFieldPuzzle* puzzle, const ImgPart* group)
    {
        for (auto it = puzzle->children.rbegin(); it != puzzle->children.rend(); ++it) {
            auto* part = dynamic_cast<QstFieldPuzzle::Part*>(*it);
            if (!part || part->locked || !InParts(puzzle, part))
                continue;
            if (!group || puzzle->AreNeighbours(part, group))
                return part;
        }
        return nullptr;
    }

    // A screen point on one of the part's pieces where the part is on top.
    bool PressPoint(QstFieldPuzzle*, ImgPart* part, int& px, int& py)
    {
        return Testing::JigsawPressPoint(*app.widgetManager, part, px, py);
    }

    // Drags neighbours of the anchored group onto it until one part is left
    // (or after the given number of joins).
    void SolvePuzzle(QstFieldPuzzle* puzzle, int joins = 1000)
    {
        Testing::SolveJigsawByDragging(puzzle, *app.widgetManager, [&](int fromX, int fromY, int toX, int toY) {
            Drag(fromX, fromY, toX, toY);
            Frames(2);
        }, joins);
    }

    // Drags the part by its middle to a point of the field.
    void DropAt(QstFieldGorelka* burner, SPart* part, float fx, float fy)
    {
        const Point screen = part->GetScreenPosition();
        const int px = screen.x + part->width / 2;
        const int py = screen.y + part->height / 2;
        Drag(px, py, burner->GetScreenPosition().x + int(fx), burner->GetScreenPosition().y + int(fy));
        Frames(1);
    }

    void DropOnStage(QstFieldGorelka* burner, SPart* part)
    {
        const MinigamePicture* stage = burner->stages[0].first;
        ASSERT_NE(stage->image, nullptr);
        DropAt(burner, part, stage->x + float(stage->image->width) / 2.0f,
               stage->y + float(stage->image->height) / 2.0f);
    }

    // The middle of the item's current layer in the field, screen
    // coordinates.
    bool ItemLayerCentre(QstField* field, const std::string& item, int& px, int& py)
    {
        for (QstFieldLayer* layer : field->layers) {
            auto* itemLayer = dynamic_cast<QstFieldItemLayer*>(layer);
            if (!itemLayer || !itemLayer->GetItem() || itemLayer->GetItem()->name != item ||
                itemLayer->GetState() != itemLayer->GetItem()->GetCurrentState())
                continue;
            const FRect r = layer->GetRect();
            const Point screen = field->GetScreenPosition();
            px = screen.x + int(r.x + r.width / 2);
            py = screen.y + int(r.y + r.height / 2);
            return true;
        }
        return false;
    }

    void ClickItem(QstField* field, const std::string& item)
    {
        int px = 0, py = 0;
        ASSERT_TRUE(ItemLayerCentre(field, item, px, py)) << item;
        Click(px, py);
        Frames(30);
    }

    void PickUpTorch()
    {
        QstItem* torch = scene->GetItem("torch");
        ASSERT_NE(torch, nullptr);
        ASSERT_EQ(StateOf("torch"), "off") << "the burner lights the torch";
        torch->SetState("normal", true); // as the burner's win does
        int px = 0, py = 0;
        ItemCentre("torch", px, py);
        Click(px, py);
        Frames(200);
        ASSERT_TRUE(scene->GetPool()->HasItem(torch));
        ASSERT_EQ(StateOf("torch"), "pool");
    }

    // Takes the torch from the inventory before the sleeping mummy (what the
    // inventory asks the close-up) and waits for the raise.
    // The torch taken and the sarcophagus's close-up open.
    QstFieldMummy* OpenMummy()
    {
        PickUpTorch();
        // The winch's chain lifts the lid first.
        if (QstItem* tomb = scene->GetItem("sarcophagus"); tomb && StateOf("sarcophagus") == "sealed")
            tomb->SetState("closed", true);
        return dynamic_cast<QstFieldMummy*>(OpenPuzzle("sarcophagus", "mummy"));
    }
    void StartFireMode(QstFieldMummy* mummy)
    {
        QstItem* torch = scene->GetItem("torch");
        ASSERT_FALSE(scene->CanTakePoolItem(torch, torch->GetCurrentState())) << "the pool does not drag it";
        ASSERT_TRUE(mummy->fireMode);
        int px = 0, py = 0;
        ASSERT_TRUE(ItemLayerCentre(mummy, "mummy", px, py));
        MoveTo(px, py);
        Frames(26);
        ASSERT_FALSE(mummy->raising);
    }

    // Clicks the item where it is, making up for the pointer's wander.
    void AimAndClick(QstFieldMummy* mummy, const std::string& item)
    {
        int px = 0, py = 0;
        ASSERT_TRUE(ItemLayerCentre(mummy, item, px, py)) << item;
        Click(px - mummy->virtualOffset.x, py - mummy->virtualOffset.y);
        Frames(1);
    }
};

} // namespace Quib::Mg2Test
