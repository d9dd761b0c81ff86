#pragma once
#include <string>
#include <vector>

namespace Quib {

class QstField;
class QstScene;
class QstXmlElement;

// Builds a mini-game field of one kind.
using QstMinigameMaker = QstField* (*)(QstScene* scene, void* loadingData, const std::string& type);

struct QstMinigameKind {
    const char* type;      // the Field element's type attribute
    QstMinigameMaker make; // null while the kind is not built
};

// The kinds in the order their names are compared (exact, case-sensitive).
// The mini-game kinds fill in their makers here (QstMinigameFactory.cpp).
const std::vector<QstMinigameKind>& MinigameTypeTable();
// Sets the maker of a kind of the table; false for a type the table does
// not name (the table does not grow).
bool RegisterMinigameMaker(const std::string& type, QstMinigameMaker make);

// The field for a Field element's type: a mini-game kind, or null for a
// plain field. An unknown type is reported through the element's error
// handler ("Can't create minigame of type \"...\""); an empty or missing
// type gives null quietly.
QstField* CreateMinigameField(QstScene* scene, QstXmlElement& fieldElement, void* loadingData = nullptr);

} // namespace Quib
