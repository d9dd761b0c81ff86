#pragma once
#include <string>

namespace Quib {

// What a movie board goes on to when the movie ends, as a profile keeps it
// in the return data of a "LastScene" value of kind movie:
// level,return scene,sound[,item reference].
struct MovieStartData {
    // Fills the record from the comma-separated text; fields without a
    // token are left empty, and so is the item reference when the fourth
    // token is missing or empty.
    static MovieStartData Read(const std::string& text);

    std::string level;       // the level started afterwards
    std::string returnScene; // the scene returned to
    std::string sound;       // played on return; may be empty
    // "scene:item", resolved by the scene engine; empty for none.
    std::string itemReference;
};

} // namespace Quib
