#include "framework/files/PerfScope.h"

namespace Quib {

PerfScope::PerfScope(const char* sectionName) : name(sectionName), active(false) {}

PerfScope::~PerfScope()
{
    End();
}

void PerfScope::End()
{
    active = false;
}

} // namespace Quib
