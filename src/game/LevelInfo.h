#pragma once
#include "src/game/LevelInfoBase.h"

namespace Quib {

// [Levels] <name> = "1" when passed else "0", then ",%.3f" of the value.
class LevelInfo : public LevelInfoBase {
public:
    using LevelInfoBase::LevelInfoBase;

    std::string Serialize() const override;
    // The first number 1 means passed; the second is the value. Missing or
    // unreadable numbers leave the record as it was.
    void Parse(const std::string& text) override;

    bool reloadOnStart = false;
    float value = 0.0f;
};

} // namespace Quib
