#include "src/game/minigames/QstMinigameMakers.h"

#include "src/game/minigames/QstFieldBuro.h"
#include "src/game/minigames/QstFieldDoorLock.h"
#include "src/game/minigames/QstFieldLock15.h"
#include "src/game/minigames/QstFieldMusicBox.h"
#include "src/game/minigames/QstFieldSeif.h"
#include "src/game/quest/QstMinigameFactory.h"

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
    RegisterMinigameMaker("safe", &MakeQstFieldSeif);
    RegisterMinigameMaker("buro", &MakeQstFieldBuro);
    RegisterMinigameMaker("door_lock", &MakeQstFieldDoorLock);
    RegisterMinigameMaker("lock15", &MakeQstFieldLock15);
    RegisterMinigameMaker("musicbox", &MakeQstFieldMusicBox);
}

} // namespace Quib
