#include "src/game/minigames/QstMinigameMakers.h"

#include "src/game/minigames/QstFieldBuro.h"
#include "src/game/minigames/QstFieldChain.h"
#include "src/game/minigames/QstFieldDoorLock.h"
#include "src/game/minigames/QstFieldGorelka.h"
#include "src/game/minigames/QstFieldLock15.h"
#include "src/game/minigames/QstFieldMummy.h"
#include "src/game/minigames/QstFieldMusicBox.h"
#include "src/game/minigames/QstFieldPuzzle.h"
#include "src/game/minigames/QstFieldSeif.h"
#include "src/game/minigames/QstFieldSpyGlass.h"
#include "src/game/quest/QstMinigameFactory.h"

namespace Quib {
namespace {

template <class Field>
QstField* Make(QstScene* scene, void* loading, const std::string& type)
{
    return new Field(scene, loading, type);
}

} // namespace

void RegisterMinigameKinds()
{
    RegisterMinigameMaker("safe", &Make<QstFieldSeif>);
    RegisterMinigameMaker("buro", &Make<QstFieldBuro>);
    RegisterMinigameMaker("door_lock", &Make<QstFieldDoorLock>);
    RegisterMinigameMaker("lock15", &Make<QstFieldLock15>);
    RegisterMinigameMaker("puzzle", &Make<QstFieldPuzzle>);
    RegisterMinigameMaker("gorelka", &Make<QstFieldGorelka>);
    RegisterMinigameMaker("spy_glass", &Make<QstFieldSpyGlass>);
    RegisterMinigameMaker("musicbox", &Make<QstFieldMusicBox>);
    RegisterMinigameMaker("chain", &Make<QstFieldChain>);
    RegisterMinigameMaker("mummy", &Make<QstFieldMummy>);
}

} // namespace Quib
