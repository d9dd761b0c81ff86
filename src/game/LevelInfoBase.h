#pragma once
#include <string>
#include <utility>

namespace Quib {

// The record of one level in the profile's [Levels] section.
class LevelInfoBase {
public:
    explicit LevelInfoBase(std::string name) : levelName(std::move(name)) {}
    virtual ~LevelInfoBase() = default;
    // The value stored under the level's name, and reading it back.
    virtual std::string Serialize() const = 0;
    virtual void Parse(const std::string& text) = 0;

    std::string levelName;
    bool passed = false;
};

} // namespace Quib
