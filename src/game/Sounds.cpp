#include "src/game/Sounds.h"

#include "framework/files/IniFile.h"
#include "framework/files/ProcessLog.h"
#include "framework/files/Random.h"
#include "framework/files/StringUtils.h"
#include "framework/sound/SoundInstance.h"
#include "framework/sound/SoundManager.h"
#include "src/game/GameShellHost.h"

namespace Quib {

namespace {

constexpr const char* kSection = "sounds";

} // namespace

Sounds& Sounds::Instance()
{
    static Sounds table;
    return table;
}

void Sounds::LoadIni()
{
    mDefinitions.Clear();
    LoadIniFile(mDefinitions, "res\\sounds.ini");
}

const std::vector<int32_t>* Sounds::LoadedIds(const std::string& name) const
{
    auto found = mLoaded.find(name);
    return found == mLoaded.end() ? nullptr : &found->second;
}

int Sounds::Load(const std::string& name)
{
    const IniSection* section = mDefinitions.FindSectionRecord(kSection);
    const IniEntry* key = section ? section->FindKey(name) : nullptr;
    if (!key) {
        QUIB_LOG_ERROR("Sound \"%s\" not found in sounds.ini [\"sounds\"]", name);
        return -1;
    }
    std::vector<int32_t>& ids = mLoaded[name];
    std::vector<std::string> files;
    SplitCommaTrimmed(key->value, files);
    SoundManager* manager = GetGameShellHost().GetSoundManager();
    for (const std::string& file : files) {
        if (file.empty())
            continue;
        const int id = manager ? manager->FindOrLoadSound("data\\sound\\" + file) : -1;
        if (id == -1) {
            QUIB_LOG_ERROR("Can't load sound \"%s\", declared in sounds.ini (name=\"%s\")", file, name);
            return -1;
        }
        ids.push_back(id);
        ProcessLog::GetInstance()->LogInfo("Loaded sound: \"%s\" (name=\"%s\")", file, name);
    }
    if (ids.empty()) {
        QUIB_LOG_ERROR("Empty sound list for \"%s\" in sounds.ini [\"sounds\"]", name);
        return -1;
    }
    return ids[size_t(Quib::rand()) % ids.size()];
}

void Sounds::Preload(const std::string& name)
{
    if (!IsLoaded(name))
        Load(name);
}

SoundInstance* Sounds::Play(const std::string& name, bool autoRelease, bool looping, bool force, double volume,
                            double pan)
{
    if (volume == 0.0 && !force)
        return nullptr;
    int id;
    auto found = mLoaded.find(name);
    if (found == mLoaded.end())
        id = Load(name);
    else if (found->second.empty())
        return nullptr;
    else
        id = found->second[size_t(Quib::rand()) % found->second.size()];
    if (id == -1)
        return nullptr;
    SoundManager* manager = GetGameShellHost().GetSoundManager();
    SoundInstance* instance = manager ? manager->GetSoundInstance(unsigned(id)) : nullptr;
    if (!instance) {
        QUIB_LOG_ERROR("Sound not found: tag=\"%s\"", name);
        return nullptr;
    }
    instance->SetPan(int(pan * 10000));
    if (volume != -1.0)
        instance->SetVolume(volume);
    instance->Play(looping, autoRelease);
    return instance;
}

void Sounds::UnloadAll()
{
    SoundManager* manager = GetGameShellHost().GetSoundManager();
    if (manager)
        for (const auto& [name, ids] : mLoaded)
            for (int32_t id : ids)
                manager->ReleaseSound(unsigned(id));
    mLoaded.clear();
}

void PlaySoundEffect(const std::string& name)
{
    Sounds::Instance().Play(name, true, false, false, GetGameShellHost().GetSfxVolume(), 0.0);
}

void PlayUiSound(int type)
{
    static const char* const kNames[] = {"buttonPress",   "buttonEnter", "pause",  "pause",
                                         "buttonPress",   nullptr,       nullptr,  "KeyPick",
                                         "KeyPlaceRight", "KeyPlace",    "SpyMove"};
    if (type < 0 || type >= int(std::size(kNames)) || !kNames[type])
        return;
    PlaySoundEffect(kNames[type]);
}

} // namespace Quib
