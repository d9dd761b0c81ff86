#include "tests/game/ParticleTestSupport.h"

#include "framework/files/ProcessLog.h"
#include "src/particles/EmitterFile.h"

namespace Quib::Testing {

LogCapture::LogCapture()
{
    // Opened each time: a test may have destroyed the singletons, the log
    // among them, and entries reach the sink only from an open log.
    static TempDir* dir = new TempDir;
    ProcessLog::GetInstance()->Open(*dir / "log.html");
}

int LogCapture::Count(std::string_view text) const
{
    int n = 0;
    for (const std::string& line : mSink.debugLines)
        n += line.find(text) != std::string::npos;
    return n;
}

std::string LogCapture::All() const
{
    std::string all;
    for (const std::string& line : mSink.debugLines)
        all += line;
    return all;
}

ParticleFolder::ParticleFolder() : mCwd(std::make_unique<ScopedWorkingDirectory>(mDir.Path())) {}

ParticleFolder::~ParticleFolder()
{
    UnloadParticleFiles();
    mCwd.reset();
}

void ParticleFolder::OwnEffect(const std::string& name, const ParticleParams& params)
{
    uint8_t bytes[ParticleParams::kSize];
    params.Write(bytes);
    OwnEffectBytes(name, std::string_view(reinterpret_cast<const char*>(bytes), sizeof bytes));
}

void ParticleFolder::OwnEffectBytes(const std::string& name, std::string_view bytes)
{
    mDir.WriteFile("data/particles/" + name, bytes);
}

void ParticleFolder::PtcFile(const std::string& fileName, std::string_view text)
{
    mDir.WriteFile("res/" + fileName, text);
}

void ParticleFolder::Load()
{
    LoadParticleFiles();
}

std::string Ptc(std::string_view body)
{
    return "ptc 1\n" + std::string(body);
}

std::string OneEmitter(std::string_view name, std::string_view typeSettings, std::string_view emitterSettings)
{
    return Ptc("texture dot\n shape = dot\n size = 8\nend\nemitter " + std::string(name) + "\n" +
               std::string(emitterSettings) + "\n particles p\n  texture = dot\n" + std::string(typeSettings) +
               "\n end\nend\n");
}

} // namespace Quib::Testing
