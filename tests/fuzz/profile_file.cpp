// Any bytes as a player's profile file: the registry starts over it, a
// profile that loads is saved and must load again to the same values, and
// one that does not load is never written.
#include "FuzzSupport.h"
#include "platform/FileNames.h"
#include "platform/TextCodecs.h"
#include "platform/headless/CapturingSink.h"
#include "src/Profiles.h"

#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace Quib;

using Keys = std::vector<std::tuple<std::string, std::string, std::string>>;

Keys KeysOf(IniDocument& doc)
{
    Keys keys;
    for (auto it = IniIterator::BeginMasked(doc, INI_KEY); it != IniDocument::End(); it.Advance())
        keys.emplace_back(doc.SectionAt(it.SectionIndex())->name, it.Name(), it.Value());
    return keys;
}

std::string ReadBack(const std::string& path)
{
    std::string bytes;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            bytes.append(buffer, n);
        std::fclose(file);
    }
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Fuzz::ScratchFolder user;
    static CapturingSink quiet; // damaged profiles are reported; nobody needs to see it
    quiet.debugLines.clear();
    quiet.boxes.clear();
    user.Clear();
    std::filesystem::create_directory(user.Path() + "/profiles");
    const std::string bytes(Fuzz::Text(data, size));
    user.Write("profiles/profile0.prf", bytes);
    ClearDirectoryCache();

    const std::u16string folder = Utf8ToUtf16(user.Path());
    const std::u16string profilesFolder = folder + u"\\profiles\\";
    Keys saved;
    std::u16string name;
    {
        Profiles profiles(folder, profilesFolder, "res\\none.ini");
        if (!profiles.HasCurrent())
            return 0;
        name = profiles.CurrentName();
        if (!profiles.LoadCurrent()) {
            // Damaged: reported, and left as it is even at exit.
            if (quiet.boxes.size() != 1)
                Fuzz::Fail("a damaged profile was not reported once");
            profiles.LoadCurrent();
            if (quiet.boxes.size() != 1)
                Fuzz::Fail("a damaged profile was reported again");
            name.clear();
        } else {
            if (!profiles.SaveCurrent())
                Fuzz::Fail("a loaded profile was not saved");
            saved = KeysOf(*profiles.Entries().at(name).document);
        }
    }
    if (name.empty()) {
        if (ReadBack(user.Path() + "/profiles/profile0.prf") != bytes)
            Fuzz::Fail("a damaged profile was written");
        return 0;
    }
    // What the game wrote, it reads.
    ClearDirectoryCache();
    Profiles again(folder, profilesFolder, "res\\none.ini");
    if (again.CurrentName() != name)
        Fuzz::Fail("settings.ini did not select the saved profile");
    if (!again.LoadCurrent())
        Fuzz::Fail("a profile the game wrote does not load");
    if (KeysOf(*again.Entries().at(name).document) != saved)
        Fuzz::Fail("a saved profile read back differently");
    return 0;
}
