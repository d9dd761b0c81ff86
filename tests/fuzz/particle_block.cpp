// Reads any bytes as an own-kind particle effect file: the 128-byte block
// must read back as the bytes given, and the effect must run and draw
// within its limits whatever the numbers hold.
#include "FuzzSupport.h"
#include "framework/files/Random.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "src/particles/Particles.h"

#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Quib;
    // The block as read writes back as the bytes it was read from.
    const ParticleParams block = ParticleParams::Read(data, size);
    uint8_t back[ParticleParams::kSize];
    block.Write(back);
    if (size && std::memcmp(back, data, size < sizeof back ? size : sizeof back) != 0)
        Fuzz::Fail("the block does not write back as read");

    Fuzz::FuzzPak pak({{"data\\particles\\fuzz", std::string(Fuzz::Text(data, size)), {}}});
    static MemoryImage* sheet = [] {
        auto* image = new MemoryImage(nullptr);
        std::vector<uint32_t> px(32 * 32, 0x80FFFFFF);
        image->AssignPixels(px.data(), 32, 32, true);
        image->rows = 2;
        image->cols = 2;
        image->animation = std::make_unique<ImageAnimation>();
        return image;
    }();
    // The last byte picks how the sheet animates.
    sheet->animation->type = size ? data[size - 1] % 4 : 0;
    sheet->animation->frameDelay = size > 1 ? int8_t(data[size - 2]) : 0;
    Particles::SetSpriteSheet(sheet);

    Particles effect("fuzz");
    if (!effect.IsLoaded())
        Fuzz::Fail("the effect file was not read");
    MemoryImage dest(nullptr);
    std::vector<uint32_t> px(24 * 24, 0xFF000000);
    dest.AssignPixels(px.data(), 24, 24, true);
    Graphics g(&dest);
    g.smooth = true;
    Quib::srand(1);
    effect.StartAt({12.0f, 12.0f});
    for (int i = 0; i < 16; ++i) {
        effect.Update(0.01f);
        if (i == 8)
            effect.MoveTo({20.0f, 4.0f}, false);
        if (i == 12)
            effect.MoveTo({4.0f, 20.0f}, true);
        if (effect.LiveCount() > Particles::kMaxLiveParticles || effect.LiveCount() < 0)
            Fuzz::Fail("live particles out of bounds");
    }
    effect.Draw(&g);
    if (g.drawMode != DRAWMODE_NORMAL || g.colorizeImages)
        Fuzz::Fail("drawing left its state behind");
    effect.Stop();
    effect.Update(1e30f);
    Particles::SetSpriteSheet(nullptr);
    return 0;
}
