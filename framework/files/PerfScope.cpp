#include "framework/files/PerfScope.h"

#include "framework/files/PerfTimer.h"

namespace Quib {

PerfScope::PerfScope(const char* sectionName) : name(sectionName), active(PerfTimer::IsTiming())
{
    if (active)
        PerfTimer::BeginSection(name);
}

PerfScope::~PerfScope()
{
    End();
}

void PerfScope::End()
{
    if (!active)
        return;
    active = false;
    PerfTimer::EndSection(name);
}

} // namespace Quib
