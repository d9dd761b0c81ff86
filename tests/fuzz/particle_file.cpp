// Reads any bytes as an emitter library file (.ptc) from a pak archive.
// When the file is accepted, every emitter is loaded, run, read particle by
// particle and given its pictures; nothing may break the library's promises.
#include "FuzzSupport.h"
#include "src/particles/EmitterFile.h"
#include "src/particles/Particles2_TextureManager.h"
#include "src/particles/PtcLibrary.h"
#include "src/particles/PtcModel.h"

#include <vector>

namespace {

using namespace Quib;

void Exercise(PtcEmitter e, Particles2_TextureManager& textures)
{
    const int types = PtcGetParticlesTypeCount(e);
    if (types <= 0 || types > Ptc::kMaxTypes)
        Fuzz::Fail("particle type count out of range");
    PtcSetLoopMode(e, PTC_LOOP_FOREVER);
    for (int i = 0; i < 8; ++i)
        PtcUpdate(e, i == 3 ? 250.0 : 16.0);
    if (PtcGetParticleCount(e) > types * Ptc::kMaxParticles)
        Fuzz::Fail("more particles than the limits allow");
    std::vector<PtcTexture> frames;
    for (int t = 0; t < types; ++t) {
        if (PtcLockParticlesType(e, t) != PTC_SUCCESS)
            Fuzz::Fail("a type could not be locked");
        const int count = PtcGetTextureCount();
        frames.resize(size_t(count));
        for (int i = 0; i < count; ++i) {
            if (PtcGetTexture(i, &frames[size_t(i)]) != PTC_SUCCESS)
                Fuzz::Fail("a listed texture frame could not be read");
            const PtcTexture& f = frames[size_t(i)];
            if (!f.data || f.frameWidth <= 0 || f.frameHeight <= 0 || f.frameWidth > f.textureWidth ||
                int(float(f.textureWidth) * f.left) + f.frameWidth > f.textureWidth)
                Fuzz::Fail("a texture frame outside its texture");
        }
        int id = textures.Find(frames.data(), count);
        if (!id)
            id = textures.Create(frames.data(), count);
        if ((id != 0) != (count != 0))
            Fuzz::Fail("frames without a picture");
        while (PtcParticle* p = PtcGetNextParticle()) {
            if (p->frame < 0 || p->frame >= (count ? count : 1))
                Fuzz::Fail("a particle frame outside the texture");
            PtcMoveParticle(1.0f, -1.0f);
        }
        PtcUnlockParticlesType();
    }
    PtcSetInterrupt(e, true);
    PtcSetPosition(e, 120000.0);
    PtcUpdate(e, 1e12);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Quib;
    Fuzz::FuzzPak pak({{"res\\fuzz.ptc", std::string(Fuzz::Text(data, size)), {}}});
    PtcFile file = 0;
    if (PtcOpenFile("res\\fuzz.ptc", &file) != PTC_SUCCESS) {
        if (file != 0)
            Fuzz::Fail("a refused file has a handle");
        return 0;
    }
    Particles2_TextureManager textures;
    {
        EmitterFile emitters(file, "res\\fuzz.ptc");
        int run = 0;
        for (const auto& group : emitters.groups)
            for (PtcEmitter e : group->emitters)
                if (run++ < 6) {
                    const PtcEmitter copy = PtcDuplicateEmitter(e);
                    Exercise(copy, textures);
                    PtcUnloadEmitter(copy);
                }
    }
    if (PtcIsLocked())
        Fuzz::Fail("a particle type was left locked");
    return 0;
}
