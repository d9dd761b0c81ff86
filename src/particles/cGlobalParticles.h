#pragma once
#include "framework/widgets/Widget.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Quib {

class ParticlesCommon;
class ParticlesRef;

// The process-wide, full-window widget that runs free-running particle
// effects: effects are made by name from templates (read once per name) and
// advanced by 0.01 s per update frame until they end. Main thread only.
class cGlobalParticles : public Widget {
public:
    // The one instance, made on first use (at static initialisation, see
    // gGlobalParticles) and destroyed at exit.
    static cGlobalParticles* Instance();
    ~cGlobalParticles() override;

    // A new, idle copy of the named effect and the holder's handle on it;
    // the effect starts with ParticlesRef::Emit. Null when no effect can
    // be made of the name.
    std::unique_ptr<ParticlesRef> NewEffect(const std::string& name, bool deleteWithEffect);

    // Advances every effect (but the paused ones) from the last to the
    // first; ended effects are removed and their handles emptied.
    void Update() override;
    // Draws every running effect whose handle is not hidden, first to last.
    void Draw(Graphics& g) override;

    // Removes every effect (their handles are emptied).
    void ClearEffects();
    void ClearTemplates();

    size_t EffectCount() const { return mEntries.size(); }
    size_t TemplateCount() const { return mTemplates.size(); }
    // The effect of an entry (in start order) and its handle, for checks.
    ParticlesCommon* EffectAt(size_t i) const { return mEntries[i].effect.get(); }
    const ParticlesRef* RefAt(size_t i) const { return mEntries[i].ref; }

private:
    friend class ParticlesRef;

    struct Entry {
        ParticlesRef* ref = nullptr; // the holder's; null once it let go
        std::unique_ptr<ParticlesCommon> effect;
    };

    cGlobalParticles();
    // The handle is going: its entry runs on without it.
    void ForgetRef(ParticlesRef* ref);
    void Release(Entry& entry);

    std::vector<Entry> mEntries;
    std::map<std::string, std::unique_ptr<ParticlesCommon>> mTemplates;
};

// The instance, set at static initialisation; null once it is destroyed.
extern cGlobalParticles* gGlobalParticles;

} // namespace Quib
