#pragma once
#include "src/particles/ParticlesCommon.h"
#include "src/particles/PtcLibrary.h"

#include <string>

namespace Quib {

// One emitter of the emitter library, looked up by name in the open .ptc
// files (EmitterFile.h).
class Particles2 : public ParticlesCommon {
public:
    // Loads the emitter from the first open file, in file-name order, that
    // holds the name. Without one the effect is finished from the start and
    // the name is logged (once per name; every time while no file is open).
    explicit Particles2(const std::string& name);
    // An idle duplicate of the other's emitter.
    Particles2(const Particles2& other);
    ~Particles2() override;

    void StartAt(const TPoint<float>& position) override;
    void Start() override;
    void Stop() override;
    void MoveTo(const TPoint<float>& position, bool follow) override;
    void Rewind(float seconds) override;
    void SetLooping(bool looping) override;
    void Draw(Graphics* g) override;
    void Update(float seconds) override;
    bool IsFinished() override;
    bool IsOwnFormat() override { return false; }

    PtcEmitter Handle() const { return mEmitter; }
    const TPoint<float>& Position() const { return mPosition; }
    bool IsStarted() const { return mStarted; }

private:
    PtcEmitter mEmitter = 0;
    TPoint<float> mPosition;
    bool mFinished = false;
    bool mStarted = false;
};

} // namespace Quib
