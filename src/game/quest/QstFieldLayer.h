#pragma once
#include "framework/core/FRect.h"
#include "src/game/quest/QstCursorType.h"
#include "src/game/quest/QstPoolData.h"
#include "src/game/quest/QstTarget.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Quib {

class Graphics;
class QstField;
class QstFieldLayerExtraDraw;
class QstItem;
class QstItemState;
class QstLayer;

// One drawable layer of a close-up field: a QstLayer with the questions and
// commands the field asks of it. Plain field layers are the parts of the
// scene picture no item claims (background, decoration).
class QstFieldLayer {
public:
    // Takes ownership of the layer.
    explicit QstFieldLayer(QstLayer* layer);
    QstFieldLayer(const QstFieldLayer&) = delete;
    QstFieldLayer& operator=(const QstFieldLayer&) = delete;
    virtual ~QstFieldLayer();

    // Loads the data when it is a target, showing or force-loaded; always
    // sets the data's auto load.
    virtual void Load();
    virtual void Unload();
    virtual bool IsShowing() const;
    virtual void Draw(Graphics& g);
    virtual bool IsActive(bool itemFlag, bool plainFlag, bool ignoreLayerVisible, bool ignoreGroup,
                          bool ignoreShown) const;
    virtual void Update(float seconds);
    virtual void MouseEnter(int x, int y);
    virtual void MouseLeave();
    virtual void MouseMove(int x, int y);
    virtual void OnClick(int x, int y);
    virtual void MouseUp(int x, int y);
    virtual bool GetItemAndState(std::string& itemName, std::string& stateName) const;
    virtual bool UseItemOn(QstItem* item);
    virtual bool IsIgnored(int x, int y, EQstCursorType& cursor);
    virtual bool HitTest(int x, int y) const;
    virtual FRect GetRect() const;
    virtual int32_t GetDepth() const;
    virtual bool IsInVisibleGroup(const std::string& groupName, const std::string& mask) const;
    virtual EQstCursorType GetCursorType(std::string* target);
    // The state whose click leaves the scene, with its destination; null.
    virtual QstItemState* GetExitTarget(std::string& destination);
    virtual bool IsFullyVisible() const;
    virtual void CollectTargets(const std::vector<QstPoolItemInfo>& inventory, std::vector<QstClickTarget>& clicks,
                                std::vector<QstUseTarget>& uses);
    virtual bool IsOutsideBounds() const;

    // Replaces the drawing hook (the old one is deleted when owned).
    void SetExtraDraw(QstFieldLayerExtraDraw* hook, bool owned);
    QstFieldLayerExtraDraw* GetExtraDraw() const { return extraDraw; }

    QstLayer* GetLayer() const { return layer; }
    QstField* GetField() const { return field; }
    void SetField(QstField* owner);

    // Ascending depth.
    static bool LessByDepth(const QstFieldLayer* a, const QstFieldLayer* b);

    bool hovered = false;
    QstLayer* layer = nullptr; // owned
    QstField* field = nullptr; // set when a field lays the layer out
    QstFieldLayerExtraDraw* extraDraw = nullptr;
    bool ownsExtraDraw = false;
};

} // namespace Quib
