#include "framework/graphics/OverComposite.h"

#include <memory>

namespace Quib {

const uint16_t* OverWeightTable()
{
    static const std::unique_ptr<uint16_t[]> table = [] {
        // Two spare entries: wide loads read four bytes at an entry.
        auto t = std::make_unique<uint16_t[]>(256 * 256 + 2);
        for (uint32_t a = 0; a < 256; ++a)
            BuildOverWeightTable(a, &t[a << 8]);
        return t;
    }();
    return table.get();
}

} // namespace Quib
