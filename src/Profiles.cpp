#include "src/Profiles.h"

#include "framework/files/IniFile.h"
#include "framework/files/PathUtils.h"
#include "framework/files/PrintfFormat.h"
#include "framework/files/ProcessLog.h"
#include "framework/files/StringUtils.h"
#include "platform/FileNames.h"
#include "platform/MessageSink.h"
#include "platform/TextCodecs.h"
#include "src/UserFolders.h"

#include <tinyxml.h>

#include <mutex>
#include <set>

namespace Quib {

namespace {

constexpr const char* kSettingsFile = "settings.ini";
constexpr const char* kMain = "Main";
constexpr const char* kCrc = "CRC";
// A profile holds a few saved scenes; a file this large is not one, and is
// not read whole into memory.
constexpr uint64_t kMaxProfileBytes = 64u << 20;

bool HasPrfExtension(std::string_view name)
{
    constexpr std::string_view ext = ".prf";
    return name.size() > ext.size() && EqualsNoCase(name.substr(name.size() - ext.size()), ".prf");
}

std::string Narrow(const std::u16string& text)
{
    return Utf16ToUtf8(text);
}

} // namespace

Profiles& Profiles::Instance()
{
    std::lock_guard lock(InstanceMutex());
    Profiles* instance = Singletone<Profiles>::Instance();
    if (!instance) {
        instance = new Profiles(UserDataFolder(), ProfilesFolder());
        SetInstance(instance);
    }
    return *instance;
}

Profiles::Profiles(std::u16string userDataFolder, std::u16string profilesFolder, const std::string& gameIniPath)
    : mUserDataFolder(std::move(userDataFolder)), mProfilesFolder(std::move(profilesFolder)),
      mCurrent(mProfiles.end())
{
    PreloadProfiles();
    LoadIniFile(mGameSettings, gameIniPath);

    IniDocumentW settings;
    LoadIniFileW(settings, FileInFolder(mUserDataFolder, kSettingsFile));
    auto it = settings.FindKey(u"Main", u"Profile");
    if (it != IniDocumentW::End()) {
        const std::u16string& quoted = it.Value();
        if (quoted.size() > 2 && quoted.front() == u'"' && quoted.back() == u'"')
            SelectProfile(quoted.substr(1, quoted.size() - 2));
    }
    if (!HasCurrent() && !mProfiles.empty())
        mCurrent = mProfiles.begin();
}

Profiles::~Profiles()
{
    MkdirTree(Narrow(mProfilesFolder));
    for (auto& [name, entry] : mProfiles)
        if (entry.document)
            WriteEntry(entry);
    if (HasCurrent()) {
        const std::string path = FileInFolder(mUserDataFolder, kSettingsFile);
        IniDocumentW settings;
        LoadIniFileW(settings, path);
        settings.GetOrAddKey(settings.AddSection(u"Main"), u"Profile").SetValue(u"\"" + mCurrent->first + u"\"");
        if (!SaveIniFileW(path, settings))
            QUIB_LOG_ERROR("Can't save settings: \"%s\"", path);
    }
    Clear();

    std::lock_guard lock(InstanceMutex());
    if (Singletone<Profiles>::Instance() == this)
        SetInstance(nullptr);
}

void Profiles::Clear()
{
    mProfiles.clear();
    mCurrent = mProfiles.end();
}

void Profiles::PreloadProfiles()
{
    Clear();
    const std::string folder = FileInFolder(mProfilesFolder, "");
    std::set<std::string> files;
    for (const DiskFindEntry& found : FindOnDisk(folder + "*.prf")) {
        if (found.isDirectory || !HasPrfExtension(found.name))
            continue;
        // A pipe or a device would block or never end: only plain files.
        if (!found.isRegular) {
            QUIB_LOG_ERROR("Error while loading profile: \"%s\" is not a file", found.name);
            continue;
        }
        if (found.size > kMaxProfileBytes) {
            QUIB_LOG_ERROR("Error while loading profile: \"%s\" (%llu bytes)", found.name,
                           (unsigned long long)found.size);
            continue;
        }
        files.insert(found.name);
    }
    for (const std::string& file : files) {
        IniDocument doc;
        if (!LoadIniFile(doc, folder + file)) {
            QUIB_LOG_ERROR("Error while loading profile: \"%s\"", file);
            continue;
        }
        if (doc.FindKey(kMain, "Name") == IniDocument::End()) {
            QUIB_LOG_ERROR("Error in profile ini: Can't find \"key\" in [Main]");
            ProcessLog::GetInstance()->LogInfo("Profile skipped: \"%s\"", file);
            continue;
        }
        const std::u16string name = StoredName(doc);
        if (name.empty()) {
            QUIB_LOG_ERROR("Error in profile ini: empty name in \"%s\"", file);
            continue;
        }
        auto [it, added] = mProfiles.try_emplace(name);
        if (!added) {
            QUIB_LOG_ERROR("Profile \"%s\" of \"%s\" is also in \"%s\"; the second is skipped", Narrow(name),
                           it->second.fileName, file);
            continue;
        }
        it->second.fileName = file;
    }
}

std::u16string Profiles::StoredName(IniDocument& doc)
{
    auto it = doc.FindKey(kMain, "Name");
    return it == IniDocument::End() ? std::u16string() : HexDecodeW(it.Value());
}

uint16_t Profiles::CheckValue(const IniDocument& doc)
{
    return doc.ComputeCrc(kCrc, true);
}

Profiles::ReadResult Profiles::ReadProfileFile(const std::string& path, std::unique_ptr<IniDocument>& out)
{
    out.reset();
    auto doc = std::make_unique<IniDocument>();
    if (!LoadIniFile(*doc, path))
        return ReadResult::Unreadable;
    auto crc = doc->FindKey(kMain, kCrc);
    if (crc == IniDocument::End() || IniEntry::GetValueInt(crc) != int(CheckValue(*doc)))
        return ReadResult::BadCrc;
    out = std::move(doc);
    return ReadResult::Ok;
}

std::string Profiles::PathOf(const ProfileEntry& entry) const
{
    return FileInFolder(mProfilesFolder, entry.fileName);
}

bool Profiles::LoadEntry(const std::u16string& name, ProfileEntry& entry)
{
    if (entry.document)
        return true;
    std::unique_ptr<IniDocument> doc;
    const ReadResult result = ReadProfileFile(PathOf(entry), doc);
    if (result != ReadResult::Ok) {
        // Reported once; the file stays as it is.
        if (!entry.damageReported) {
            entry.damageReported = true;
            if (result == ReadResult::BadCrc) {
                QUIB_LOG_ERROR("Bad CRC: \"%s\"", entry.fileName);
                ShowMessageBox(StrFormat("Bad CRC: \"%s\"", entry.fileName), "Error!", MB_ICONWARNING);
            } else {
                QUIB_LOG_ERROR("Error while loading profile: \"%s\"", entry.fileName);
            }
        }
        return false;
    }
    doc->GetOrAddKey(doc->AddSection(kMain), "Name").SetValue(HexEncodeW(name));
    entry.document = std::move(doc);
    return true;
}

bool Profiles::WriteEntry(ProfileEntry& entry)
{
    IniDocument& doc = *entry.document;
    doc.GetOrAddKey(doc.AddSection(kMain), kCrc).SetValue(std::to_string(CheckValue(doc)));
    MkdirTree(Narrow(mProfilesFolder));
    const std::string path = PathOf(entry);
    if (SaveIniFile(path, doc))
        return true;
    QUIB_LOG_ERROR("Can't save profile: \"%s\"", path);
    return false;
}

bool Profiles::LoadCurrent()
{
    return HasCurrent() && LoadEntry(mCurrent->first, mCurrent->second);
}

bool Profiles::SaveCurrent()
{
    if (!HasCurrent() || !mCurrent->second.document)
        return false;
    return WriteEntry(mCurrent->second);
}

void Profiles::SelectProfile(const std::u16string& name)
{
    mCurrent = mProfiles.find(name);
}

bool Profiles::FileNameTaken(const std::string& fileName) const
{
    for (const auto& [name, entry] : mProfiles)
        if (EqualsNoCase(entry.fileName, fileName.c_str()))
            return true;
    return FileExists(FileInFolder(mProfilesFolder, fileName));
}

bool Profiles::AddProfile(const std::u16string& name)
{
    if (name.empty() || HasProfile(name))
        return false;
    // The lowest number whose file is neither on disk (in any letter case)
    // nor given to a profile not written yet.
    std::string fileName;
    for (unsigned n = 0;; ++n) {
        fileName = "profile" + std::to_string(n) + ".prf";
        if (!FileNameTaken(fileName))
            break;
    }
    ProfileEntry& entry = mProfiles[name];
    entry.fileName = fileName;
    entry.document = std::make_unique<IniDocument>();
    entry.document->GetOrAddKey(entry.document->AddSection(kMain), "Name").SetValue(HexEncodeW(name));
    return true;
}

ProfileRename Profiles::RenameProfile(const std::u16string& oldName, const std::u16string& newName)
{
    auto it = mProfiles.find(oldName);
    if (it == mProfiles.end())
        return ProfileRename::NoSuchProfile;
    if (newName.empty())
        return ProfileRename::EmptyName;
    if (newName == oldName)
        return ProfileRename::Renamed;
    if (HasProfile(newName))
        return ProfileRename::NameTaken;
    // The new name must reach the file, so the profile is read first.
    if (!LoadEntry(oldName, it->second))
        return ProfileRename::Unreadable;
    const bool wasCurrent = mCurrent == it;
    auto node = mProfiles.extract(it);
    node.key() = newName;
    auto placed = mProfiles.insert(std::move(node)).position;
    if (wasCurrent)
        mCurrent = placed;
    IniDocument& doc = *placed->second.document;
    doc.GetOrAddKey(doc.AddSection(kMain), "Name").SetValue(HexEncodeW(newName));
    WriteEntry(placed->second);
    return ProfileRename::Renamed;
}

bool Profiles::RemoveCachedFile(const std::u16string& name)
{
    auto it = mProfiles.find(name);
    if (it == mProfiles.end())
        return false;
    const std::string path = PathOf(it->second);
    if (FileExists(path) && !RemoveFile(path)) {
        QUIB_LOG_ERROR("Can't delete profile: \"%s\"", path);
        return false;
    }
    if (mCurrent == it)
        mCurrent = mProfiles.end();
    mProfiles.erase(it);
    return true;
}

std::vector<std::u16string> Profiles::CopyKeysToVector() const
{
    std::vector<std::u16string> names;
    for (const auto& [name, entry] : mProfiles)
        names.push_back(name);
    return names;
}

std::u16string Profiles::CurrentName() const
{
    return HasCurrent() ? mCurrent->first : std::u16string();
}

ProfAnyVal Profiles::MakeAnyVal(const std::string& section, const std::string& key)
{
    IniDocument* profile = LoadCurrent() ? mCurrent->second.document.get() : nullptr;
    return ProfAnyVal(profile, &mGameSettings, section, key);
}

std::string Profiles::GetString(const std::string& section, const std::string& key)
{
    return MakeAnyVal(section, key).AnyValGet();
}

void Profiles::SetString(const std::string& section, const std::string& key, const std::string& value)
{
    MakeAnyVal(section, key).AnyValSet(value);
}

bool Profiles::Lookup(const std::string& section, const std::string& key, std::string& value)
{
    if (!LoadCurrent())
        return false;
    auto it = mCurrent->second.document->FindKey(section, key);
    if (it == IniDocument::End())
        return false;
    value = it.Value();
    return true;
}

bool ReportProfileXmlError(std::string_view message, const TiXmlNode* node)
{
    std::string description;
    if (node)
        description = StrFormat("line %d, column %d: %s", node->Row(), node->Column(), node->Value());
    std::string text(message);
    if (node)
        text += "\n" + description;
    OutputDebugString(StrFormat("(load from profile%s%s): %s\n", node ? "; " : "", description, message));
    ShowMessageBox(text, "Xml error (load from profile)!", MB_ICONERROR);
    return false;
}

} // namespace Quib
