#include "framework/graphics/SurfacePixels.h"

#include "framework/graphics/ImageDisplay.h"

namespace Quib {

SurfaceView MakeSurfaceView(const SurfaceDesc& lockDesc, const ImageDisplay& display)
{
    SurfaceView view;
    static_cast<PixelBuffer&>(view) = PixelBuffer::FromSurface(lockDesc);
    const uint32_t masks[3] = {lockDesc.format.redMask, lockDesc.format.greenMask, lockDesc.format.blueMask};
    const PixelChannel* layout[3] = {&display.layout.red, &display.layout.green, &display.layout.blue};
    const std::vector<int32_t>* clamps[3] = {&display.redClamp, &display.greenClamp, &display.blueClamp};
    for (int c = 0; c < 3; ++c) {
        view.ch[c].mask = masks[c];
        view.ch[c].shift = layout[c]->shift;
        view.ch[c].bits = layout[c]->bits;
        view.ch[c].clamp = clamps[c]->empty() ? nullptr : clamps[c]->data();
    }
    if (view.bits == nullptr || view.ch[0].clamp == nullptr || view.ch[1].clamp == nullptr ||
        view.ch[2].clamp == nullptr)
        view.format.kind = PixelKind::None;
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
