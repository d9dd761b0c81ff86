#pragma once
#include "src/screens/BoardTransformer.h"

namespace Quib {

// No animation: finishes on its first update.
class BoardTransformerEmpty : public BoardTransformer {
public:
    void Advance(float seconds) override;
};

} // namespace Quib
