#include "src/game/minigames/QstMinigameMakers.h"

#include "src/game/minigames/QstFieldBuro.h"
#include "src/game/minigames/QstFieldDoorLock.h"
#include "src/game/minigames/QstFieldLock15.h"
#include "src/game/minigames/QstFieldMusicBox.h"
#include "src/game/minigames/QstFieldSeif.h"
#include "src/game/quest/QstMinigameFactory.h"

#include <cstring>

namespace Quib {

QstField* MakeQstFieldSeif(QstScene* scene, void* loading, const std::string& type)
{
    return new QstFieldSeif(scene, loading, type);
}

QstField* MakeQstFieldBuro(QstScene* scene, void* loading, const std::string& type)
{
    return new QstFieldBuro(scene, loading, type);
}

QstField* MakeQstFieldDoorLock(QstScene* scene, void* loading, const std::string& type)
{
    return new QstFieldDoorLock(scene, loading, type);
}

QstField* MakeQstFieldLock15(QstScene* scene, void* loading, const std::string& type)
{
    return new QstFieldLock15(scene, loading, type);
}

QstField* MakeQstFieldMusicBox(QstScene* scene, void* loading, const std::string& type)
{
    return new QstFieldMusicBox(scene, loading, type);
}

void RegisterMinigames1Kinds()
{
    static const struct {
        const char* type;
        QstMinigameMaker make;
    } kinds[] = {{"safe", &MakeQstFieldSeif},
                 {"buro", &MakeQstFieldBuro},
                 {"door_lock", &MakeQstFieldDoorLock},
                 {"lock15", &MakeQstFieldLock15},
                 {"musicbox", &MakeQstFieldMusicBox}};
    // The table's entries are ordinary objects of the vector's storage; the
    // table hands them out read-only only to keep its readers from editing.
    auto& table = const_cast<std::vector<QstMinigameKind>&>(MinigameTypeTable());
    for (QstMinigameKind& entry : table) {
        for (const auto& kind : kinds) {
            if (!entry.make && std::strcmp(entry.type, kind.type) == 0)
                entry.make = kind.make;
        }
    }
}

} // namespace Quib
