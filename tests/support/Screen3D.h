#pragma once
// A display whose screen image is the render target of the 3-D drawing
// (3-D on) or a plain display surface drawn by the software blitters (3-D
// off), for tests that draw whole scenes both ways.

#include "framework/app/D3DInterfaceImpl.h"
#include "framework/app/DDInterface.h"
#include "framework/app/QuibAppBase.h"
#include "framework/graphics/DDImage.h"
#include "tests/support/TestDisplays.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace Quib::Testing {

struct TestScreen {
    QuibAppBase app;
    DDInterface& display;
    D3DInterfaceImpl d3d;
    DDImage screen;

    TestScreen(const DisplayLayoutCase& layout, int width, int height, bool threeD,
               D3DInterfaceImpl::DeviceFactory factory = {})
        : display(MakeTestDisplay(app, layout)), d3d(&display), screen(&display)
    {
        screen.Resize(width, height);
        EXPECT_TRUE(screen.CreateSurface());
        // As the display marks its screen: opaque, never scanned.
        screen.ForceTransparencyFlags(false, false);
        d3d.deviceFactory = std::move(factory);
        if (threeD) {
            display.is3D = true;
            display.drawSurface = screen.surface;
            display.d3d = &d3d;
            EXPECT_TRUE(d3d.Init(screen.surface));
        }
    }
    ~TestScreen()
    {
        d3d.Cleanup();
        display.d3d = nullptr;
        display.drawSurface = nullptr;
        display.is3D = false;
    }
    TestScreen(const TestScreen&) = delete;
    TestScreen& operator=(const TestScreen&) = delete;

    int Width() const { return screen.width; }
    int Height() const { return screen.height; }

    // The picture as opaque 0xFFRRGGBB words, each channel's bits moved to
    // the top of its byte. Ends the frame's scene first.
    std::vector<uint32_t> Picture()
    {
        const size_t n = size_t(screen.width) * size_t(screen.height);
        std::vector<uint32_t> out(n);
        if (!display.is3D) {
            EXPECT_TRUE(screen.ReadPictureInto(out.data()));
            for (uint32_t& v : out)
                v |= 0xFF000000u;
            return out;
        }
        d3d.EndDraw();
        const PixelFormat& f = display.layout;
        const auto channel = [](uint32_t v, const PixelChannel& c) {
            return ((v & c.mask) >> c.shift) << (8 - c.bits);
        };
        for (int y = 0; y < screen.height; ++y)
            for (int x = 0; x < screen.width; ++x) {
                const uint32_t v = screen.surface->PixelAt(uint32_t(x), uint32_t(y));
                out[size_t(y) * size_t(screen.width) + size_t(x)] = 0xFF000000u | (channel(v, f.red) << 16) |
                                                                    (channel(v, f.green) << 8) | channel(v, f.blue);
            }
        return out;
    }
};

} // namespace Quib::Testing
