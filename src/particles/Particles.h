#pragma once
#include "src/particles/ParticleParams.h"
#include "src/particles/ParticlesCommon.h"

#include <cstdint>
#include <string>

namespace Quib {

class Image;
struct Particle;

// The program's own point emitter: a parameter block read from
// data\particles\<name>, particles drawn as cels of the shared particle
// sprite sheet.
class Particles : public ParticlesCommon {
public:
    // The clock's two special values.
    static constexpr float kIdle = -2.0f;
    static constexpr float kEndless = -1.0f;
    // Live particles one effect may hold; emission pauses at the limit.
    static constexpr int32_t kMaxLiveParticles = 10000;

    // Reads data\particles\<name>; IsLoaded tells whether the file opened.
    explicit Particles(const std::string& name);
    // An idle copy: same block, sheet and loaded flag; no particles.
    Particles(const Particles& other);
    ~Particles() override;

    void StartAt(const TPoint<float>& position) override;
    void Start() override;
    void Stop() override;
    void MoveTo(const TPoint<float>& position, bool follow) override;
    void Rewind(float) override {}
    void SetLooping(bool) override {}
    void Draw(Graphics* g) override;
    void Update(float seconds) override;
    bool IsFinished() override;
    bool IsOwnFormat() override { return true; }

    bool IsLoaded() const { return mLoaded; }
    const ParticleParams& Params() const { return mParams; }
    int32_t LiveCount() const { return mLiveCount; }
    float Clock() const { return mClock; }
    const Particle* FirstParticle() const { return mFirst; }

    // The sprite sheet every own-kind effect constructed afterwards draws
    // with (the picture bound to IMAGE_PARTS); not owned.
    static void SetSpriteSheet(Image* sheet);
    static Image* SpriteSheet();

private:
    void EmitOne();
    void Unlink(Particle* p);
    void ReleaseAll();

    Particle* mFirst = nullptr;
    Particle* mLast = nullptr;
    ParticleParams mParams;
    Image* mSheet = nullptr;
    bool mAnimated = false;
    float mClock = kIdle;
    float mCarry = 0.0f;
    TPoint<float> mPrevPos;
    TPoint<float> mCurPos;
    int32_t mLiveCount = 0;
    bool mStopped = false;
    bool mLoaded = false;
};

} // namespace Quib
