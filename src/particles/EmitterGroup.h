#pragma once
#include "src/particles/PtcLibrary.h"

#include <vector>

namespace Quib {

// Emitters of a file kept loaded for the file's life: one found at the top
// of the file, or every emitter below one top-level folder.
class EmitterGroup {
public:
    EmitterGroup() = default;
    EmitterGroup(const EmitterGroup&) = delete;
    EmitterGroup& operator=(const EmitterGroup&) = delete;
    ~EmitterGroup();

    int Count() const { return int(emitters.size()); }

    std::vector<PtcEmitter> emitters;
};

} // namespace Quib
