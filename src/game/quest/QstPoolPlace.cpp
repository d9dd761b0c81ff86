#include "src/game/quest/QstPoolPlace.h"

#include "src/game/quest/QstPoolEntry.h"

namespace Quib {

QstPoolPlace::QstPoolPlace() = default;
QstPoolPlace::QstPoolPlace(QstPoolPlace&&) noexcept = default;
QstPoolPlace& QstPoolPlace::operator=(QstPoolPlace&&) noexcept = default;
QstPoolPlace::~QstPoolPlace() = default;

} // namespace Quib
