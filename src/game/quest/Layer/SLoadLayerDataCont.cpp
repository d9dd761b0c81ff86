#include "src/game/quest/Layer/SLoadLayerDataCont.h"

namespace Quib {

PsdLayerInfo* SLoadLayerDataCont::Find(const std::string& name)
{
    for (PsdLayerInfo& info : layers) {
        if (info.name == name)
            return &info;
    }
    return nullptr;
}

} // namespace Quib
