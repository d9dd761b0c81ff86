#include "src/game/minigames/QstMinigame2Makers.h"

#include "src/game/minigames/QstFieldChain.h"
#include "src/game/minigames/QstFieldGorelka.h"
#include "src/game/minigames/QstFieldMummy.h"
#include "src/game/minigames/QstFieldPuzzle.h"
#include "src/game/minigames/QstFieldSpyGlass.h"
#include "src/game/quest/QstMinigameFactory.h"

namespace Quib {

QstField* MakeQstFieldPuzzle(QstScene* scene, void* loading, const std::string& type)
{
    return new QstFieldPuzzle(scene, loading, type);
}

QstField* MakeQstFieldGorelka(QstScene* scene, void* loading, const std::string& type)
{
    return new QstFieldGorelka(scene, loading, type);
}

QstField* MakeQstFieldSpyGlass(QstScene* scene, void* loading, const std::string& type)
{
    return new QstFieldSpyGlass(scene, loading, type);
}

QstField* MakeQstFieldChain(QstScene* scene, void* loading, const std::string& type)
{
    return new QstFieldChain(scene, loading, type);
}

QstField* MakeQstFieldMummy(QstScene* scene, void* loading, const std::string& type)
{
    return new QstFieldMummy(scene, loading, type);
}

void RegisterMinigames2Kinds()
{
    RegisterMinigameMaker("puzzle", &MakeQstFieldPuzzle);
    RegisterMinigameMaker("gorelka", &MakeQstFieldGorelka);
    RegisterMinigameMaker("spy_glass", &MakeQstFieldSpyGlass);
    RegisterMinigameMaker("chain", &MakeQstFieldChain);
    RegisterMinigameMaker("mummy", &MakeQstFieldMummy);
}

} // namespace Quib
