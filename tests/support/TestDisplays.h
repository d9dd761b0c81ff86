#pragma once
#include "framework/app/DDInterface.h"
#include "framework/app/QuibAppBase.h"

#include <cstdint>
#include <memory>
#include <ostream>

namespace Quib::Test {

// The four pixel formats a display can have.
struct DisplayLayoutCase {
    const char* name;
    int bitCount;
    uint32_t redMask;
    uint32_t greenMask;
    uint32_t blueMask;
};

inline constexpr DisplayLayoutCase kDisplayLayouts[] = {
    {"X8R8G8B8", 32, 0x00FF0000, 0x0000FF00, 0x000000FF},
    {"X8B8G8R8", 32, 0x000000FF, 0x0000FF00, 0x00FF0000},
    {"R5G6B5", 16, 0xF800, 0x07E0, 0x001F},
    {"X1R5G5B5", 16, 0x7C00, 0x03E0, 0x001F},
};

inline std::ostream& operator<<(std::ostream& out, const DisplayLayoutCase& c)
{
    return out << c.name;
}

// Gives the application a display in the given layout.
inline DDInterface& MakeTestDisplay(QuibAppBase& app, const DisplayLayoutCase& c)
{
    app.display = std::make_unique<DDInterface>(&app);
    app.display->SetPixelFormat(c.bitCount, c.redMask, c.greenMask, c.blueMask);
    return *app.display;
}

} // namespace Quib::Test
