#include "src/particles/EmitterFile.h"

#include "framework/files/PakInterface.h"
#include "src/particles/Particles2_TextureManager.h"

#include <algorithm>

namespace Quib {

namespace {

// Both live until UnloadParticleFiles, which the game calls at shut-down;
// they are not destroyed at exit, when the images' registry may be gone.
std::vector<std::unique_ptr<EmitterFile>>& Files()
{
    static auto* files = new std::vector<std::unique_ptr<EmitterFile>>;
    return *files;
}

std::unique_ptr<Particles2_TextureManager>& Textures()
{
    static auto* textures = new std::unique_ptr<Particles2_TextureManager>;
    return *textures;
}

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

} // namespace

EmitterFile::EmitterFile(PtcFile handle, std::string name) : mHandle(handle), mName(std::move(name))
{
    PtcFindData find;
    for (const char* entry = PtcFindFirst(mHandle, &find, PTC_FOLDER | PTC_EMITTER); entry;
         entry = PtcFindNext(mHandle, &find)) {
        auto group = std::make_unique<EmitterGroup>();
        if (find.type & PTC_EMITTER) {
            PtcEmitter emitter = 0;
            if (PtcLoadEmitter(mHandle, entry, &emitter) == PTC_SUCCESS)
                group->emitters.push_back(emitter);
        } else {
            if (PtcSetCurrentFolder(mHandle, entry) == PTC_SUCCESS) {
                ScanFolder(*group);
                PtcSetCurrentFolder(mHandle, "..");
            }
            if (group->emitters.empty())
                continue;
        }
        groups.push_back(std::move(group));
    }
}

void EmitterFile::ScanFolder(EmitterGroup& group)
{
    PtcFindData find;
    for (const char* entry = PtcFindFirst(mHandle, &find, PTC_FOLDER | PTC_EMITTER); entry;
         entry = PtcFindNext(mHandle, &find)) {
        if (find.type & PTC_EMITTER) {
            PtcEmitter emitter = 0;
            if (PtcLoadEmitter(mHandle, entry, &emitter) == PTC_SUCCESS)
                group.emitters.push_back(emitter);
        } else if (PtcSetCurrentFolder(mHandle, entry) == PTC_SUCCESS) {
            ScanFolder(group);
            PtcSetCurrentFolder(mHandle, "..");
        }
    }
}

EmitterFile::~EmitterFile()
{
    groups.clear();
    if (mHandle)
        PtcCloseFile(mHandle);
}

void LoadParticleFiles()
{
    UnloadParticleFiles();
    Textures() = std::make_unique<Particles2_TextureManager>();
    std::vector<std::string> names;
    PakFindData data;
    PakFindHandle search = PakFindFirstFile("res\\*.ptc", &data);
    if (search) {
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.emplace_back(data.cFileName);
        } while (PakFindNextFile(search, &data));
        PakFindClose(search);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string la = Lower(a), lb = Lower(b);
        return la != lb ? la < lb : a < b;
    });
    names.erase(std::unique(names.begin(), names.end()), names.end());
    for (const std::string& name : names) {
        const std::string path = "res\\" + name;
        PtcFile handle = 0;
        if (PtcOpenFile(path, &handle) == PTC_SUCCESS)
            Files().push_back(std::make_unique<EmitterFile>(handle, path));
    }
}

void UnloadParticleFiles()
{
    Textures().reset();
    Files().clear();
}

const std::vector<std::unique_ptr<EmitterFile>>& EmitterFiles()
{
    return Files();
}

Particles2_TextureManager* ParticleTextures()
{
    return Textures().get();
}

} // namespace Quib
