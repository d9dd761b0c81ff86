#pragma once
#include "framework/core/Color.h"
#include "framework/widgets/Widget.h"
#include "src/game/LevelBase.h"
#include "src/game/quest/QstItemListener.h"
#include "src/game/quest/Layer/SLoadLayerDataCont.h"
#include "src/game/quest/actions/QstRunningActions.h"
#include "src/game/quest/QstTarget.h"
#include "src/game/quest/QstXmlElement.h"

#include <functional>
#include <list>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class TiXmlElement;

namespace Quib {

class AmbientSet;
class QstAction;
class QstActionData;
class QstActor;
class QstField;
class QstFieldLayer;
class QstItem;
class QstItemState;
class QstPoolData;
class QstSceneDistortion;
struct QstGlintOwner;
class QstTutor;
class QstXmlElement;
struct SBackFromHOGData;
class Avatar;

// One location of the adventure: its close-up fields ("main" is the view
// itself), items, action descriptions, running actions, tutorial and the
// inventory pool of its cluster. Loaded from data\scenes\<name>.xml with the
// layered picture data\scenes\<name>\layers.ini.
class QstScene : public Widget, public LevelBase, public QstItemListener {
public:
    using MessageDelegate = std::function<void(const std::u16string& text, float duration)>;
    using JournalRecordDelegate = std::function<void()>;

    explicit QstScene(const std::string& name);
    ~QstScene() override;

    // --- Scene slots ---
    // Every item state adds itself to the usable-here lists of its targets.
    virtual void ForEachItemPass1();
    // Every item state recomputes its hint id.
    virtual void ForEachItemPass2();
    // Every occurrence of the old layer in the item layers becomes the new.
    virtual void ReplaceLayer(QstFieldLayer* oldLayer, QstFieldLayer* newLayer);
    virtual void OnFieldShown(QstField* field);
    virtual void OnFieldRemoved(QstField* field);

    // --- Widget ---
    void OnAttachedToManager(WidgetManager* widgetManager) override;
    void OnKeyDown(int key) override;

    // --- LevelBase ---
    // Loads the scene and shows "main". A scene that fails to load is
    // reported and keeps what was read; see LoadFailed.
    virtual void LoadLevel();
    void SaveState() override;
    void LoadState() override;

    // --- QstItemListener ---
    bool DoAddActionData(QstActionData* data) override;
    bool OnItemNameChanged(QstItem* item, const std::string& oldName, const std::string& newName) override;
    bool IsItemNameFree(const std::string& name) override;
    QstAction* DoCreateAction(QstItem* item, const std::string& dataName, bool addToRunning, bool start) override;
    EQstCursorType DoItemActionHitTest(QstItem* item, const std::string& dataName, std::string& popupField,
                                       std::string* target) override;
    const std::string& GetSceneName() const override { return levelName; }
    QstScene* GetScene() override { return this; }

    // --- Loading ---
    bool LoadScene();
    // LoadScene's reading; the layers nobody took are collected after it.
    bool ReadDocument();
    bool LoadItems(QstXmlElement& element, SLoadLayerDataCont& context, const std::string& mask);
    // The scene's XML error handler: debugger line, message box, false.
    bool OnXmlError(const std::string& error, TiXmlElement* element);
    QstXmlErrorHandler GetXmlErrorHandler();

    // --- Fields ---
    // Puts a field on screen; null when the scene has no field of that name.
    QstField* AddPopupField(const std::string& name, bool popup);
    void CloseTopPopupField();
    void CloseAllPopups();
    void RemoveField(QstField* field);
    // Field operations the actions reach by field name; false for none.
    bool DisableFieldClose(const std::string& fieldName);
    bool SetGroupVisible(const std::string& groupName, bool visible, bool immediately);
    QstField* GetField(const std::string& name) const;
    QstField* GetTopField() const;
    // The screen area that a field drawn after this one surely covers with
    // opaque pixels (see QstField::OpaqueScreenArea), or an empty one.
    Rect AreaCoveredAbove(const QstField* field) const;
    // Input goes to the topmost on-screen field only.
    void UpdateFieldInput();

    // --- Lookups ---
    QstItem* GetItem(const std::string& name) const;
    bool CanTakePoolItem(QstItem* item, QstItemState* state);
    // "" -> null; "scene:item" -> that scene's item; "item" -> this scene's.
    QstItem* ResolveItem(const std::string& reference);
    // Needs no scene: only "scene:item" references resolve.
    static QstItem* GetItemByRef(const std::string& reference);
    PsdLayerInfo* FindPsdLayer(const std::string& name);
    QstActionData* FindActionData(const std::string& name) const;
    const std::string& GetClusterName();
    void GetItemNames(std::vector<std::string>& out) const;
    void ShowMessage(const std::u16string& text, float duration = -1.0f);
    QstTutor* GetTutor() const { return tutorial; }
    QstActor* GetActor() const { return actor; }
    QstPoolData* GetPool() const { return pool; }
    void SetPool(QstPoolData* newPool);
    const std::string& GetFilePath() const { return filePath; }
    bool LoadFailed() const { return loadFailed; }

    // --- Images (the registry's twins) ---
    static void UnloadScene(QstScene* scene);
    static void LoadLayers(QstScene* scene);
    static const std::string& GetSceneKey();

    // --- Update, hints, return from hidden-object levels ---
    void UpdateScene(float seconds);
    void CollectActionable(std::vector<QstClickTarget>& clicks, std::vector<QstUseTarget>& uses);
    // underTest: the fields whose usefulness is being decided further up (a
    // field met again counts as not useful, so fields that open each other end).
    bool IsUsefulTarget(const QstClickTarget& record, const std::string& fieldName,
                        const std::vector<QstClickTarget>& clicks, const std::vector<QstUseTarget>& uses,
                        std::set<std::string>* underTest = nullptr);
    bool ShowHint();
    bool UseHint() { return ShowHint(); }
    void TriggerAllCandidates();
    void ShowGlint(const QstClickTarget& candidate, bool hint);
    void BackFromHOG(const SBackFromHOGData& data, QstPoolData* targetPool);

    // The focus claim: one flag for all scenes.
    static bool& FocusClaim();

    AmbientSet* ambientSounds = nullptr;
    bool layersLoaded = false;
    std::string filePath;
    std::map<std::string, QstField*> fields;        // owned
    std::vector<QstField*> onScreenFields;           // bottom first
    std::map<std::string, QstItem*> items;           // owned
    std::map<std::string, QstActionData*> actionData; // owned
    QstRunningActions runningActions;
    std::vector<std::unique_ptr<QstActionData>> refusedActionData; // taken names, cycles; kept alive
    QstActor* actor = nullptr;                       // owned
    QstPoolData* pool = nullptr;
    Avatar* avatar = nullptr;
    std::vector<QstFieldLayer*> itemLayers;          // owned
    SLoadLayerDataCont loadContext;
    std::string clusterName;
    MessageDelegate messageDelegate;
    JournalRecordDelegate journalRecordDelegate;
    Color color = Color(255, 255, 255, 255);
    int32_t backdropParam = 0;
    float hintGlintCountdown = 0.0f;
    QstSceneDistortion* distortion = nullptr;        // owned
    // Leaves out the mesh cells that a close-up above covers (the screen is
    // the same either way).
    bool skipCoveredCells = true;
    QstTutor* tutorial = nullptr;                    // owned
    bool loadFailed = false;
    // Owner of the glint widgets; outlives the scene while one is still
    // waiting for its deferred deletion.
    QstGlintOwner* glintOwner = nullptr;
};

} // namespace Quib
