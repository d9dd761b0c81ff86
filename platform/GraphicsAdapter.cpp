#include "platform/GraphicsAdapter.h"

namespace Quib {

std::array<uint8_t, 16> IdentityGuid(std::string_view text)
{
    std::array<uint8_t, 16> guid{};
    uint64_t seeds[2] = {0xcbf29ce484222325ull, 0x84222325cbf29ce4ull};
    for (int half = 0; half < 2; ++half) {
        uint64_t h = seeds[half];
        for (unsigned char c : text) {
            h ^= c;
            h *= 0x100000001b3ull;
        }
        for (int i = 0; i < 8; ++i)
            guid[size_t(half * 8 + i)] = uint8_t(h >> (8 * i));
    }
    return guid;
}

} // namespace Quib
