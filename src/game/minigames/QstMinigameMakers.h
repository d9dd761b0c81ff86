#pragma once
#include <string>

namespace Quib {

class QstField;
class QstScene;

// The makers of the mini-game kinds, for the scene loader's factory table
// (QstMinigameMaker).
QstField* MakeQstFieldSeif(QstScene* scene, void* loadingData, const std::string& type);
QstField* MakeQstFieldBuro(QstScene* scene, void* loadingData, const std::string& type);
QstField* MakeQstFieldDoorLock(QstScene* scene, void* loadingData, const std::string& type);
QstField* MakeQstFieldLock15(QstScene* scene, void* loadingData, const std::string& type);
QstField* MakeQstFieldMusicBox(QstScene* scene, void* loadingData, const std::string& type);

// Puts the makers above into the scene loader's factory table; to be called
// once at start-up, before the first scene loads.
void RegisterMinigames1Kinds();

} // namespace Quib
