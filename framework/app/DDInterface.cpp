#include "framework/app/DDInterface.h"

#include "framework/app/QuibAppBase.h"

#include "platform/MessageSink.h"

#include <bit>

namespace Quib {

std::atomic<bool> gDisplayChannelOrderRGB{false};

namespace {

std::vector<int32_t> MakeClampTable(int bits)
{
    int32_t top = (1 << bits) - 1;
    std::vector<int32_t> table(2 * top + 1);
    for (int32_t i = 0; i < static_cast<int32_t>(table.size()); ++i)
        table[i] = i < top ? i : top;
    return table;
}

} // namespace

DDInterface::DDInterface(QuibAppBase* owner) : app(owner) {}

DDInterface::~DDInterface() = default;

ImageRegistry* DDInterface::Registry() const
{
    return app;
}

namespace {

// A channel the drawing code can handle: one run of 1 to 8 bits inside the
// colour part of the pixel (below the alpha byte of 32-bit words).
bool UsableMask(uint32_t mask, uint32_t room)
{
    if (mask == 0 || (mask & ~room) != 0)
        return false;
    const uint32_t run = mask >> std::countr_zero(mask);
    return (run & (run + 1)) == 0 && run <= 0xFF;
}

} // namespace

bool DDInterface::SetPixelFormat(int bitCount, uint32_t redMask, uint32_t greenMask, uint32_t blueMask)
{
    const uint32_t room = bitCount == 16 ? 0xFFFFu : 0xFFFFFFu;
    if ((bitCount != 16 && bitCount != 32) || !UsableMask(redMask, room) || !UsableMask(greenMask, room) ||
        !UsableMask(blueMask, room) || (redMask & greenMask) || (redMask & blueMask) || (greenMask & blueMask)) {
        OutputDebugString("DDInterface: unsupported pixel format\n");
        return false;
    }
    layout = PixelFormat::FromMasks(bitCount, redMask, greenMask, blueMask);
    redClamp = MakeClampTable(layout.red.bits);
    greenClamp = MakeClampTable(layout.green.bits);
    blueClamp = MakeClampTable(layout.blue.bits);
    gDisplayChannelOrderRGB = layout.RedAboveGreenAboveBlue();
    return true;
}

SurfacePixelFormat DDInterface::SurfaceFormat() const
{
    SurfacePixelFormat format;
    format.bitCount = uint32_t(layout.bitCount);
    format.redMask = layout.red.mask;
    format.greenMask = layout.green.mask;
    format.blueMask = layout.blue.mask;
    format.alphaMask = 0;
    return format;
}

HRESULT DDInterface::CreateSurface(const SurfaceDesc& desc, DisplaySurface** out)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    *out = nullptr;
    std::lock_guard lock(critSect);
    if (layout.bitCount != 16 && layout.bitCount != 32)
        return DDERR_INVALIDPIXELFORMAT;
    HRESULT hr = DisplaySurface::Create(desc, SurfaceFormat(), out);
    if (Succeeded(hr))
        gDisplayChannelOrderRGB = layout.RedAboveGreenAboveBlue();
    return hr;
}

} // namespace Quib
