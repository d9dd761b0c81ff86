#pragma once
#include "framework/core/FRect.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/Widget.h"
#include "src/game/quest/QstCursorType.h"
#include "src/game/quest/QstFieldExitLabel.h"
#include "src/game/quest/QstFieldVisibleGroup.h"
#include "src/game/quest/QstPoolData.h"
#include "src/game/quest/QstTarget.h"
#include "src/game/quest/QstUseTargetRecord.h"

#include <cstdint>
#include <list>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace Quib {

class DarkBack;
class Graphics;
class Image;
class QstFieldControl;
class QstFieldLayer;
class QstItem;
class QstItemState;
class QstScene;
class QstXmlElement;
struct SLoadLayerDataCont;

// One view of a scene: "main" is the scene picture itself, every other
// field is a close-up that opens over it as a popup. Owns its layers, its
// visible groups, its exit labels and its close and skip controls.
// Mini-game kinds derive from it and override the hooks.
class QstField : public Widget, public ButtonListener {
public:
    // Room around the layers' union inside the frame.
    static constexpr int32_t kMarginX = 20;
    static constexpr int32_t kMarginY = 25;

    QstField(QstScene* scene, void* loadingData = nullptr);
    ~QstField() override;

    // --- Widget ---
    void Draw(Graphics& g) override;
    // The draw-over-children pass: frame, controls, exit labels.
    void DrawOverChildren(Graphics& g) override;
    // A screen rectangle that the next Draw surely covers with opaque
    // pixels which do not depend on what is under them (an opaque picture
    // layer of the open field), or an empty one.
    Rect OpaqueScreenArea() const;
    void SetBounds(int newX, int newY, int newWidth, int newHeight) override;
    void OnKeyDown(int key) override;
    void OnMouseLeave() override;
    void OnMouseMove(int px, int py) override;
    void OnMouseDownButton(int px, int py, int button, int count) override;
    void OnMouseUpButton(int px, int py, int button, int count) override;
    void OnMouseDrag(int px, int py) override;

    // --- ButtonListener: id 325 closes ---
    void ButtonDepressByMouse(int id, int mouseButton) override;

    // --- Field slots ---
    virtual bool DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context);
    virtual void BindPsdLayers(SLoadLayerDataCont& context);
    virtual bool SaveState(QstXmlElement& element);
    virtual bool LoadState(QstXmlElement& element);
    virtual void Layout();
    virtual void UnloadLayers();
    using Widget::Update; // the widget's own update stays reachable
    virtual void Update(float seconds);
    virtual void Open();
    virtual void OnClosed();
    virtual bool IsLayerIgnored(int x, int y, QstFieldLayer* layer, EQstCursorType& cursor);
    virtual bool OnLayerClick(int x, int y, QstFieldLayer* layer);
    virtual bool CanTakePoolItem(QstItem* item, QstItemState* state);
    virtual bool GetUseTarget(int x, int y, const std::string& draggedItem, const std::string& draggedState,
                              std::string& itemName, std::string& stateName);
    virtual bool IsClickAllowed(int x, int y);
    virtual bool IsHintStop();
    virtual void OnInnerMouseMove(int x, int y);
    virtual void OnInnerMouseDown(int x, int y, int button, int clicks);
    virtual void OnMouseLeft();
    // A puzzle takes clicks on its own pieces: a click there misses nothing.
    virtual bool TakesPlainClicks() const { return false; }

    // --- Names of the mouse slots ---
    void MouseLeave() { OnMouseLeave(); }
    void MouseMove(int px, int py) { OnMouseMove(px, py); }
    void MouseDown(int px, int py, int button, int count) { OnMouseDownButton(px, py, button, count); }
    void MouseUp(int px, int py, int button, int count) { OnMouseUpButton(px, py, button, count); }
    void MouseDrag(int px, int py) { OnMouseDrag(px, py); }
    void KeyDown(int key) { OnKeyDown(key); }
    void Resize(int newX, int newY, int newWidth, int newHeight) { SetBounds(newX, newY, newWidth, newHeight); }

    // --- Opening and closing ---
    void Close(bool forced);
    // The backdrop's click delegate.
    void CloseCallback();
    void DisableClose();
    bool IsClosed() const { return closed; }
    // A particle or glint widget started for the field; deleted when the
    // field has closed.
    void AddEffect(Widget* widget);

    // --- Layout ---
    void PlaceControls();
    // x = 20, y = frame top + 25, the layers' union in field coordinates.
    Rect GetInnerArea() const;
    bool IsInInnerArea(int x, int y) const;

    // --- Input ---
    QstFieldLayer* FindLayerAt(int x, int y);
    bool HoverControl(int x, int y);
    bool IsOverControl(int x, int y);
    // Index of the control whose charge picture covers the point; -1.
    int ControlAt(int x, int y);
    bool FieldShowsUseTarget(const std::vector<QstUseTargetRecord>& targets);
    // The application's cursor kind (GameApp::SetCursorType) for a field's.
    static int32_t AppCursorFor(EQstCursorType kind);
    // The use targets of a state (its use entries whose group answers a
    // cursor kind other than 0 and 5), appended.
    static void CollectUseTargets(QstItemState* state, std::vector<QstUseTargetRecord>& out);

    // --- Drawing ---
    void DrawControl(Graphics& g, QstFieldControl& control);

    // --- Update ---
    void UpdateControl(QstFieldControl& control, float seconds);

    // --- Visible groups ---
    bool ReadVisibleGroup(QstXmlElement& element);
    void BindVisibleGroups();
    // False when the field has no group of that name.
    bool SetGroupVisible(const std::string& groupName, bool visible, bool immediately);
    QstFieldVisibleGroup* FindVisibleGroup(const std::string& groupName);

    // --- Exit labels ---
    // (exit state, destination), each state once, in the order found.
    using ExitTargets = std::vector<std::pair<QstItemState*, std::string>>;
    ExitTargets CollectExitTargets();
    void SyncExitLabels(ExitTargets& targets);
    void UpdateExitLabels(float seconds);
    bool ExitLabelHitTest(int x, int y);
    bool ClickExitLabel();
    void ClearExitLabelHover();
    void DrawExitLabels(Graphics& g);
    // The rectangle a label is anchored to.
    FRect GetExitLabelRect(const QstFieldExitLabel& label) const;

    // --- Access ---
    const std::string& GetName() const { return name; }
    const std::string& GetMask() const { return mask; }
    QstScene* GetScene() const { return scene; }
    QstFieldControl* GetCloseControl() const { return controls[0]; }
    QstFieldControl* GetSkipControl() const { return controls[1]; }

    std::vector<QstFieldLayer*> layers; // owned, ascending depth
    QstFieldLayer* hoveredLayer = nullptr;
    EQstCursorType cursorType = QST_CURSOR_NONE;
    std::string name;
    std::string mask;
    void* loadingData = nullptr;
    std::multimap<std::string, QstFieldVisibleGroup> visibleGroups;
    bool laidOut = false;
    float alpha = 0.0f;
    float targetAlpha = 1.0f;
    Image* framePicture = nullptr; // not owned
    int hoveredControl = -1;      // index into controls, -1 for none
    int pressedControl = -1;
    int32_t frameTop = 0;
    int32_t frameBottom = 0;
    std::list<Widget*> childWidgets;
    QstScene* scene = nullptr;
    std::vector<QstFieldControl*> controls; // owned: close, skip
    bool closable = true;
    bool skipShown = false;
    bool framed = true;
    DarkBack* darkBack = nullptr; // a child of the scene
    bool closed = false;
    bool showAllExitLabels = false;
    std::vector<QstFieldExitLabel> exitLabels;
    bool closeHidden = false;
};

} // namespace Quib
