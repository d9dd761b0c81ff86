#pragma once
#include "framework/core/Point.h"

#include <memory>
#include <string>

namespace Quib {

class ParticlesCommon;

// The glint of an item state: "Hint" when hint is true, else "flash_" +
// the cluster name; started at the position, not looping. The caller owns
// it.
std::unique_ptr<ParticlesCommon> CreateQstFlashEffect(const std::string& clusterName, bool hint,
                                                      const TPoint<float>& position);

} // namespace Quib
