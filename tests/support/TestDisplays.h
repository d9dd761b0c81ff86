#pragma once
#include "framework/app/DDInterface.h"
#include "framework/app/QuibAppBase.h"
#include "tests/support/SurfaceReference.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

namespace Quib::Testing {

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

// A test run once per display layout, the application's display in it:
// INSTANTIATE_TEST_SUITE_P(Displays, Suite, ::testing::ValuesIn(kDisplayLayouts), DisplayLayoutName).
class DisplayLayoutTest : public ::testing::TestWithParam<DisplayLayoutCase> {
protected:
    void SetUp() override { MakeTestDisplay(app, GetParam()); }

    bool Wide() const { return GetParam().bitCount == 32; }
    uint32_t ChannelBits() const { return GetParam().redMask | GetParam().greenMask | GetParam().blueMask; }
    SurfaceLayout RefLayout() const
    {
        const DisplayLayoutCase& c = GetParam();
        return SurfaceLayout(c.bitCount, c.redMask, c.greenMask, c.blueMask);
    }
    // An opaque ARGB word as a surface value.
    uint32_t OnSurface(uint32_t argb) const { return RefLayout().DisplayCopy(argb | 0xFF000000) & 0xFFFFFF; }

    QuibAppBase app;
};

inline std::string DisplayLayoutName(const ::testing::TestParamInfo<DisplayLayoutCase>& info)
{
    return info.param.name;
}

} // namespace Quib::Testing
