#include "src/game/AmbientSet.h"

#include "framework/files/IniData.h"
#include "framework/files/ProcessLog.h"
#include "framework/files/Random.h"
#include "framework/files/StringUtils.h"
#include "framework/sound/SoundInstance.h"
#include "src/game/GameShellHost.h"
#include "src/game/Sounds.h"

#include <list>
#include <memory>
#include <optional>

namespace Quib {

namespace {

struct RegisteredSet {
    std::unique_ptr<AmbientSet> set;
    bool released = false;
};

std::list<RegisteredSet>& Registry()
{
    static std::list<RegisteredSet> registry;
    return registry;
}

std::optional<float>& CachedAmbientMul()
{
    static std::optional<float> mul;
    return mul;
}

// [Game] AmbientMul, read once. Its default of 0 silences every ambient
// sound, which is said once in the log.
float AmbientMul()
{
    std::optional<float>& mul = CachedAmbientMul();
    if (!mul) {
        mul = GetGameShellHost().GetGameIniFloat("AmbientMul", "Game", 0.0f);
        if (*mul == 0.0f)
            QUIB_LOG_ERROR("Ambient sounds are silent: [Game] AmbientMul is 0 or missing in res\\game.ini");
    }
    return *mul;
}

// A fade lasting a random fade value; none or a value of 0 (or less) is
// immediate.
float FadeSpeed(const AmbientRangeList& fade)
{
    const float seconds = RandomAmbientValue(fade);
    return seconds > 0.0f ? 1.0f / seconds : 1000.0f;
}

AmbientRangeList ReadRanges(IniData& ini, const std::string& section, const std::string& key)
{
    std::vector<std::string> values;
    ini.GetValues(values, key, section);
    return values.empty() ? AmbientRangeList() : ParseFloatRanges(JoinStrings(values, ","));
}

} // namespace

float RandomAmbientValue(const AmbientRangeList& ranges)
{
    if (ranges.empty())
        return 0.0f;
    const FloatRange& range = ranges[size_t(Quib::rand()) % ranges.size()];
    return range.min + float(Quib::rand() % 10000) / 10000.0f * (range.max - range.min);
}

AmbientSound::~AmbientSound()
{
    ReleaseInstances();
}

void AmbientSound::ReleaseInstances()
{
    for (auto& [instance, base] : instances) {
        instance->Stop();
        instance->Release();
    }
    instances.clear();
}

float AmbientSound::EffectiveVolume() const
{
    return level * float(GetGameShellHost().GetAmbientVolume()) * AmbientMul();
}

void AmbientSound::ApplyVolume()
{
    const float effective = EffectiveVolume();
    for (auto& [instance, base] : instances)
        instance->SetVolume(base * effective);
}

void AmbientSound::StartFade(float endLevel)
{
    fading = true;
    fadeStartLevel = level;
    fadeEndLevel = endLevel;
    fadeProgress = 0.0f;
    fadeSpeed = FadeSpeed(fade);
}

void AmbientSound::Start()
{
    elapsed = wait = 0.0f;
    active = true;
    finished = false;
    StartFade(1.0f);
    if (loop) {
        if (!instances.empty()) {
            for (auto& [instance, base] : instances)
                if (!instance->IsPlaying())
                    instance->Play(true, false);
        } else {
            const float base = RandomAmbientValue(volume);
            SoundInstance* instance = Sounds::Instance().Play(soundName, false, true, true,
                                                              base * EffectiveVolume(), RandomAmbientValue(pan));
            if (instance)
                instances.emplace_back(instance, base);
        }
    } else {
        wait = RandomAmbientValue(delay);
    }
}

void AmbientSound::Stop()
{
    elapsed = wait = 0.0f;
    if (active) {
        active = false;
        StartFade(0.0f);
    }
}

void AmbientSound::Update(float dt)
{
    if (finished)
        return;
    if (active && !loop) {
        elapsed += dt;
        if (elapsed >= wait) {
            elapsed = 0.0f;
            wait = RandomAmbientValue(pause);
            const float base = RandomAmbientValue(volume);
            SoundInstance* instance = Sounds::Instance().Play(soundName, false, false, fading,
                                                              base * EffectiveVolume(), RandomAmbientValue(pan));
            if (instance)
                instances.emplace_back(instance, base);
        }
    }
    if (!loop) {
        for (size_t i = 0; i < instances.size();) {
            if (instances[i].first->IsPlaying()) {
                ++i;
                continue;
            }
            instances[i].first->Release();
            instances.erase(instances.begin() + std::ptrdiff_t(i));
        }
    }
    if (!fading)
        return;
    fadeProgress += fadeSpeed * dt;
    if (fadeProgress < 1.0f) {
        level = fadeStartLevel + (fadeEndLevel - fadeStartLevel) * fadeProgress;
    } else {
        fadeProgress = 0.0f;
        level = fadeEndLevel;
        fading = false;
        if (fadeEndLevel == 0.0f) {
            if (loop) {
                for (auto& [instance, base] : instances)
                    instance->Stop();
            } else {
                ReleaseInstances();
            }
            finished = true;
        }
    }
    ApplyVolume();
}

void AmbientSet::StartAll()
{
    for (AmbientSound& sound : sounds)
        sound.Start();
}

void AmbientSet::ResetAll()
{
    for (AmbientSound& sound : sounds)
        sound.Stop();
}

void AmbientSet::PreloadAll()
{
    for (AmbientSound& sound : sounds)
        Sounds::Instance().Preload(sound.soundName);
}

bool AmbientSet::AllFinished() const
{
    for (const AmbientSound& sound : sounds)
        if (!sound.finished && (sound.active || sound.fading))
            return false;
    return true;
}

AmbientSet* LoadAmbientSet(const std::string& name)
{
    IniData ini;
    ini.LoadFile("data/ambient/" + name + ".ini");
    std::vector<std::string> sections;
    ini.GetSectionNames(sections);
    auto set = std::make_unique<AmbientSet>();
    set->sounds.reserve(sections.size());
    for (const std::string& section : sections) {
        AmbientSound& sound = set->sounds.emplace_back();
        sound.soundName = section;
        sound.volume = ReadRanges(ini, section, "volume");
        sound.delay = ReadRanges(ini, section, "delay");
        sound.pause = ReadRanges(ini, section, "pause");
        sound.pan = ReadRanges(ini, section, "pan");
        sound.fade = ReadRanges(ini, section, "fade");
        sound.loop = ini.GetString(section, "loop") == "1";
        sound.level = sound.loop ? 0.0f : 1.0f;
    }
    AmbientSet* result = set.get();
    Registry().push_back({std::move(set), false});
    return result;
}

void ReleaseAmbientSet(AmbientSet* set)
{
    for (RegisteredSet& entry : Registry()) {
        if (entry.set.get() != set)
            continue;
        entry.released = true;
        // Nobody can stop them any more: sounds left playing fade out.
        set->ResetAll();
        return;
    }
}

void UpdateAmbientSounds(float elapsed)
{
    std::list<RegisteredSet>& registry = Registry();
    for (auto it = registry.begin(); it != registry.end();) {
        for (AmbientSound& sound : it->set->sounds)
            sound.Update(elapsed);
        if (it->released && it->set->AllFinished())
            it = registry.erase(it);
        else
            ++it;
    }
}

void ApplyAmbientVolume()
{
    for (RegisteredSet& entry : Registry())
        for (AmbientSound& sound : entry.set->sounds)
            sound.ApplyVolume();
}

void DestroyAmbientSetCache()
{
    Registry().clear();
    CachedAmbientMul().reset();
}

size_t AmbientSetCount()
{
    return Registry().size();
}

} // namespace Quib
