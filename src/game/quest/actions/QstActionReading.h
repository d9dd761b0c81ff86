#pragma once
#include <string>

namespace Quib {

class QstXmlElement;

// Reads the "item" attribute of SetState, ToPool and RemoveFromPool: absent
// gives the empty reference (the script's own item), present but empty is
// an error. False when the error was reported.
bool ReadActionItemRef(QstXmlElement* element, const std::string& actionName, std::string& out);

} // namespace Quib
