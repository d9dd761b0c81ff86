#pragma once
#include "framework/core/Point.h"

#include <string>

namespace Quib {

class QstActionData;
class QstActionDataToHOG;
class QstActionDataToMovie;
class QstField;
class QstItem;
class QstPoolData;
class QstScene;

// What the running actions of a scene act through: the scene, the pool of
// its cluster, and item and field references ("item" or "scene:item").
// Virtual so that tests can stand in for a scene.
class QstActor {
public:
    explicit QstActor(QstScene* scene);
    QstActor(const QstActor&) = delete;
    QstActor& operator=(const QstActor&) = delete;
    virtual ~QstActor();

    QstScene* GetScene() const { return scene; }
    // The pool of the scene's cluster, asked of the scene controller once.
    virtual QstPoolData* GetPool();
    void SetPool(QstPoolData* newPool) { pool = newPool; }

    // Item reference; null for an empty reference or a missing item.
    virtual QstItem* ResolveItem(const std::string& ref);
    // The scene's description of that name, or null.
    virtual QstActionData* FindActionData(const std::string& name);
    // Splits a field reference: the scene it names (through the registry)
    // or this scene, and the field name.
    QstScene* SplitSceneRef(std::string& ref);

    // own: the script's item, taken when ref is empty.
    virtual void SetItemState(QstItem* own, const std::string& ref, const std::string& state, bool immediately);
    virtual void UpdatePoolItem(QstItem* own, const std::string& ref);
    virtual void AddPopupField(const std::string& ref);
    virtual void DisablePopupClose(const std::string& ref);
    virtual void ToPool(QstItem* own, const std::string& ref, const std::string& newState,
                        const std::string& followUp, const std::string& dstRef, bool noFly,
                        const std::string& flyFromRef, const TPoint<float>* flyFromPos);
    virtual void RemoveFromPool(QstItem* own, const std::string& ref);
    virtual void ToHOG(QstItem* own, const QstActionDataToHOG& data);
    virtual void ToMovie(QstItem* own, const QstActionDataToMovie& data);
    virtual void GoToScene(const std::string& sceneName);
    // The name of the item's current state; empty when there is no item.
    virtual std::string GetItemStateName(const std::string& ref);
    // Whether the reference names an existing item.
    virtual bool HasItem(const std::string& ref);

    virtual void SetGroupVisible(const std::string& group, bool visible, bool immediately);
    virtual void CloseTopPopupField();
    virtual void ShowMessage(const std::u16string& text, float duration);
    virtual void AddJournalRecord(const std::string& record);

    QstScene* scene = nullptr;   // not owned
    QstPoolData* pool = nullptr; // not owned
};

} // namespace Quib
