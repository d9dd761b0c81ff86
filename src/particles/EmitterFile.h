#pragma once
#include "src/particles/EmitterGroup.h"
#include "src/particles/PtcLibrary.h"

#include <memory>
#include <string>
#include <vector>

namespace Quib {

class Particles2_TextureManager;

// One open .ptc file and the groups of emitters found in it.
class EmitterFile {
public:
    // Takes over the open file and scans it.
    EmitterFile(PtcFile handle, std::string name);
    EmitterFile(const EmitterFile&) = delete;
    EmitterFile& operator=(const EmitterFile&) = delete;
    // Closes the file and deletes the groups.
    ~EmitterFile();

    PtcFile Handle() const { return mHandle; }
    const std::string& Name() const { return mName; }
    int GroupCount() const { return int(groups.size()); }

    std::vector<std::unique_ptr<EmitterGroup>> groups;

private:
    // Every emitter of the current folder and its sub-folders into the group.
    void ScanFolder(EmitterGroup& group);

    PtcFile mHandle;
    std::string mName;
};

// Opens every res\*.ptc file, in file-name order (letter case aside), and
// makes the texture manager. Files that cannot be read are skipped (and
// logged). A second call starts over.
void LoadParticleFiles();
// Deletes the texture manager and closes every file.
void UnloadParticleFiles();
// The open files, in the order emitters are looked up.
const std::vector<std::unique_ptr<EmitterFile>>& EmitterFiles();
// The texture manager; null outside LoadParticleFiles / UnloadParticleFiles.
Particles2_TextureManager* ParticleTextures();

} // namespace Quib
