#include "src/particles/EmitterGroup.h"

namespace Quib {

EmitterGroup::~EmitterGroup()
{
    for (PtcEmitter e : emitters)
        PtcUnloadEmitter(e);
}

} // namespace Quib
