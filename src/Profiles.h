#pragma once
#include "framework/files/IniDocument.h"
#include "framework/files/ProfAnyVal.h"
#include "framework/files/Singletone.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TiXmlNode;

namespace Quib {

// One registered profile: its file in the profiles folder and its document,
// none until first loaded.
struct ProfileEntry {
    std::string fileName;
    std::unique_ptr<IniDocument> document;
    bool damageReported = false; // the Bad CRC box was shown for it
};

// The answer to a rename.
enum class ProfileRename {
    Renamed,
    NoSuchProfile, // no profile of the old name
    EmptyName,     // the new name is empty
    NameTaken,     // another profile has the new name
    Unreadable,    // the profile's file cannot be read or is damaged
};

// The player profiles: one narrow ini document per player in a file
// "profile<N>.prf" of the profiles folder ([Main] Name = the 16-bit name in
// hexadecimal, [Main] CRC = the check value of the other values), and
// settings.ini in the user data folder naming the current one. Main thread
// only.
class Profiles : public Singletone<Profiles> {
public:
    using Registry = std::map<std::u16string, ProfileEntry>;

    // The registry of the user's folders (UserFolders.h), made on first use.
    static Profiles& Instance();

    // Finds the profiles in the profiles folder, reads the game settings copy
    // and selects the profile that settings.ini names (else the first).
    Profiles(std::u16string userDataFolder, std::u16string profilesFolder,
             const std::string& gameIniPath = "res\\game.ini");
    // Writes every loaded profile and the current profile's name.
    ~Profiles() override;

    // True when a profile is current and its document is loaded (loading it
    // now when needed). A damaged file is reported once and left alone.
    bool LoadCurrent();
    // Writes the current profile's document with a fresh check value; false
    // when nothing was written (no current or loaded profile, or a failure).
    bool SaveCurrent();
    // Makes the profile of that name current (none when there is no such name).
    void SelectProfile(const std::u16string& name);
    // Registers a new profile (not current, written at the next save); false
    // when the name is empty or taken.
    bool AddProfile(const std::u16string& name);
    // Gives a profile a new name and writes it at once.
    ProfileRename RenameProfile(const std::u16string& oldName, const std::u16string& newName);
    // Removes a profile from the registry and deletes its file; false when
    // there is no such profile or its file could not be deleted.
    bool RemoveCachedFile(const std::u16string& name);
    bool HasProfile(const std::u16string& name) const { return mProfiles.count(name) != 0; }
    bool HasNoProfiles() const { return mProfiles.empty(); }
    // The names in registry order.
    std::vector<std::u16string> CopyKeysToVector() const;
    // The current profile's name, empty when none.
    std::u16string CurrentName() const;
    bool HasCurrent() const { return mCurrent != mProfiles.end(); }

    // One value of the current profile (loaded first), falling back to the
    // game settings copy.
    ProfAnyVal MakeAnyVal(const std::string& section, const std::string& key);
    std::string GetString(const std::string& section, const std::string& key);
    void SetString(const std::string& section, const std::string& key, const std::string& value);
    // True and the value when the current profile has the key.
    bool Lookup(const std::string& section, const std::string& key, std::string& value);

    // Frees every document and empties the registry.
    void Clear();

    const Registry& Entries() const { return mProfiles; }
    const IniDocument& GameSettingsCopy() const { return mGameSettings; }

    // The check value of a profile document: every key value in document
    // order but those of keys named CRC, in any letter case.
    static uint16_t CheckValue(const IniDocument& doc);
    // Reads a profile file: its document when it opens and its check value
    // matches; otherwise none, with the reason.
    enum class ReadResult { Ok, Unreadable, BadCrc };
    static ReadResult ReadProfileFile(const std::string& path, std::unique_ptr<IniDocument>& out);
    // The name stored in a profile document, empty when it has none.
    static std::u16string StoredName(IniDocument& doc);

private:
    void PreloadProfiles();
    std::string PathOf(const ProfileEntry& entry) const;
    bool LoadEntry(const std::u16string& name, ProfileEntry& entry);
    bool WriteEntry(ProfileEntry& entry);
    bool FileNameTaken(const std::string& fileName) const;

    std::u16string mUserDataFolder;
    std::u16string mProfilesFolder;
    Registry mProfiles;
    Registry::iterator mCurrent;
    IniDocument mGameSettings;
};

// Reports XML kept in a profile that cannot be read, with the node it
// stopped at when there is one; always false.
bool ReportProfileXmlError(std::string_view message, const TiXmlNode* node);

} // namespace Quib
