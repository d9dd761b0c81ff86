#pragma once
#include <string>
#include <utility>

namespace Quib {

// A playable level (a scene or a hidden-object level) as the level
// controllers see it.
class LevelBase {
public:
    explicit LevelBase(std::string name = std::string()) : levelName(std::move(name)) {}
    virtual ~LevelBase() = default;
    virtual void Start() {}
    virtual void SaveState() = 0;
    virtual void LoadState() = 0;

    std::string levelName;
};

} // namespace Quib
