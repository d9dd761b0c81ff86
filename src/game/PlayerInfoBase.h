#pragma once

namespace Quib {

// Player values that are loaded from and saved into the current profile.
class PlayerInfoBase {
public:
    virtual ~PlayerInfoBase() = default;
    virtual void Save() = 0;
    virtual void Load() = 0;
};

} // namespace Quib
