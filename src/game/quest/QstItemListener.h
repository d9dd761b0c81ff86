#pragma once
#include "src/game/quest/QstCursorType.h"

#include <string>

namespace Quib {

class QstAction;
class QstActionData;
class QstItem;
class QstScene;

// What items use to reach their scene.
class QstItemListener {
public:
    virtual ~QstItemListener() = default;
    virtual bool DoAddActionData(QstActionData* data) = 0;
    virtual bool OnItemNameChanged(QstItem* item, const std::string& oldName, const std::string& newName) = 0;
    virtual bool IsItemNameFree(const std::string& name) = 0;
    virtual QstAction* DoCreateAction(QstItem* item, const std::string& dataName, bool addToRunning, bool start) = 0;
    virtual EQstCursorType DoItemActionHitTest(QstItem* item, const std::string& dataName, std::string& popupField,
                                               std::string* target) = 0;
    virtual const std::string& GetSceneName() const = 0;
    virtual QstScene* GetScene() = 0;
};

} // namespace Quib
