#pragma once
#include <string>

namespace Quib {

class QstField;
class QstScene;

// The makers of the puzzle, burner, spy glass, chain and mummy kinds, for
// the scene loader's factory table (QstMinigameMaker).
QstField* MakeQstFieldPuzzle(QstScene* scene, void* loadingData, const std::string& type);
QstField* MakeQstFieldGorelka(QstScene* scene, void* loadingData, const std::string& type);
QstField* MakeQstFieldSpyGlass(QstScene* scene, void* loadingData, const std::string& type);
QstField* MakeQstFieldChain(QstScene* scene, void* loadingData, const std::string& type);
QstField* MakeQstFieldMummy(QstScene* scene, void* loadingData, const std::string& type);

// Sets the makers above in the factory table.
void RegisterMinigames2Kinds();

} // namespace Quib
