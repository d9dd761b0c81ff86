#pragma once
// What the particle tests share: the process log caught as debugger
// output, effect files in a scratch working directory.
#include "platform/headless/CapturingSink.h"
#include "src/particles/ParticleParams.h"
#include "tests/support/TempDir.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace Quib::Testing {

// The process log, opened once for the test program, with its entries
// caught for one test.
class LogCapture {
public:
    LogCapture();
    // Entries that hold the text.
    int Count(std::string_view text) const;
    bool Contains(std::string_view text) const { return Count(text) > 0; }
    std::string All() const;

private:
    CapturingSink mSink;
};

// A scratch folder made the working directory, with effect files in it:
// data\particles\<name> for the own kind and res\<file>.ptc for the
// emitter library. LoadParticleFiles runs when asked and
// UnloadParticleFiles at the end.
class ParticleFolder {
public:
    ParticleFolder();
    ~ParticleFolder();

    void OwnEffect(const std::string& name, const ParticleParams& params);
    void OwnEffectBytes(const std::string& name, std::string_view bytes);
    void PtcFile(const std::string& fileName, std::string_view text);
    void Load();
    const TempDir& Dir() const { return mDir; }

private:
    TempDir mDir;
    std::unique_ptr<ScopedWorkingDirectory> mCwd;
};

// A .ptc text: the header line, then the given lines.
std::string Ptc(std::string_view body);

// One emitter with one particle type, the given settings inside it; a
// texture "dot" (shape dot, size 8) is declared first.
std::string OneEmitter(std::string_view name, std::string_view typeSettings, std::string_view emitterSettings = "");

} // namespace Quib::Testing
