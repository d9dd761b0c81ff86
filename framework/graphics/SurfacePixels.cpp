#include "framework/graphics/SurfacePixels.h"

#include "framework/graphics/ImageDisplay.h"

namespace Quib {

SurfaceKind SurfaceKindOf(int bitCount, uint32_t redMask, uint32_t greenMask, uint32_t blueMask)
{
    if (bitCount == 32)
        return redMask == 0xFF0000 && greenMask == 0xFF00 && blueMask == 0xFF ? SurfaceKind::Rgb32
                                                                              : SurfaceKind::Other32;
    if (bitCount == 16) {
        if (redMask == 0xF800 && greenMask == 0x07E0 && blueMask == 0x001F)
            return SurfaceKind::R5G6B5;
        if (redMask == 0x7C00 && greenMask == 0x03E0 && blueMask == 0x001F)
            return SurfaceKind::X1R5G5B5;
        return SurfaceKind::Other16;
    }
    return SurfaceKind::None;
}

SurfaceView MakeSurfaceView(const SurfaceDesc& lockDesc, const ImageDisplay& display)
{
    SurfaceView view;
    view.bits = static_cast<uint8_t*>(lockDesc.bits);
    view.pitch = lockDesc.pitch;
    view.width = int(lockDesc.width);
    view.height = int(lockDesc.height);
    view.bitCount = int(lockDesc.format.bitCount);
    const uint32_t masks[3] = {lockDesc.format.redMask, lockDesc.format.greenMask, lockDesc.format.blueMask};
    const ChannelLayout* layout[3] = {&display.layout.red, &display.layout.green, &display.layout.blue};
    const std::vector<int32_t>* clamps[3] = {&display.redClamp, &display.greenClamp, &display.blueClamp};
    for (int c = 0; c < 3; ++c) {
        view.ch[c].mask = masks[c];
        view.ch[c].shift = layout[c]->shift;
        view.ch[c].bits = layout[c]->bits;
        view.ch[c].clamp = clamps[c]->empty() ? nullptr : clamps[c]->data();
    }
    view.kind = SurfaceKindOf(view.bitCount, masks[0], masks[1], masks[2]);
    if (view.bits == nullptr || view.ch[0].clamp == nullptr || view.ch[1].clamp == nullptr ||
        view.ch[2].clamp == nullptr)
        view.kind = SurfaceKind::None;
    return view;
}

uint32_t ArgbToSurfacePixel(uint32_t argb, const SurfaceView& view)
{
    static constexpr int kPosition[3] = {16, 8, 0};
    uint32_t out = 0;
    for (int c = 0; c < 3; ++c) {
        const SurfaceChannel& ch = view.ch[c];
        out |= ((argb >> (kPosition[c] + 8 - ch.bits)) << ch.shift) & ch.mask;
    }
    return out;
}

uint32_t SurfacePixelToArgb(uint32_t value, const SurfaceView& view)
{
    static constexpr int kPosition[3] = {16, 8, 0};
    uint32_t out = 0xFF000000;
    for (int c = 0; c < 3; ++c) {
        const SurfaceChannel& ch = view.ch[c];
        out |= (((value & ch.mask) >> ch.shift) << (8 - ch.bits)) << kPosition[c];
    }
    return out;
}

} // namespace Quib
