#pragma once
#include <cstddef>
#include <string>

namespace Quib {

class ElementSprite;

// The frame pictures still to be loaded: the hidden-object board loads them
// one per loading step before it shows a level.
class ElementImageQueue {
public:
    static void Add(const std::string& path, ElementSprite* sprite);
    static size_t Count();
    // Loads the first picture into its sprite and drops the pair.
    static void LoadFirst();
    // Drops the pairs of a sprite that goes away.
    static void Forget(const ElementSprite* sprite);
    static void Clear();
};

} // namespace Quib
