#include "src/game/quest/QstMinigameFactory.h"

#include "framework/files/ProcessLog.h"
#include "src/game/quest/QstXmlElement.h"

namespace Quib {

namespace {

std::vector<QstMinigameKind>& MutableTable()
{
    // The makers are filled in by the mini-game kinds as they are built.
    static std::vector<QstMinigameKind> table = {
        {"safe", nullptr},    {"buro", nullptr},      {"door_lock", nullptr}, {"lock15", nullptr},
        {"puzzle", nullptr},  {"gorelka", nullptr},   {"spy_glass", nullptr}, {"musicbox", nullptr},
        {"chain", nullptr},   {"mummy", nullptr},
    };
    return table;
}

} // namespace

const std::vector<QstMinigameKind>& MinigameTypeTable() { return MutableTable(); }

bool RegisterMinigameMaker(const std::string& type, QstMinigameMaker make)
{
    for (QstMinigameKind& kind : MutableTable()) {
        if (type == kind.type) {
            kind.make = make;
            return true;
        }
    }
    return false;
}

QstField* CreateMinigameField(QstScene* scene, QstXmlElement& fieldElement, void* loadingData)
{
    std::string type = fieldElement.GetAttrDefault("type", "");
    if (type.empty())
        return nullptr;
    for (const QstMinigameKind& kind : MinigameTypeTable()) {
        if (type != kind.type)
            continue;
        if (kind.make)
            return kind.make(scene, loadingData, type);
        // A known kind that this build does not have yet: a plain field.
        ProcessLog::GetInstance()->LogInfo("Minigame of type \"%s\" is not available; a plain field is used", type);
        return nullptr;
    }
    fieldElement.ReportError("Can't create minigame of type \"" + type + "\"");
    return nullptr;
}

} // namespace Quib
